#include "ui/SourcePicker.h"

#include "convert/Messages.h"
#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"

namespace deckshift::ui {

SourcePicker::SourcePicker(int width, int height, const char* pattern) : Window("Select File...") {
    setClientArea(width, height, false);
    // While the picker is open its converter window takes no input.
    setWindowModality(Qt::ApplicationModal);
    Drive1 = new DriveList(this);
    place(Drive1, 240, 120, 5295, 315);
    Dir1 = new DirList(this);
    place(Dir1, 240, 600, 2535, 2565);
    File1 = new FileList(this);
    File1->setPattern(pattern);
    File1->setPath(Dir1->path());
    place(File1, 3000, 600, 2535, 2625);
    CancelButton = makeButton(this, "Cancel", 240, 3360, 2535, 495);
    OKButton = makeButton(this, "OK", 3000, 3360, 2535, 495, false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    place(StatusBar1, 0, height - 375, width, 375);
    setDefaultButton(OKButton);
    setCancelButton(CancelButton);

    connect(Drive1, &DriveList::Change, this, &SourcePicker::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &SourcePicker::Dir1_Change);
    connect(File1, &FileList::Click, this, &SourcePicker::File1_Click);
    // A double-click on a file picks it, as OK does.
    connect(File1, &FileList::DoubleClick, this, [this] {
        if (OKButton->isEnabled())
            OKButton_Click();
    });
    connect(OKButton, &QPushButton::clicked, this, &SourcePicker::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &SourcePicker::CancelButton_Click);
}

void SourcePicker::startIn(const settings::Detection& found, const StartTexts& texts,
                           std::string_view subdirectory) {
    switch (found.state) {
    case settings::Detected::Present:
        StatusBar1->showMessage(QString::fromLatin1(texts.found));
        // A start directory that does not exist leaves the lists where they are.
        setListsToPath(*Drive1, *Dir1, File1,
                       subdirectory.empty()
                           ? found.path
                           : settings::resolveSubdirectory(found.path, subdirectory));
        break;
    case settings::Detected::Missing:
        StatusBar1->showMessage(QString::fromLatin1(texts.found));
        showMessage(settings::kMsgRegistryDirMissing, convert::kTitleDeckshift);
        setListsToPath(*Drive1, *Dir1, File1, fallbackRoot());
        if (texts.afterMissing)
            StatusBar1->showMessage(QString::fromLatin1(texts.afterMissing));
        else
            StatusBar1->clearMessage();
        break;
    case settings::Detected::NotFound:
        StatusBar1->showMessage(QString::fromLatin1(texts.notFound));
        break;
    }
}

void SourcePicker::setPicksDirectory(bool directory) {
    File1->setEnabled(!directory);
    OKButton->setEnabled(directory);
    setWindowTitle(directory ? QStringLiteral("Select Diretory...")
                             : QStringLiteral("Select File..."));
}

void SourcePicker::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void SourcePicker::Dir1_Change() {
    File1->setPath(Dir1->path());
    if (!picksDirectory())
        OKButton->setEnabled(false);
}

void SourcePicker::refreshLists() {
    Dir1->refresh();
    File1->refresh();
    if (!picksDirectory() && File1->fileName().empty())
        OKButton->setEnabled(false);
}

void SourcePicker::File1_Click() {
    OKButton->setEnabled(true);
}

} // namespace deckshift::ui
