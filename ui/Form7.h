#pragma once
// The PCDJ FX VRM playlist to M3U playlist window. It starts its source lists in the PlayLists
// directory of PCDJ FX when the registry names one, and writes an M3U8 playlist in UTF-8 in place
// of the M3U one when its check box says so.

#include "ui/PlaylistWindow.h"

#include <QCheckBox>

namespace deckshift::ui {

class Form7 final : public PlaylistWindow {
    Q_OBJECT
public:
    QCheckBox* Check1; ///< "Write M3U8 (UTF-8)"

    Form7();
    void Form_Load() override;

protected:
    Conversion conversion() override;
};

} // namespace deckshift::ui
