#pragma once
// The output directory picker of the VRM-to-INI window. It starts in the PCDJ RED group directory.

#include "ui/OutputPicker.h"

namespace deckshift::ui {

class Form5 final : public OutputPicker {
    Q_OBJECT
public:
    Form5();
};

} // namespace deckshift::ui
