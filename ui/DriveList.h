#pragma once
// The drive list: a drop-down of the drives (see Drives.h), its value the selected drive.

#include <QComboBox>

#include <string>
#include <string_view>

namespace deckshift::ui {

class DriveList : public QComboBox {
    Q_OBJECT
public:
    /// Starts on the drive of the start directory.
    explicit DriveList(QWidget* parent);

    /// The selected drive: "c:", or "/".
    std::string drive() const;
    /// Selects the drive of `path` ("c:", "C:\x", "/"). Change runs when the selection really
    /// changes. False when the list has no such drive.
    bool setDrive(std::string_view path);
    /// Puts the selection back to `drive` without running Change, after a drive that could not be
    /// opened: the list's value then never changed.
    void restore(std::string_view drive);
    /// True while Change runs for a drive the user chose (false when the program set it).
    bool changedByUser() const { return m_changeByUser; }

signals:
    /// The selected drive changed.
    void Change();

private:
    int indexOf(std::string_view drive) const;
    bool m_programmatic = false;
    bool m_silent = false;
    bool m_changeByUser = false;
};

} // namespace deckshift::ui
