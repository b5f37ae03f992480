#include "ui/Form5.h"

#include "ui/Form3.h"

namespace deckshift::ui {

Form5::Form5()
    : OutputPicker("Select directory...", 3990, true, Setting::RedGroups, loadAs<Form3>) {
    setAccessibleName(QStringLiteral("Select the output directory for the group file"));
}

} // namespace deckshift::ui
