#pragma once
// The PCDJ FX VRM playlist to M3U playlist window. It starts its source lists in the PlayLists
// directory of PCDJ FX when the registry names one.

#include "ui/PlaylistWindow.h"

namespace deckshift::ui {

class Form7 final : public PlaylistWindow {
    Q_OBJECT
public:
    Form7();
    void Form_Load() override;

protected:
    Conversion conversion() override;
};

} // namespace deckshift::ui
