#include "ui/Form4.h"

#include "convert/ConvertVrmToIni.h"
#include "settings/AutoDetect.h"
#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/Form3.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"

namespace deckshift::ui {

Form4::Form4() : Window("Select File...") {
    setClientArea(5790, 4320, false);
    Drive1 = new DriveList(this);
    place(Drive1, 240, 120, 5295, 315);
    Dir1 = new DirList(this);
    place(Dir1, 240, 600, 2535, 2565);
    File1 = new FileList(this);
    File1->setPattern("*.XML");
    File1->setPath(Dir1->path());
    place(File1, 3000, 600, 2535, 2625);
    CancelButton = makeButton(this, "Cancel", 240, 3360, 2535, 495);
    OKButton = makeButton(this, "OK", 3000, 3360, 2535, 495, false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    place(StatusBar1, 0, 3945, 5790, 375);

    connect(Drive1, &DriveList::Change, this, &Form4::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &Form4::Dir1_Change);
    connect(File1, &FileList::Click, this, &Form4::File1_Click);
    connect(OKButton, &QPushButton::clicked, this, &Form4::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Form4::CancelButton_Click);
}

void Form4::Form_Load() {
    const settings::Detection found = settings::detectFxRc(settings::DetectOrder::TestThenNormalise);
    switch (found.state) {
    case settings::Detected::Present:
        StatusBar1->showMessage(QStringLiteral("PCDJ FX RC Directory Successfully Auto-Detected"));
        // A start directory that does not exist leaves the lists where they are.
        setListsToPath(*Drive1, *Dir1, File1, settings::resolveSubdirectory(found.path, "PlayLists"));
        break;
    case settings::Detected::Missing:
        StatusBar1->showMessage(QStringLiteral("PCDJ FX RC Directory Successfully Auto-Detected"));
        showMessage(settings::kMsgRegistryDirMissing, convert::kTitleDeckshift);
        setListsToPath(*Drive1, *Dir1, File1, fallbackRoot());
        StatusBar1->showMessage(QStringLiteral("Could not locate PCDJ FX RC directory"));
        break;
    case settings::Detected::NotFound:
        StatusBar1->showMessage(QStringLiteral("Could Not Auto-Locate PCDJ FX RC Directory"));
        break;
    }
    File1->setEnabled(true);
    OKButton->setEnabled(false);
    setWindowTitle(QStringLiteral("Select File..."));
}

void Form4::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void Form4::Dir1_Change() {
    File1->setPath(Dir1->path());
    // No file is selected in the new directory, so there is nothing to confirm yet.
    OKButton->setEnabled(false);
}

void Form4::File1_Click() {
    OKButton->setEnabled(true);
}

void Form4::OKButton_Click() {
    const std::string name = File1->fileName();
    if (name.empty())
        return;
    const auto group = convert::groupOfPlaylist(name);
    if (!group) {
        showMessage(convert::noGroupMessage(name), convert::kTitleDeckshift);
        return;
    }
    Form3& form3 = ui::load<Form3>();
    form3.Command2->setEnabled(true);
    form3.Label4->setCaption(*group);
    ui::hide<Form4>();
}

void Form4::CancelButton_Click() {
    ui::unload<Form4>();
}

} // namespace deckshift::ui
