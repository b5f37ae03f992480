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
#include "ui/Text.h"

#include <algorithm>

namespace deckshift::ui {

namespace {
constexpr std::string_view kMsgNoSource =
    "Nothing has been chosen to convert. Please select a group file or an input directory first.";
constexpr std::string_view kMsgNoFileSelected =
    "No group file is selected in the file list. Please select the file to convert again.";
constexpr std::string_view kMsgNoOutput =
    "No output directory has been chosen. Please select an output directory or tick \"Register "
    "XML Files\" first.";

/// Skipped files named in the summary; the rest are counted.
constexpr std::size_t kSkippedNamed = 20;

QString plural(std::uint64_t n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}
} // namespace

QString batchSummary(const convert::IniToVrmResult& result, bool registered) {
    QString text;
    if (!result.cancelledBefore.empty())
        text += QStringLiteral("The run was cancelled before group \"%1\".\n")
                    .arg(qs(result.cancelledBefore));
    text += QStringLiteral("Converted %1 into %2 in %3")
                .arg(plural(result.groupFilesConverted, "group file", "group files"),
                     plural(result.playlistsWritten, "playlist", "playlists"),
                     qs(result.outputDirectory));
    text += registered && result.groupFilesConverted > 0
                ? QStringLiteral(", registered in the group list.")
                : QStringLiteral(".");
    if (result.skippedFiles.empty())
        return text;
    text +=
        QStringLiteral("\n\nSkipped %1:").arg(plural(result.skippedFiles.size(), "file", "files"));
    const std::size_t named = std::min(result.skippedFiles.size(), kSkippedNamed);
    for (std::size_t i = 0; i < named; ++i) {
        const auto& skipped = result.skippedFiles[i];
        text += QStringLiteral("\n%1: %2").arg(qs(skipped.name), qs(skipped.reason));
    }
    if (result.skippedFiles.size() > named)
        text += QStringLiteral("\n... and %1 more.").arg(result.skippedFiles.size() - named);
    return text;
}

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
    setAccessibleName(QStringLiteral("PCDJ RED to PCDJ FX VRM converter"));
    Frame8->setAccessibleName(QStringLiteral("Overall progress"));
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
    convert::IniToVrmResult result;
    progress.run([&] { result = convert::ConvertRedIniToVrm(inputs, progress, progress); });
    const bool ended = result.status == convert::RunStatus::Done || !result.cancelledBefore.empty();
    if (inputs.batchMode && ended) {
        // The next thing to do is to choose another source: Enter must not run the batch again.
        Command3->setEnabled(false);
        Command5->setEnabled(true);
        Command5->setFocus(Qt::OtherFocusReason);
    } else {
        focusAfterRun();
    }
    // A batch ends with its summary; a single group file with where its playlists went.
    const bool singleWritten = !inputs.batchMode && result.status == convert::RunStatus::Done &&
                               result.cancelledBefore.empty();
    if ((inputs.batchMode && ended) || singleWritten)
        showMessage(batchSummary(result, inputs.registerMode), qs(convert::kTitleDeckshift));
}

} // namespace deckshift::ui
