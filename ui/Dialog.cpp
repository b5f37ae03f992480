#include "ui/Dialog.h"

#include "convert/Messages.h"
#include "formats/TextIO.h"
#include "settings/AutoDetect.h"
#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"

#include <QCheckBox>

namespace deckshift::ui {

Dialog::Dialog() : Window("Select File...") {
    setClientArea(5775, 4335, false);
    Drive1 = new DriveList(this);
    place(Drive1, 240, 120, 5295, 315);
    Dir1 = new DirList(this);
    place(Dir1, 240, 600, 2535, 2565);
    File1 = new FileList(this);
    File1->setPattern("*.ini");
    File1->setPath(Dir1->path());
    place(File1, 3000, 600, 2535, 2625);
    CancelButton = makeButton(this, "Cancel", 240, 3360, 2535, 495);
    OKButton = makeButton(this, "OK", 3000, 3360, 2535, 495, false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    place(StatusBar1, 0, 3960, 5775, 375);

    connect(Drive1, &DriveList::Change, this, &Dialog::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &Dialog::Dir1_Change);
    connect(File1, &FileList::Click, this, &Dialog::File1_Click);
    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);
}

bool Dialog::batchMode() const {
    const Form1* form1 = ui::loaded<Form1>();
    return form1 && form1->Check1->isChecked();
}

void Dialog::Form_Load() {
    const settings::Detection found = settings::detectRedGroups(settings::DetectOrder::TestThenNormalise);
    switch (found.state) {
    case settings::Detected::Present:
        StatusBar1->showMessage(QStringLiteral("PCDJ INI Files Directory Successfully Auto-Detected"));
        setListsToPath(*Drive1, *Dir1, File1, found.path);
        break;
    case settings::Detected::Missing:
        StatusBar1->showMessage(QStringLiteral("PCDJ INI Files Directory Successfully Auto-Detected"));
        showMessage(settings::kMsgRegistryDirMissing, convert::kTitleDeckshift);
        setListsToPath(*Drive1, *Dir1, File1, fallbackRoot());
        StatusBar1->clearMessage();
        break;
    case settings::Detected::NotFound:
        StatusBar1->showMessage(QStringLiteral("Could Not Auto-Locate PCDJ INI Files"));
        break;
    }
    if (batchMode()) {
        File1->setEnabled(false);
        OKButton->setEnabled(true);
        setWindowTitle(QStringLiteral("Select Diretory..."));
    } else {
        File1->setEnabled(true);
        OKButton->setEnabled(false);
        setWindowTitle(QStringLiteral("Select File..."));
    }
}

void Dialog::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void Dialog::Dir1_Change() {
    File1->setPath(Dir1->path());
    // No file is selected in the new directory, so there is nothing to confirm yet.
    if (!batchMode())
        OKButton->setEnabled(false);
}

void Dialog::File1_Click() {
    OKButton->setEnabled(true);
}

void Dialog::OKButton_Click() {
    Form1& form1 = ui::load<Form1>();
    const bool registerMode = form1.Check2->isChecked();
    if (!form1.Check1->isChecked()) {
        const std::string name = File1->fileName();
        if (name.empty())
            return;
        // The group file must be readable; the run opens it again when it starts.
        const std::string path = settings::joinPath(Dir1->path(), name);
        try {
            formats::FileSource probe(path, settings::toFsPath(path));
        } catch (const std::exception& e) {
            showMessage(e.what(), convert::kTitleDeckshift);
            return;
        }
        form1.Command2->setEnabled(!registerMode);
        form1.Command3->setEnabled(registerMode);
        form1.Label4->setCaption(settings::stripExtension(name));
    } else {
        form1.Command2->setEnabled(!registerMode);
        form1.Command3->setEnabled(registerMode);
        form1.Label4->setCaption(Dir1->path());
    }
    ui::hide<Dialog>();
}

void Dialog::CancelButton_Click() {
    ui::unload<Dialog>();
    if (Form1* form1 = ui::loaded<Form1>()) {
        form1->Command2->setEnabled(false);
        form1->Command3->setEnabled(false);
        form1->Label4->setCaption("");
    }
}

} // namespace deckshift::ui
