#pragma once
// The M3U playlist to PCDJ FX VRM playlist window.

#include "ui/PlaylistWindow.h"

namespace deckshift::ui {

class Form6 final : public PlaylistWindow {
    Q_OBJECT
public:
    Form6();

protected:
    Conversion conversion() override;
};

} // namespace deckshift::ui
