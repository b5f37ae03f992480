#include "ui/DriveList.h"

#include "ui/Drives.h"
#include "ui/Text.h"

namespace deckshift::ui {

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    for (const std::string& d : availableDrives())
        addItem(qs(d), QByteArray::fromStdString(d));
    const int start = indexOf(driveOf(startDirectory()));
    setCurrentIndex(start >= 0 ? start : 0);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
        if (m_silent)
            return;
        m_changeByUser = !m_programmatic;
        emit Change();
        m_changeByUser = false;
    });
}

std::string DriveList::drive() const {
    return currentData().toByteArray().toStdString();
}

int DriveList::indexOf(std::string_view path) const {
    const std::string wanted = driveOf(path);
    for (int i = 0; i < count(); ++i) {
        if (sameDrive(itemData(i).toByteArray().toStdString(), wanted))
            return i;
    }
    return -1;
}

bool DriveList::setDrive(std::string_view path) {
    const int index = indexOf(path);
    if (index < 0)
        return false;
    m_programmatic = true;
    setCurrentIndex(index);
    m_programmatic = false;
    return true;
}

void DriveList::restore(std::string_view drive) {
    const int index = indexOf(drive);
    if (index < 0)
        return;
    m_silent = true;
    setCurrentIndex(index);
    m_silent = false;
}

} // namespace deckshift::ui
