#include "ui/Dialog2.h"

#include "convert/Messages.h"
#include "settings/AutoDetect.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/Form1.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"

namespace deckshift::ui {

Dialog2::Dialog2() : Window("Select Directory...") {
    setClientArea(5775, 4005, false);
    Drive1 = new DriveList(this);
    place(Drive1, 240, 120, 5295, 315);
    Dir1 = new DirList(this);
    place(Dir1, 240, 600, 5295, 2565);
    CancelButton = makeButton(this, "Cancel", 240, 3360, 2535, 495);
    OKButton = makeButton(this, "OK", 3000, 3360, 2535, 495);

    connect(Drive1, &DriveList::Change, this, &Dialog2::Drive1_Change);
    connect(OKButton, &QPushButton::clicked, this, &Dialog2::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog2::CancelButton_Click);
}

void Dialog2::Form_Load() {
    const settings::Detection found = settings::detectFxRc(settings::DetectOrder::NormaliseThenTest);
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

void Dialog2::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void Dialog2::OKButton_Click() {
    Form1& form1 = ui::load<Form1>();
    form1.Command3->setEnabled(true);
    form1.Label5->setCaption(Dir1->path());
    ui::hide<Dialog2>();
}

void Dialog2::CancelButton_Click() {
    ui::hide<Dialog2>();
}

} // namespace deckshift::ui
