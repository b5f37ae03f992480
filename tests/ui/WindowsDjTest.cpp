// The windows as a DJ meets them on Windows: the pickers and the export window find the PCDJ RED
// group directory and the PCDJ FX RC directory through registry values set with the system's own
// "reg add", the drive list holds the machine's drive letters, every path shows in Windows form,
// and a register-mode run from the INI window writes the playlists and the group list there.

#ifdef _WIN32

#include "UiTestSupport.h"
#include "support/RegTool.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/ExportWindow.h"
#include "ui/FileDialog.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

#include <cctype>
#include <optional>
#include <string>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

class WindowsDjTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // The test's directories in Windows form, as the registry holds them: "C:\...\RED".
        m_root = m_tmp.path().string();
        writeBytes(m_tmp / "RED" / "Groups" / "Rock.ini",
                   crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||", "[Studio]",
                         "Track 1=;;;;;;|Two.mp3||D:\\Caf\xe9\\|||"}));
        writeBytes(m_tmp / "RED" / "Groups" / "Jazz.INI", crlf({"[Club]"}));
        writeBytes(m_tmp / "RED" / "Groups" / "notes.txt", "x");
        writeBytes(m_tmp / "FX" / "RC" / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
        fs::create_directories(m_tmp / "FX" / "RC" / "Playlists");
        fs::create_directories(m_tmp / "Start");
        startIn(m_tmp / "Start");
    }

    std::string m_root;
};

// The INI picker starts in the group directory that PCDJ RED keeps in the registry, with the
// registry's doubled backslashes halved, and lists its group files in Windows form.
TEST_F(WindowsDjTest, IniPickerFindsTheRedGroupDirectoryInTheRegistry) {
    struct Case {
        const char* name;
        std::wstring value; // empty: no value
        const char* status;
        std::string directory;
    };
    std::wstring doubled;
    for (const wchar_t c : widen(m_root + "\\RED\\Groups\\"))
        doubled += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    const Case cases[] = {
        {"found", widen(m_root + "\\RED\\Groups\\"),
         "PCDJ INI Files Directory Successfully Auto-Detected", m_root + "\\RED\\Groups"},
        {"doubled backslashes", doubled, "PCDJ INI Files Directory Successfully Auto-Detected",
         m_root + "\\RED\\Groups"},
        {"no value", L"", "Could Not Auto-Locate PCDJ INI Files", m_root + "\\Start"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.value.empty() ? (m_redSetting->remove(), true) : m_redSetting->set(c.value));
        Dialog& dialog = show<Dialog>();
        EXPECT_EQ(dialog.StatusBar1->currentMessage(), c.status);
        EXPECT_EQ(dialog.Dir1->path(), c.directory);
        EXPECT_EQ(dialog.File1->path(), c.directory);
        EXPECT_EQ(dialog.Drive1->drive(), std::string(1, char(std::tolower(m_root[0]))) + ":");
        if (c.value.empty()) {
            EXPECT_TRUE(dialog.File1->names().empty());
        } else {
            EXPECT_EQ(dialog.File1->names(), (std::vector<std::string>{"Jazz.INI", "Rock.ini"}));
        }
        EXPECT_TRUE(messages().empty());
        unload<Dialog>();
        flushDeletes();
    }
}

// The drive list holds the machine's drive letters, "c:" among them, and no "/".
TEST_F(WindowsDjTest, DriveListHoldsDriveLetters) {
    Dialog2& picker = show<Dialog2>();
    const auto& drives = *picker.Drive1;
    ASSERT_GE(drives.count(), 1);
    bool hasC = false;
    for (int i = 0; i < drives.count(); ++i) {
        const std::string text = drives.itemText(i).toStdString();
        SCOPED_TRACE(text);
        ASSERT_GE(text.size(), 2u);
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(text[0])));
        EXPECT_EQ(text[1], ':');
        hasC = hasC || text.starts_with("c:");
    }
    EXPECT_TRUE(hasC);
}

// Register mode from the INI window: the RC directory comes from the PCDJ FX setting, the
// playlists go to its Playlists directory and the group list names them by their Windows paths.
TEST_F(WindowsDjTest, RegisterModeRunWritesIntoTheRcDirectoryFromTheRegistry) {
    ASSERT_TRUE(m_fxSetting->set(widen(m_root + "\\FX\\RC\\")));
    ASSERT_TRUE(m_redSetting->set(widen(m_root + "\\RED\\Groups\\")));

    click(show<Form2>().Command1);
    Form1& f = *loaded<Form1>();
    click(f.Check2);
    click(f.Command1);
    Dialog& source = *loaded<Dialog>();
    clickFile(source.File1, "Rock.ini");
    click(source.OKButton);
    ASSERT_TRUE(f.Command3->isEnabled());
    click(f.Command3);

    const std::string playlists = m_root + "\\FX\\RC\\Playlists\\";
    EXPECT_EQ(
        readBytes(m_tmp / "FX" / "RC" / "Groups.xml"),
        crlf(
            {"<Groups>", "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
             "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + playlists + "Rock_Live.XML\"/>",
             "      <SubGroup Name=\"Studio\" pos=\"0\" src=\"" + playlists + "Rock_Studio.XML\"/>",
             "   </Group>", "</Groups>"}));
    auto written = snapshot(m_tmp / "FX" / "RC" / "Playlists");
    EXPECT_EQ(written.size(), 2u);
    EXPECT_EQ(written["Rock_Live.XML"], vrmPlaylist({"C:\\Audio\\One.mp3"}));
    EXPECT_EQ(written["Rock_Studio.XML"], vrmPlaylist({"D:\\Caf\xe9\\Two.mp3"}));
    EXPECT_TRUE(f.Command5->isEnabled());
}

// The export window: the RC directory comes from the PCDJ FX setting, a track that moved is found
// by name in a folder to search, and the playlists are written as M3U8 in Windows form.
TEST_F(WindowsDjTest, ExportWindowReadsTheLibraryTheRegistryNames) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    const std::string rc = m_root + "\\FX\\RC\\";
    writeBytes(m_tmp / "FX" / "RC" / "Groups.xml",
               crlf({"<Groups>", "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
                     "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + rc +
                         "Playlists\\Rock_Live.XML\"/>",
                     "   </Group>", "</Groups>"}));
    writeBytes(m_tmp / "FX" / "RC" / "Playlists" / "Rock_Live.XML",
               vrmPlaylist({m_root + "\\Old\\a.mp3", m_root + "\\New\\b.mp3"}));
    writeBytes(m_tmp / "New" / "Dance" / "a.mp3", "a");
    writeBytes(m_tmp / "New" / "b.mp3", "b");
    ASSERT_TRUE(m_fxSetting->set(widen(rc)));

    click(show<Form2>().Command6);
    ExportWindow& w = *loaded<ExportWindow>();
    EXPECT_EQ(w.rcDirectory->text().toStdString(), rc);
    ASSERT_EQ(w.library->topLevelItemCount(), 1);
    EXPECT_EQ(w.library->topLevelItem(0)->text(0), "Rock");
    FileDialogRecorder dialogs;
    dialogs.answer(QString::fromStdString(m_root + "\\New"));
    click(w.addSearchFolder);
    ASSERT_EQ(w.searchFolders->count(), 1);
    w.outputFolder->setText(QString::fromStdString(m_root + "\\Out"));
    m_messages.onQuestion = [](const ShownMessage&) { return 0; }; // create the output folder
    click(w.startButton);

    EXPECT_EQ(readBytes(m_tmp / "Out" / "Rock" / "Live.m3u8"),
              crlf({"#EXTM3U", m_root + "\\New\\Dance\\a.mp3", m_root + "\\New\\b.mp3"}));
    ASSERT_GT(w.results->topLevelItemCount(), 1);
    EXPECT_EQ(w.results->topLevelItem(0)->text(0).toStdString(),
              "Exported 1 group, 1 playlist and 2 tracks to " + m_root + "\\Out.");
    EXPECT_EQ(w.results->topLevelItem(1)->text(0), "1 of 1 missing track found by name.");
}

} // namespace
} // namespace deckshift::test

#endif // _WIN32
