#include "ui/Form1.h"

#include "convert/ConvertRedIniToVrm.h"
#include "settings/Registry.h"
#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form2.h"
#include "ui/Layout.h"
#include "ui/MessageBox.h"
#include "ui/Progress.h"

namespace deckshift::ui {

namespace {
constexpr std::string_view kMsgNoSource =
    "Nothing has been chosen to convert. Please select a group file or an input directory first.";
constexpr std::string_view kMsgNoFileSelected =
    "No group file is selected in the file list. Please select the file to convert again.";
constexpr std::string_view kMsgNoOutput =
    "No output directory has been chosen. Please select an output directory or tick \"Register "
    "XML Files\" first.";
} // namespace

Form1::Form1() : Window("PCDJ RED ==> PCDJ FX VRM") {
    setClientArea(8640, 7065, true);

    Check2 = makeCheck(this, "Register XML Files", 240, 240, 1695, 255);
    Check1 = makeCheck(this, "Batch Processing Mode", 2160, 240, 2055, 255);
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
    Label8 = makeLabel(Frame6, "", 240, 240, 1335, 255);
    Label10 = makeLabel(Frame6, "", 1680, 240, 615, 255);
    Label11 = makeLabel(Frame6, "", 2160, 240, 1695, 255);
    Frame7 = makeFrame(Frame3, "Filename ", 120, 2400, 3975, 1815);
    Label9 = makeLabel(Frame7, "", 120, 240, 3735, 1455);
    Frame8 = makeFrame(Frame3, "Overal ", 120, 4320, 3975, 615);
    ProgressBar1 = new ProgressBar(Frame8);
    place(ProgressBar1, 120, 240, 3735, 255);

    Command5 = makeButton(this, "Convert Another One", 120, 5280, 8415, 375, false);
    Command4 = makeButton(this, "Exit", 120, 5760, 8415, 495);

    Label1 = makeLabel(this, "PCDJ RED ==>>> PCDJ FX VRM RC Converter", 120, 6360, 4095, 375);
    Label1->setFont(tahomaFont(true, true));
    Label3 = makeLabel(this, "by", 3960, 6480, 1215, 375);
    Label3->setFont(displayFont(15.75));
    Label2 = makeLabel(this, "Korvantel", 4920, 6600, 3615, 495);
    Label2->setFont(displayFont(20.25));
    Label12 = makeLabel(this, kVersionCaption, 240, 6720, 3735, 255);
    Label12->setFont(tahomaFont());

    // A check box's click handler runs whenever its value changes, by the user or by the program.
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
}

void Form1::Check1_Click() {
    if (Check1->isChecked()) {
        Command1->setText(QStringLiteral("Select Input Directory"));
        Frame1->setTitle(QStringLiteral("Input Directory"));
    } else {
        Command1->setText(QStringLiteral("Select File To Convert"));
        Frame1->setTitle(QStringLiteral("Group to be Converted"));
    }
    Label4->setCaption("");
    // The picker's next showing loads it afresh, in the new mode.
    ui::unload<Dialog>();
    Command2->setEnabled(false);
    Command3->setEnabled(false);
}

void Form1::Check2_Click() {
    const bool sourceChosen = !Label4->caption().empty();
    if (Check2->isChecked()) {
        if (sourceChosen) {
            Command3->setEnabled(true);
            Command2->setEnabled(false);
        }
        Label5->setCaption("PCDJ FX RecordCase Directory");
    } else {
        if (sourceChosen) {
            Command3->setEnabled(false);
            Command2->setEnabled(true);
        } else {
            Command3->setEnabled(false);
            Command2->setEnabled(false);
        }
        // An output directory chosen earlier must be chosen again.
        Label5->setCaption("");
    }
}

void Form1::Command1_Click() {
    ui::show<Dialog>();
}

void Form1::Command2_Click() {
    ui::show<Dialog2>();
}

void Form1::Command3_Click() {
    convert::IniToVrmInputs inputs;
    inputs.registerMode = Check2->isChecked();
    inputs.batchMode = Check1->isChecked();
    inputs.registry = &settings::systemRegistry();

    // The buttons can be enabled while nothing usable is chosen (after "Convert Another One", or
    // an output directory confirmed after the source picker was cancelled); such a run is refused.
    const Dialog* source = ui::loaded<Dialog>();
    if (Label4->caption().empty() || !source) {
        showMessage(kMsgNoSource, convert::kTitleDeckshift);
        return;
    }
    inputs.sourceDirectory = source->Dir1->path();
    if (!inputs.batchMode) {
        inputs.sourceName = source->File1->fileName();
        if (inputs.sourceName.empty()) {
            showMessage(kMsgNoFileSelected, convert::kTitleDeckshift);
            return;
        }
    }
    if (!inputs.registerMode) {
        const Dialog2* output = ui::loaded<Dialog2>();
        if (Label5->caption().empty() || !output) {
            showMessage(kMsgNoOutput, convert::kTitleDeckshift);
            return;
        }
        inputs.outputDirectory = output->Dir1->path();
    }

    Form1Progress progress(*this);
    {
        RunGuard guard;
        try {
            convert::ConvertRedIniToVrm(inputs, progress, progress);
        } catch (const std::exception& e) {
            progress.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
        }
        progress.flush();
    }
}

void Form1::Command5_Click() {
    ui::show<Dialog>();
    Command3->setEnabled(true);
}

void Form1::Command4_Click() {
    ui::unload<Dialog>();
    ui::unload<Dialog2>();
    ui::show<Form2>();
    ui::unload<Form1>();
}

} // namespace deckshift::ui
