#include "ui/PlaylistWindow.h"

#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/Form2.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"
#include "ui/OffThreadRun.h"
#include "ui/Progress.h"
#include "ui/Text.h"

namespace deckshift::ui {

PlaylistWindow::PlaylistWindow(const char* caption, const char* sourceFrame, const char* pattern)
    : Window(caption) {
    setClientArea(7815, 5415, true);
    Frame1 = makeFrame(this, sourceFrame, 120, 120, 4695, 3735);
    Frame2 = makeFrame(this, "Output Directory ", 4920, 120, 2775, 3735);
    Drive1 = new DriveList(Frame1);
    place(Drive1, 120, 360, 4455, 315);
    Dir1 = new DirList(Frame1);
    place(Dir1, 120, 840, 2175, 2790);
    File1 = new FileList(Frame1);
    File1->setPattern(pattern);
    File1->setPath(Dir1->path());
    place(File1, 2400, 840, 2175, 2820);
    Drive2 = new DriveList(Frame2);
    place(Drive2, 120, 360, 2535, 315);
    Dir2 = new DirList(Frame2);
    place(Dir2, 120, 840, 2535, 2790);
    Command1 = makeButton(this, "Start Conversion", 120, 3960, 7575, 615, false);
    Command2 = makeButton(this, "Exit", 120, 4680, 7575, 615);

    Frame1->setAccessibleName(QStringLiteral("Source playlist"));
    Frame2->setAccessibleName(QStringLiteral("Output directory"));

    setTabOrder(Frame1, Frame2);
    setTabOrder(Frame2, Drive1);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Drive2);
    setTabOrder(Drive2, Dir2);
    setTabOrder(Dir2, Command1);
    setTabOrder(Command1, Command2);

    connect(Drive1, &DriveList::Change, this, &PlaylistWindow::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &PlaylistWindow::Dir1_Change);
    connect(Drive2, &DriveList::Change, this, &PlaylistWindow::Drive2_Change);
    connect(File1, &FileList::Click, this, &PlaylistWindow::File1_Click);
    connect(Command1, &QPushButton::clicked, this, &PlaylistWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PlaylistWindow::Command2_Click);
}

void PlaylistWindow::Drive1_Change() {
    followDrive(*Drive1, *Dir1);
}

void PlaylistWindow::Dir1_Change() {
    File1->setPath(Dir1->path());
}

void PlaylistWindow::Drive2_Change() {
    followDrive(*Drive2, *Dir2);
}

void PlaylistWindow::File1_Click() {
    Command1->setText(QStringLiteral("Start Conversion"));
    Command1->setEnabled(true);
}

void PlaylistWindow::Command1_Click() {
    PlaylistWindowProgress progress(*Command1);
    const Conversion run = conversion();
    std::string written;
    try {
        runOffGuiThread([&] { written = run(progress, progress); });
    } catch (const std::exception& e) {
        progress.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
    }
    // The next thing to do is to pick another playlist; Start would convert the same one again.
    File1->setFocus(Qt::OtherFocusReason);
    if (!written.empty())
        showMessage(QStringLiteral("The playlist was written to \"%1\".").arg(qs(written)),
                    qs(convert::kTitleDeckshift));
}

void PlaylistWindow::Command2_Click() {
    ui::show<Form2>();
    unloadSelf();
}

} // namespace deckshift::ui
