#pragma once
// The PCDJ RED INI to PCDJ FX VRM window. Its whole state lives in its controls: the two check
// boxes, the two path labels and the enabled flags of its buttons.

#include "convert/ConvertRedIniToVrm.h"
#include "ui/ConverterWindow.h"

#include <QString>

namespace deckshift::ui {

/// What a batch run converted and skipped, and why, as shown to the user at its end; `registered`
/// for a run in register mode.
QString batchSummary(const convert::IniToVrmResult& result, bool registered);

class Form1 final : public ConverterWindow {
    Q_OBJECT
public:
    Form1();

    QCheckBox* Check2; ///< "Register XML Files"
    // Check1 "Batch Processing Mode"; Command1 "Select File To Convert" / "Select Input Directory"
    Label* Label10; ///< "From" during a run
    Label* Label11; ///< line count of the file

    void Check1_Click();
    void Check2_Click();
    void Command3_Click() override;
};

} // namespace deckshift::ui
