#include "ui/Dialog2.h"

#include "ui/Form1.h"

namespace deckshift::ui {

Dialog2::Dialog2()
    : OutputPicker("Select Directory...", 4005, false, Setting::FxRc, loadAs<Form1>) {
    setAccessibleName(QStringLiteral("Select the output directory for the playlists"));
}

} // namespace deckshift::ui
