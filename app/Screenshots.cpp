// Takes a picture of every window of the program, offscreen, for the documentation:
//
//   deckshift_screenshots OUTPUT_DIRECTORY
//
// The windows run against a small sample Wine prefix made in a temporary directory, so that the
// pickers detect their directories and the converter windows show a finished run.
//
// The Windows build reads the real registry and drive C: instead, so it is meant for a throwaway
// Wine prefix whose registry already holds the two settings (scripts/windows.sh --screenshots
// sets them with reg add):
//
//   deckshift_screenshots OUTPUT_DIRECTORY "C:\"
//
// writes the sample below C:\ ("C:\PCDJ FX\RC", "C:\PCDJ RED\Groups", "C:\Music") and takes
// the pictures in the platform's own style (QT_QPA_PLATFORM=windows on Wine's display).

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/ExportWindow.h"
#include "ui/FileDialog.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/MessageBox.h"
#include "ui/Windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace deckshift::ui;

namespace {

void write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

/// The sample files below `c`, the root of drive C: as the programs see it.
void makeSampleDrive(const fs::path& c);

#ifndef _WIN32
void makeSamplePrefix(const fs::path& prefix) {
    write(prefix / "system.reg",
          "WINE REGISTRY Version 2\r\n\r\n[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1\r\n"
          "\"CONFIG_RC_PATH\"=\"C:\\\\PCDJ FX\\\\RC\\\\\"\r\n");
    write(prefix / "user.reg",
          "WINE REGISTRY Version 2\r\n\r\n[Software\\\\Visiosonic\\\\PCDJ RED\\\\Directory] 1\r\n"
          "\"Grouppath\"=\"C:\\\\PCDJ RED\\\\Groups\\\\\"\r\n");
    makeSampleDrive(prefix / "dosdevices" / "c:");
}
#endif

void makeSampleDrive(const fs::path& c) {
    // A library of two groups for the export, one of its playlists lost.
    write(c / "PCDJ FX" / "RC" / "Groups.xml",
          "<?xml version=\"1.0\"?>\r\n<Groups>\r\n"
          "   <Group Name=\"House\" pos=\"0\" lastrow=\"-1\">\r\n"
          "      <SubGroup Name=\"Warm Up\" pos=\"0\" "
          "src=\"C:\\PCDJ FX\\RC\\Playlists\\House_Warm Up.XML\"/>\r\n"
          "      <SubGroup Name=\"Peak\" pos=\"1\" "
          "src=\"C:\\PCDJ FX\\RC\\Playlists\\House_Peak.XML\"/>\r\n"
          "   </Group>\r\n"
          "   <Group Name=\"Jazz\" pos=\"1\" lastrow=\"-1\">\r\n"
          "      <SubGroup Name=\"Club\" pos=\"0\" "
          "src=\"C:\\PCDJ FX\\RC\\Playlists\\Jazz_Club.XML\"/>\r\n"
          "   </Group>\r\n</Groups>\r\n");
    const auto playlist = [](std::initializer_list<const char*> tracks) {
        std::string text = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<smil>\r\n"
                           "   <body>\r\n      <seq>\r\n";
        for (const char* track : tracks)
            text += std::string("         <media src=\"") + track + "\">\r\n         </media>\r\n";
        return text + "      </seq>\r\n   </body>\r\n</smil>\r\n";
    };
    write(c / "PCDJ FX" / "RC" / "Playlists" / "House_Warm Up.XML",
          playlist({"E:\\Vinyl Rips\\House\\Intro.mp3", "E:\\Vinyl Rips\\House\\Groove.mp3"}));
    write(c / "PCDJ FX" / "RC" / "Playlists" / "Jazz_Club.XML",
          playlist({"E:\\Vinyl Rips\\Jazz\\Take Five.mp3"}));
    write(c / "Music" / "House" / "Intro.mp3", "x");
    write(c / "Music" / "Jazz" / "Take Five.mp3", "x");
    fs::create_directories(c / "Music" / "Sets");
    fs::create_directories(c / "Music" / "Out");
    std::string rock = "[Live]\r\n";
    for (int i = 1; i <= 12; ++i)
        rock += "Track " + std::to_string(i) + "=;;;;;;|Song " + std::to_string(i) +
                ".mp3||C:\\Music\\Rock\\Live\\|||\r\n";
    rock += "[Studio]\r\nTrack 1=;;;;;;|Opener.mp3||C:\\Music\\Rock\\Studio\\|||\r\n";
    write(c / "PCDJ RED" / "Groups" / "Rock.ini", rock);
    write(c / "PCDJ RED" / "Groups" / "Jazz.INI",
          "[Club]\r\nTrack 1=;;;;;;|Take Five.mp3||C:\\Music\\Jazz\\|||\r\n");
    write(c / "PCDJ RED" / "Groups" / "notes.txt", "x\r\n");
    write(c / "Music" / "Sets" / "Friday.m3u",
          "#EXTM3U\r\n#EXTINF:200,One\r\n\\Music\\One.mp3\r\nC:\\Music\\Two.mp3\r\n");
    write(c / "Music" / "Sets" / "Saturday.M3U", "C:\\Music\\Three.mp3\r\n");
}

bool save(QWidget& window, const QString& directory, const char* name) {
    QApplication::processEvents();
    const QString file = QDir(directory).filePath(QString::fromLatin1(name) + ".png");
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef _WIN32
    if (argc != 3 || std::string(argv[2]) != "C:\\") {
        std::fprintf(stderr, "usage: deckshift_screenshots OUTPUT_DIRECTORY C:\\\n");
        return 2;
    }
#else
    if (argc != 2) {
        std::fprintf(stderr, "usage: deckshift_screenshots OUTPUT_DIRECTORY\n");
        return 2;
    }
#endif
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

#ifdef _WIN32
    const fs::path prefix = "C:\\";
    makeSampleDrive(prefix);
#else
    QTemporaryDir temp;
    const fs::path prefix = fs::path(temp.path().toStdString()) / "prefix";
    makeSamplePrefix(prefix);
    qputenv("WINEPREFIX", prefix.string().c_str());
#endif
    MessageRecorder messages; // nothing may wait for a click here

    bool ok = true;
    Form2& menu = show<Form2>();
    ok &= save(menu, out, "Form2");

    // The INI window after a finished single-file run.
    menu.Command1_Click();
    Form1& form1 = *loaded<Form1>();
    form1.Command1_Click();
    Dialog& dialog = *loaded<Dialog>();
    ok &= save(dialog, out, "Dialog");
    dialog.File1->selectName("Rock.ini");
    dialog.OKButton_Click();
    form1.Command2_Click();
    Dialog2& dialog2 = *loaded<Dialog2>();
    dialog2.Dir1->setPath("C:\\Music\\Out");
    ok &= save(dialog2, out, "Dialog2");
    dialog2.OKButton_Click();
    form1.Command3_Click();
    ok &= save(form1, out, "Form1");
    form1.Command4_Click();

    // The VRM-to-INI window after a run over the playlists just written.
    menu.Command2_Click();
    Form3& form3 = *loaded<Form3>();
    form3.Command1_Click();
    Form4& form4 = *loaded<Form4>();
    form4.Dir1->setPath("C:\\Music\\Out");
    form4.File1->selectName("Rock_Live.XML");
    ok &= save(form4, out, "Form4");
    form4.OKButton_Click();
    form3.Command2_Click();
    Form5& form5 = *loaded<Form5>();
    ok &= save(form5, out, "Form5");
    form5.OKButton_Click();
    form3.Command3_Click();
    ok &= save(form3, out, "Form3");
    form3.Command4_Click();

    menu.Command4_Click();
    Form6& form6 = *loaded<Form6>();
    form6.Dir1->setPath("C:\\Music\\Sets");
    form6.File1->selectName("Friday.m3u");
    form6.Dir2->setPath("C:\\Music\\Out");
    form6.Command1_Click();
    ok &= save(form6, out, "Form6");
    form6.Command2_Click();

    menu.Command5_Click();
    Form7& form7 = *loaded<Form7>();
    form7.Dir1->setPath("C:\\Music\\Out");
    ok &= save(form7, out, "Form7");
    form7.Command2_Click();

    // The export window after a run with a relocation rule and the track check.
    {
        FileDialogRecorder dialogs;
        menu.Command6_Click();
        ExportWindow& exporter = *loaded<ExportWindow>();
        exporter.resize(640, 600);
        exporter.outputFolder->setText("C:\\Music\\Export");
        exporter.addRelocation();
        exporter.relocations->item(0, 0)->setText("E:\\Vinyl Rips");
        exporter.relocations->item(0, 1)->setText("C:\\Music");
        exporter.checkTracks->setChecked(true);
#ifdef _WIN32
        fs::create_directories(prefix / "Music" / "Export");
#else
        fs::create_directories(prefix / "dosdevices" / "c:" / "Music" / "Export");
#endif
        exporter.startClicked();
        while (exporter.running())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::processEvents();
        exporter.startButton->setFocus();
        ok &= save(exporter, out, "ExportWindow");
        exporter.exitClicked();
    }

    for (const ShownMessage& m : messages.messages())
        std::fprintf(stderr, "message: %s [%s]\n", qPrintable(m.text), qPrintable(m.title));
    unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ok ? 0 : 1;
}
