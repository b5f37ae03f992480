#include "ui/OutputPicker.h"

#include "convert/Messages.h"
#include "ui/ConverterWindow.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"
#include "ui/Widgets.h"

namespace deckshift::ui {

OutputPicker::OutputPicker(const char* caption, int height, bool sizable, Setting setting,
                           ConverterWindow& (*converter)())
    : Window(caption), m_setting(setting), m_converter(converter) {
    setClientArea(5775, height, sizable);
    // While the picker is open its converter window takes no input.
    setWindowModality(Qt::ApplicationModal);
    Drive1 = new DriveList(this);
    place(Drive1, 240, 120, 5295, 315);
    Dir1 = new DirList(this);
    place(Dir1, 240, 600, 5295, 2565);
    CancelButton = makeButton(this, "Cancel", 240, 3360, 2535, 495);
    OKButton = makeButton(this, "OK", 3000, 3360, 2535, 495);
    setDefaultButton(OKButton);
    setCancelButton(CancelButton);

    connect(Drive1, &DriveList::Change, this, &OutputPicker::Drive1_Change);
    connect(OKButton, &QPushButton::clicked, this, &OutputPicker::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &OutputPicker::CancelButton_Click);
}

void OutputPicker::Form_Load() {
    // The value's doubled backslashes are made single before it is tested.
    constexpr auto order = settings::DetectOrder::NormaliseThenTest;
    const settings::Detection found =
        m_setting == Setting::FxRc ? settings::detectFxRc(order) : settings::detectRedGroups(order);
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

void OutputPicker::refreshLists() {
    Dir1->refresh();
}

void OutputPicker::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void OutputPicker::OKButton_Click() {
    ConverterWindow& form = m_converter();
    form.Command3->setEnabled(true);
    form.Label5->setCaption(Dir1->path());
    // The picker is the one loaded window of its class: hiding it is hiding that.
    hide();
}

void OutputPicker::CancelButton_Click() {
    hide();
}

} // namespace deckshift::ui
