#pragma once
// The source picker of the VRM-to-INI window: one playlist of the group to convert.

#include "ui/Windows.h"

#include <QPushButton>
#include <QStatusBar>

namespace deckshift::ui {

class DirList;
class DriveList;
class FileList;

class Form4 final : public Window {
    Q_OBJECT
public:
    Form4();

    DriveList* Drive1;
    DirList* Dir1;
    FileList* File1;            ///< pattern "*.XML"
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
    void closeControl() override { CancelButton_Click(); }
};

} // namespace deckshift::ui
