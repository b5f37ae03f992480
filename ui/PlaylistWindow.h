#pragma once
// The design shared by the two playlist converter windows: a source picker (drive, directory and
// file lists), an output directory picker (drive and directory lists), Start and Exit.

#include "convert/RunEvents.h"
#include "ui/Windows.h"

#include <QGroupBox>
#include <QPushButton>

namespace deckshift::ui {

class DirList;
class DriveList;
class FileList;

class PlaylistWindow : public Window {
    Q_OBJECT
public:
    QGroupBox* Frame1; ///< the source playlist
    QGroupBox* Frame2; ///< "Output Directory "
    DriveList* Drive1;
    DirList* Dir1;
    FileList* File1;
    DriveList* Drive2;
    DirList* Dir2;
    QPushButton* Command1; ///< "Start Conversion"
    QPushButton* Command2; ///< "Exit"

    void Drive1_Change();
    void Dir1_Change();
    void Drive2_Change();
    void File1_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    PlaylistWindow(const char* caption, const char* sourceFrame, const char* pattern);
    void closeControl() override { Command2_Click(); }
    /// Runs the window's conversion, reporting to `events` and `messages`.
    virtual void runConversion(convert::RunEvents& events, convert::MessageSink& messages) = 0;
};

} // namespace deckshift::ui
