#pragma once
// The source picker of the INI window: one group file, or in batch mode a directory of them.

#include "ui/SourcePicker.h"

namespace deckshift::ui {

class Dialog final : public SourcePicker {
    Q_OBJECT
public:
    Dialog();

    // File1: pattern "*.ini"

    void Form_Load() override;
    void OKButton_Click() override;
    void CancelButton_Click() override;

protected:
    bool picksDirectory() const override;
};

} // namespace deckshift::ui
