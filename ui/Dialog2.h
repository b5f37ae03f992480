#pragma once
// The output directory picker of the INI window. It starts in the PCDJ FX RecordCase directory.

#include "ui/OutputPicker.h"

namespace deckshift::ui {

class Dialog2 final : public OutputPicker {
    Q_OBJECT
public:
    Dialog2();

    /// The directory list's change has no effect here: OK reads the list when it is pressed.
    void Dir1_Change() {}
};

} // namespace deckshift::ui
