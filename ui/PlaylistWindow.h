#pragma once
// The design shared by the two playlist converter windows: a source picker (drive, directory and
// file lists), an output directory picker (drive and directory lists), Start and Exit.

#include "convert/RunEvents.h"
#include "ui/Windows.h"

#include <QGroupBox>
#include <QPushButton>

#include <functional>
#include <string>

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
    /// A conversion, ready to run off the GUI thread: it reports to the events and messages it is
    /// given and returns the path of the file it wrote, or nothing when it wrote none.
    using Conversion =
        std::function<std::string(convert::RunEvents& events, convert::MessageSink& messages)>;
    /// The window's conversion of what its controls show now. Called on the GUI thread; what it
    /// returns touches no control.
    virtual Conversion conversion() = 0;
};

} // namespace deckshift::ui
