#pragma once
// The source picker of the INI window: one group file, or in batch mode a directory of them.

#include "ui/Windows.h"

#include <QPushButton>
#include <QStatusBar>

namespace deckshift::ui {

class DirList;
class DriveList;
class FileList;

class Dialog final : public Window {
    Q_OBJECT
public:
    Dialog();

    DriveList* Drive1;
    DirList* Dir1;
    FileList* File1;            ///< pattern "*.ini"
    QPushButton* CancelButton;  ///< "Cancel"
    QPushButton* OKButton;      ///< "OK"
    QStatusBar* StatusBar1;

    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void OKButton_Click();
    void CancelButton_Click();

protected:
    /// Closing the picker is its Cancel.
    void closeControl() override { CancelButton_Click(); }

private:
    bool batchMode() const;
};

} // namespace deckshift::ui
