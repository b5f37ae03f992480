#pragma once
// The design shared by the source pickers of the two group converter windows (Dialog for Form1,
// Form4 for Form3): drive, directory and file lists, Cancel, OK and a status line that says where
// the lists started.

#include "settings/AutoDetect.h"
#include "ui/Windows.h"

#include <QPushButton>
#include <QStatusBar>

#include <string_view>

namespace deckshift::ui {

class DirList;
class DriveList;
class FileList;

class SourcePicker : public Window {
    Q_OBJECT
public:
    DriveList* Drive1;
    DirList* Dir1;
    FileList* File1;
    QPushButton* CancelButton; ///< "Cancel"
    QPushButton* OKButton;     ///< "OK"
    QStatusBar* StatusBar1;

    /// A new drive moves the directory list to that drive's current directory.
    void Drive1_Change();
    /// The file list follows the directory; no file is selected in it, so OK waits for one
    /// (unless the picker picks a directory).
    void Dir1_Change();
    void File1_Click();
    virtual void OKButton_Click() = 0;
    virtual void CancelButton_Click() = 0;

    QAccessible::Role accessibleRole() const override { return QAccessible::Dialog; }

protected:
    SourcePicker(int width, int height, const char* pattern);
    /// Closing the picker is its Cancel.
    void closeControl() override { CancelButton_Click(); }
    /// Lists the directory and its files afresh; the selected file stays selected while it is
    /// there, and OK waits for a new choice when it is gone.
    void refreshLists() override;

    /// The status line's texts while the lists find their start.
    struct StartTexts {
        const char* found;        ///< the setting was found
        const char* notFound;     ///< no setting
        const char* afterMissing; ///< after the missing-directory message; nullptr clears the line
    };
    /// Starts the lists in the directory `found` names, followed by `subdirectory` when not empty.
    void startIn(const settings::Detection& found, const StartTexts& texts,
                 std::string_view subdirectory);
    /// Picking a directory (OK enabled, no file list) or a file.
    void setPicksDirectory(bool directory);
    virtual bool picksDirectory() const { return false; }
};

} // namespace deckshift::ui
