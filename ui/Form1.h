#pragma once
// The PCDJ RED INI to PCDJ FX VRM window. Its whole state lives in its controls: the two check
// boxes, the two path labels and the enabled flags of its buttons.

#include "ui/Windows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace deckshift::ui {

class Label;
class ProgressBar;

class Form1 final : public Window {
    Q_OBJECT
public:
    Form1();

    QCheckBox* Check2;          ///< "Register XML Files"
    QCheckBox* Check1;          ///< "Batch Processing Mode"
    QPushButton* Command1;      ///< "Select File To Convert" / "Select Input Directory"
    QGroupBox* Frame1;          ///< "Group to be Converted "
    Label* Label4;              ///< the chosen source
    QPushButton* Command2;      ///< "Select Output Directory"
    QGroupBox* Frame2;          ///< "Target Directory "
    Label* Label5;              ///< the output directory
    QPushButton* Command3;      ///< "Start Convertion"
    QGroupBox* Frame3;          ///< "Proccessing "
    QGroupBox* Frame4;          ///< "Group "
    Label* Label6;              ///< current group name
    QGroupBox* Frame5;          ///< "Sub Group "
    Label* Label7;              ///< current subgroup name
    QGroupBox* Frame6;          ///< "Entry "
    Label* Label8;              ///< current line number
    Label* Label10;             ///< "From" during a run
    Label* Label11;             ///< line count of the file
    QGroupBox* Frame7;          ///< "Filename "
    Label* Label9;              ///< path of the current entry
    QGroupBox* Frame8;          ///< "Overal "
    ProgressBar* ProgressBar1;  ///< line number of line count
    QPushButton* Command5;      ///< "Convert Another One"
    QPushButton* Command4;      ///< "Exit"
    Label* Label1;
    Label* Label3;
    Label* Label2;
    Label* Label12;

    void Check1_Click();
    void Check2_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();
    void Command4_Click();

protected:
    void closeControl() override { Command4_Click(); }
};

} // namespace deckshift::ui
