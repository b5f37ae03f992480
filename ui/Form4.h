#pragma once
// The source picker of the VRM-to-INI window: one playlist of the group to convert.

#include "ui/SourcePicker.h"

namespace deckshift::ui {

class Form4 final : public SourcePicker {
    Q_OBJECT
public:
    Form4();

    // File1: pattern "*.XML"

    void Form_Load() override;
    void OKButton_Click() override;
    void CancelButton_Click() override;
};

} // namespace deckshift::ui
