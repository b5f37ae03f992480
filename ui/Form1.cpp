#include "ui/Form1.h"

#include "convert/ConvertRedIniToVrm.h"
#include "settings/Registry.h"
#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
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

Form1::Form1()
    : ConverterWindow({"PCDJ RED ==> PCDJ FX VRM",
                       8640,
                       7065,
                       "Overal ",
                       {"Batch Processing Mode", 2160, 240, 2055, 255},
                       {240, 1335},
                       {"PCDJ RED ==>>> PCDJ FX VRM RC Converter", true},
                       pickersOf<Dialog, Dialog2>()},
                      {"Register XML Files", 240, 240, 1695, 255}) {
    Check2 = m_extraCheck;
    Label10 = makeLabel(Frame6, "", 1680, 240, 615, 255);
    Label11 = makeLabel(Frame6, "", 2160, 240, 1695, 255);

    // A check box's click handler runs whenever its value changes, by the user or by the program.
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);
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
    progress.run([&] { convert::ConvertRedIniToVrm(inputs, progress, progress); });
}

} // namespace deckshift::ui
