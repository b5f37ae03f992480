#pragma once
// The main menu: the four conversions, the library export and Exit.

#include "ui/Windows.h"

#include <QPushButton>

namespace deckshift::ui {

class Label;

class Form2 final : public Window {
    Q_OBJECT
public:
    Form2();

    QPushButton* Command1; ///< "PCDJ RED ==> PCDJ FX VRM"
    QPushButton* Command2; ///< "PCDJ FX VRM ==> PCDJ RED"
    QPushButton* Command4; ///< "M3U PLAYLIST ==> PCDJ FX VRM"
    QPushButton* Command5; ///< "PCDJ FX VRM ==> M3U PLAYLIST"
    QPushButton* Command6; ///< "LIBRARY ==> REKORDBOX / TRAKTOR / M3U"
    QPushButton* Command3; ///< "Exit"
    Label* Label12;        ///< the version

    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command3_Click();

protected:
    /// Closing the menu ends the program, as its Exit does.
    void closeControl() override { Command3_Click(); }
};

} // namespace deckshift::ui
