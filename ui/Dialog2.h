#pragma once
// The output directory picker of the INI window.

#include "ui/Windows.h"

#include <QPushButton>

namespace deckshift::ui {

class DirList;
class DriveList;

class Dialog2 final : public Window {
    Q_OBJECT
public:
    Dialog2();

    DriveList* Drive1;
    DirList* Dir1;
    QPushButton* CancelButton;  ///< "Cancel"
    QPushButton* OKButton;      ///< "OK"

    void Form_Load() override;
    void Drive1_Change();
    void Dir1_Change() {}
    void OKButton_Click();
    void CancelButton_Click();

protected:
    void closeControl() override { CancelButton_Click(); }
};

} // namespace deckshift::ui
