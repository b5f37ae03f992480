#include "ui/Form3.h"

#include "convert/ConvertVrmToIni.h"
#include "ui/DirList.h"
#include "ui/Form2.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Layout.h"
#include "ui/MessageBox.h"
#include "ui/Progress.h"

namespace deckshift::ui {

namespace {
constexpr std::string_view kMsgNoGroup =
    "No playlist has been picked, so there is no group to convert. Please select a playlist of the "
    "group first.";
} // namespace

Form3::Form3() : Window("PCDJ FX VRM ==> PCDJ RED") {
    setClientArea(8670, 7050, true);

    Check1 = makeCheck(this, "Batch Processing Mode", 240, 240, 3735, 255);
    Check1->setEnabled(false);
    Command1 = makeButton(this, "Select File To Convert", 120, 600, 4095, 615);
    Frame1 = makeFrame(this, "Group to be Converted ", 120, 1320, 4095, 1095);
    Label4 = makeLabel(Frame1, "", 240, 240, 3615, 735);
    Command2 = makeButton(this, "Select Output Directory", 120, 2520, 4095, 615, false);
    Frame2 = makeFrame(this, "Target Directory ", 120, 3240, 4095, 1095);
    Label5 = makeLabel(Frame2, "", 120, 240, 3855, 735);
    Command3 = makeButton(this, "Start Convertion", 120, 4440, 4095, 735, false);

    Frame3 = makeFrame(this, "Proccessing ", 4320, 120, 4215, 5055);
    Frame4 = makeFrame(Frame3, "Group ", 120, 240, 3975, 615);
    Label6 = makeLabel(Frame4, "", 120, 240, 3735, 255);
    Frame5 = makeFrame(Frame3, "Sub Group ", 120, 960, 3975, 615);
    Label7 = makeLabel(Frame5, "", 120, 240, 3735, 255);
    Frame6 = makeFrame(Frame3, "Entry ", 120, 1680, 3975, 615);
    Label8 = makeLabel(Frame6, "", 120, 240, 3735, 255);
    Frame7 = makeFrame(Frame3, "Filename ", 120, 2400, 3975, 1815);
    Label9 = makeLabel(Frame7, "", 120, 240, 3735, 1455);
    Frame8 = makeFrame(Frame3, "Current Group\\Subgroup ", 120, 4320, 3975, 615);
    ProgressBar1 = new ProgressBar(Frame8);
    place(ProgressBar1, 120, 240, 3735, 255);

    Command5 = makeButton(this, "Convert Another One", 120, 5280, 8415, 375, false);
    Command4 = makeButton(this, "Exit", 120, 5760, 8415, 495);

    Label1 = makeLabel(this, "PCDJ FX XML ==>>> PCDJ RED RC Converter", 120, 6360, 4095, 375);
    Label1->setFont(tahomaFont(true, false));
    Label3 = makeLabel(this, "by", 3960, 6480, 1215, 375);
    Label3->setFont(displayFont(15.75));
    Label2 = makeLabel(this, "Korvantel", 4920, 6600, 3615, 495);
    Label2->setFont(displayFont(20.25));
    Label12 = makeLabel(this, kVersionCaption, 240, 6720, 3735, 255);
    Label12->setFont(tahomaFont());

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &Form3::Command4_Click);
}

void Form3::Command1_Click() {
    ui::show<Form4>();
}

void Form3::Command2_Click() {
    ui::show<Form5>();
}

void Form3::Command3_Click() {
    if (Label4->caption().empty()) {
        showMessage(kMsgNoGroup, convert::kTitleDeckshift);
        return;
    }
    // The directories come from the pickers' lists; a picker that is not loaded (the source picker
    // after its Cancel) is loaded for this, without being shown, and starts where it detects.
    convert::VrmToIniInputs inputs;
    inputs.sourceDirectory = ui::load<Form4>().Dir1->path();
    inputs.groupName = Label4->caption();
    inputs.targetDirectory = ui::load<Form5>().Dir1->path();

    Form3Progress progress(*this);
    {
        RunGuard guard;
        try {
            convert::ConvertVrmToIni(inputs, progress, progress);
        } catch (const std::exception& e) {
            progress.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
        }
        progress.flush();
    }
}

void Form3::Command5_Click() {
    ui::show<Form4>();
    Command3->setEnabled(true);
}

void Form3::Command4_Click() {
    ui::unload<Form4>();
    ui::unload<Form5>();
    ui::show<Form2>();
    ui::unload<Form3>();
}

} // namespace deckshift::ui
