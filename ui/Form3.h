#pragma once
// The PCDJ FX VRM to PCDJ RED INI window. Its state lives in its two path labels and the enabled
// flags of its buttons; its "Batch Processing Mode" is always unchecked and disabled.

#include "ui/ConverterWindow.h"

namespace deckshift::ui {

class Form3 final : public ConverterWindow {
    Q_OBJECT
public:
    Form3();

    void Command3_Click() override;
};

} // namespace deckshift::ui
