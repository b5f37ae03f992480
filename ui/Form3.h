#pragma once
// The PCDJ FX VRM to PCDJ RED INI window. Its state lives in its two path labels and the enabled
// flags of its buttons.

#include "ui/Windows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace deckshift::ui {

class Label;
class ProgressBar;

class Form3 final : public Window {
    Q_OBJECT
public:
    Form3();

    QCheckBox* Check1;          ///< "Batch Processing Mode", always unchecked and disabled
    QPushButton* Command1;      ///< "Select File To Convert"
    QGroupBox* Frame1;          ///< "Group to be Converted "
    Label* Label4;              ///< the group to convert
    QPushButton* Command2;      ///< "Select Output Directory"
    QGroupBox* Frame2;          ///< "Target Directory "
    Label* Label5;              ///< the output directory
    QPushButton* Command3;      ///< "Start Convertion"
    QGroupBox* Frame3;          ///< "Proccessing "
    QGroupBox* Frame4;          ///< "Group "
    Label* Label6;              ///< the run's group name
    QGroupBox* Frame5;          ///< "Sub Group "
    Label* Label7;              ///< the current subgroup name
    QGroupBox* Frame6;          ///< "Entry "
    Label* Label8;              ///< the current entry number
    QGroupBox* Frame7;          ///< "Filename "
    Label* Label9;              ///< the current track's path
    QGroupBox* Frame8;          ///< "Current Group\Subgroup "
    ProgressBar* ProgressBar1;  ///< lines processed of the lines counted so far
    QPushButton* Command5;      ///< "Convert Another One"
    QPushButton* Command4;      ///< "Exit"
    Label* Label1;
    Label* Label3;
    Label* Label2;
    Label* Label12;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();
    void Command4_Click();

protected:
    void closeControl() override { Command4_Click(); }
};

} // namespace deckshift::ui
