#pragma once
// The output directory picker of the VRM-to-INI window.

#include "ui/Windows.h"

#include <QPushButton>

namespace deckshift::ui {

class DirList;
class DriveList;

class Form5 final : public Window {
    Q_OBJECT
public:
    Form5();

    DriveList* Drive1;
    DirList* Dir1;
    QPushButton* CancelButton;  ///< "Cancel"
    QPushButton* OKButton;      ///< "OK"

    void Form_Load() override;
    /// A new drive moves the directory list to that drive, as in the source picker.
    void Drive1_Change();
    void OKButton_Click();
    void CancelButton_Click();

protected:
    void closeControl() override { CancelButton_Click(); }
};

} // namespace deckshift::ui
