#include "ui/Form3.h"

#include "convert/ConvertVrmToIni.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Layout.h"
#include "ui/MessageBox.h"
#include "ui/Progress.h"
#include "ui/Text.h"

namespace deckshift::ui {

Form3::Form3()
    : ConverterWindow({"PCDJ FX VRM ==> PCDJ RED",
                       8670,
                       7050,
                       "Current Group\\Subgroup ",
                       {"Batch Processing Mode", 240, 240, 3735, 255},
                       {120, 3735},
                       {"PCDJ FX XML ==>>> PCDJ RED RC Converter", false},
                       pickersOf<Form4, Form5>()}) {
    Check1->setEnabled(false);
    setAccessibleName(QStringLiteral("PCDJ FX VRM to PCDJ RED converter"));
    Frame8->setAccessibleName(QStringLiteral("Progress through the group"));
}

void Form3::Command3_Click() {
    if (Label4->caption().empty()) {
        showMessage("No playlist has been picked, so there is no group to convert. Please select "
                    "a playlist of the group first.",
                    convert::kTitleDeckshift);
        return;
    }
    // The directories come from the pickers' lists; a picker that is not loaded (the source picker
    // after its Cancel) is loaded for this, without being shown, and starts where it detects.
    convert::VrmToIniInputs inputs;
    Form4& picker = ui::load<Form4>();
    inputs.sourceDirectory = picker.Dir1->path();
    inputs.groupName = Label4->caption();
    inputs.targetDirectory = ui::load<Form5>().Dir1->path();
    // The playlist still selected in the picker is the one the group was picked by; the engine
    // refuses it when it is no VRM playlist.
    const std::string chosen = picker.File1->fileName();
    if (convert::groupOfPlaylist(chosen) == inputs.groupName)
        inputs.chosenPlaylist = chosen;

    Form3Progress progress(*this);
    convert::VrmToIniResult result;
    progress.run([&] { result = convert::ConvertVrmToIni(inputs, progress, progress); });
    focusAfterRun();
    if (result.status == convert::RunStatus::Done)
        showMessage(
            QStringLiteral("The group file was written to \"%1\".").arg(qs(result.outputPath)),
            qs(convert::kTitleDeckshift));
}

} // namespace deckshift::ui
