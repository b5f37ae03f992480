#include "ui/Form5.h"

#include "convert/Messages.h"
#include "settings/AutoDetect.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/Form3.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"

namespace deckshift::ui {

Form5::Form5() : Window("Select directory...") {
    setClientArea(5775, 3990, true);
    Drive1 = new DriveList(this);
    place(Drive1, 240, 120, 5295, 315);
    Dir1 = new DirList(this);
    place(Dir1, 240, 600, 5295, 2565);
    CancelButton = makeButton(this, "Cancel", 240, 3360, 2535, 495);
    OKButton = makeButton(this, "OK", 3000, 3360, 2535, 495);

    connect(Drive1, &DriveList::Change, this, &Form5::Drive1_Change);
    connect(OKButton, &QPushButton::clicked, this, &Form5::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Form5::CancelButton_Click);
}

void Form5::Form_Load() {
    const settings::Detection found = settings::detectRedGroups(settings::DetectOrder::NormaliseThenTest);
    switch (found.state) {
    case settings::Detected::Present:
        setListsToPath(*Drive1, *Dir1, nullptr, found.path);
        break;
    case settings::Detected::Missing:
        showMessage(settings::kMsgRegistryDirMissing, convert::kTitleDeckshift);
        setListsToPath(*Drive1, *Dir1, nullptr, fallbackRoot());
        break;
    case settings::Detected::NotFound:
        setListsToPath(*Drive1, *Dir1, nullptr, fallbackRoot());
        break;
    }
}

void Form5::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void Form5::OKButton_Click() {
    Form3& form3 = ui::load<Form3>();
    form3.Command3->setEnabled(true);
    form3.Label5->setCaption(Dir1->path());
    ui::hide<Form5>();
}

void Form5::CancelButton_Click() {
    ui::hide<Form5>();
}

} // namespace deckshift::ui
