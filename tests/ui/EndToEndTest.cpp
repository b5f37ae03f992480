// Each conversion as a user does it: from the menu, the source and the output picked in the
// pickers with the mouse, the run started, then the files written and the window's final state.

#include "UiTestSupport.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/Text.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QApplication>
#include <QTest>

#include <algorithm>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

const std::string kRockIni = crlf({"[Live]", "Track 1=;;;;;;|Song One.mp3||C:\\Audio\\Dance\\|||",
                                   "Track 2=;;;;;;|Tom & Jerry.mp3||C:\\Audio\\|||", "[Studio]",
                                   "Track 1=;;;;;;|Three.mp3||C:\\Audio\\|||"});
const std::string kRockLive =
    vrmPlaylist({"C:\\Audio\\Dance\\Song One.mp3", "C:\\Audio\\Tom &amp; Jerry.mp3"});
const std::string kRockStudio = vrmPlaylist({"C:\\Audio\\Three.mp3"});

class EndToEndTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        fs::create_directories(m_tmp / "out");
        startIn(m_tmp.path());
        m_menu = &show<Form2>();
    }

    /// From the menu to Form1 with "groups/Rock.INI" picked and "out" confirmed.
    Form1& iniWindowReady() {
        click(m_menu->Command1);
        Form1& f = *loaded<Form1>();
        click(f.Command1);
        Dialog& source = *loaded<Dialog>();
        doubleClickDir(source.Dir1, dir("groups"));
        clickFile(source.File1, "Rock.INI");
        click(source.OKButton);
        click(f.Command2);
        navigateTo(loaded<Dialog2>()->Dir1, dir("out"));
        click(loaded<Dialog2>()->OKButton);
        return f;
    }

    Form2* m_menu = nullptr;
};

TEST_F(EndToEndTest, IniToVrmSingleFile) {
    writeBytes(m_tmp / "groups" / "Rock.INI", kRockIni);
    Form1& f = iniWindowReady();
    ASSERT_EQ(f.Label4->text(), "Rock");
    ASSERT_EQ(f.Label5->text(), qs(dir("out")));
    ASSERT_TRUE(f.Command3->isEnabled());

    click(f.Command3);

    // The run ends saying what it wrote, and where.
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              "Converted 1 group file into 2 playlists in " + qs(dir("out")) + ".");
    EXPECT_EQ(messages()[0].title, "Deckshift");
    m_messages.clear();
    EXPECT_EQ(snapshot(m_tmp / "out"),
              (std::map<std::string, std::string>{{"Rock_Live.XML", kRockLive},
                                                  {"Rock_Studio.XML", kRockStudio}}));
    // The last values of the run show.
    EXPECT_EQ(f.Label6->text(), "Rock");
    EXPECT_EQ(f.Label7->text(), "Studio");
    EXPECT_EQ(f.Label8->text(), "5");
    EXPECT_EQ(f.Label10->text(), "From");
    EXPECT_EQ(f.Label11->text(), "5");
    EXPECT_EQ(f.Label9->text(), "C:\\Audio\\Three.mp3");
    EXPECT_EQ(f.ProgressBar1->maximum(), 5);
    EXPECT_EQ(f.ProgressBar1->value(), 5);
    EXPECT_TRUE(f.Command5->isEnabled());
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_FALSE(f.Command2->isEnabled());

    // "Convert Another One", then Start at once: the file still selected is read again.
    fs::remove_all(m_tmp / "out");
    fs::create_directories(m_tmp / "out");
    click(f.Command5);
    EXPECT_TRUE(loaded<Dialog>()->isVisible());
    EXPECT_EQ(loaded<Dialog>()->File1->fileName(), "Rock.INI");
    click(f.Command3);
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(snapshot(m_tmp / "out").size(), 2u);
}

// A double-click on a file picks it as OK does; while a picker is open it alone takes input.
TEST_F(EndToEndTest, PickersTakeTheInputAndADoubleClick) {
    writeBytes(m_tmp / "groups" / "Rock.INI", kRockIni);
    click(m_menu->Command1);
    Form1& f = *loaded<Form1>();
    click(f.Command1);
    Dialog& source = *loaded<Dialog>();
    EXPECT_EQ(QApplication::activeModalWidget(), &source);
    doubleClickDir(source.Dir1, dir("groups"));
    const auto names = source.File1->names();
    const auto it = std::find(names.begin(), names.end(), "Rock.INI");
    ASSERT_NE(it, names.end());
    QListWidgetItem* item = source.File1->item(static_cast<int>(it - names.begin()));
    // A double-click: a click, then the second press that the system reports as a double-click.
    const QPoint at = source.File1->visualItemRect(item).center();
    QTest::mouseClick(source.File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mousePress(source.File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(source.File1->viewport(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(source.isVisible());
    EXPECT_EQ(f.Label4->text(), "Rock");
    EXPECT_TRUE(f.Command2->isEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    click(f.Command2);
    EXPECT_EQ(QApplication::activeModalWidget(), loaded<Dialog2>());
    click(loaded<Dialog2>()->CancelButton);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EndToEndTest, IniToVrmBatch) {
    writeBytes(m_tmp / "groups" / "Rock.INI", kRockIni);
    writeBytes(m_tmp / "groups" / "CD AUDIO.INI",
               crlf({"[Disc]", "Track 1=;;;;;;|a.mp3||D:\\|||"}));
#ifndef _WIN32
    // A file system that tells letter case apart holds an ordinary group "cd audio" beside it.
    writeBytes(m_tmp / "groups" / "cd audio.ini",
               crlf({"[Disc]", "Track 1=;;;;;;|b.mp3||D:\\|||"}));
    const QString converted = "Converted 2 group files into 3 playlists in ";
    std::map<std::string, std::string> expected = {
        {"cd audio_Disc.XML", vrmPlaylist({"D:\\b.mp3"})}};
#else
    const QString converted = "Converted 1 group file into 2 playlists in ";
    std::map<std::string, std::string> expected;
#endif
    expected["Rock_Live.XML"] = kRockLive;
    expected["Rock_Studio.XML"] = kRockStudio;
    writeBytes(m_tmp / "groups" / "Notes.ini", crlf({"[x]", "no entry here"}));
    click(m_menu->Command1);
    Form1& f = *loaded<Form1>();
    click(f.Check1);
    click(f.Command1);
    Dialog& source = *loaded<Dialog>();
    doubleClickDir(source.Dir1, dir("groups"));
    click(source.OKButton);
    EXPECT_EQ(f.Label4->text(), qs(dir("groups")));
    click(f.Command2);
    navigateTo(loaded<Dialog2>()->Dir1, dir("out"));
    click(loaded<Dialog2>()->OKButton);

    click(f.Command3);

    // The summary says what was converted and what was skipped, and why.
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, converted + qs(dir("out")) +
                                      ".\n\nSkipped 2 files:\nCD AUDIO.INI: PCDJ RED's CD audio "
                                      "group, which names no files to convert\nNotes.ini: "
                                      "not a group file");
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_EQ(snapshot(m_tmp / "out"), expected);
    // The next thing to do is to choose another source; Enter must not run the batch again.
    EXPECT_TRUE(f.Command5->isEnabled());
    EXPECT_EQ(f.focusWidget(), f.Command5);
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_FALSE(f.Command2->isEnabled());
}

#ifndef _WIN32
// Register mode through the registry of a Wine prefix: the playlists go to the RC directory's
// Playlists directory and the group is entered in the group list, with Windows paths.
TEST_F(EndToEndTest, IniToVrmRegisterMode) {
    const auto& prefix = usePrefix();
    const fs::path rc = prefix.driveC() / "FX" / "RC";
    writeBytes(rc / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    fs::create_directories(rc / "Playlists");
    prefix.setFxRc("C:\\\\FX\\\\RC\\\\");
    writeBytes(prefix.driveC() / "RED" / "Rock.INI", kRockIni);
    prefix.setRedGroups("C:\\RED\\");

    click(m_menu->Command1);
    Form1& f = *loaded<Form1>();
    click(f.Check2);
    click(f.Command1);
    Dialog& source = *loaded<Dialog>();
    EXPECT_EQ(source.Dir1->path(), "C:\\RED");
    clickFile(source.File1, "Rock.INI");
    click(source.OKButton);
    EXPECT_FALSE(f.Command2->isEnabled());
    ASSERT_TRUE(f.Command3->isEnabled());

    click(f.Command3);

    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.endsWith(", registered in the group list."))
        << messages()[0].text.toStdString();
    EXPECT_EQ(readBytes(rc / "Playlists" / "Rock_Live.XML"), kRockLive);
    EXPECT_EQ(readBytes(rc / "Playlists" / "Rock_Studio.XML"), kRockStudio);
    const std::string groups = readBytes(rc / "Groups.xml");
    EXPECT_NE(groups.find("C:\\FX\\RC\\Playlists\\Rock_Live.XML"), std::string::npos) << groups;
    EXPECT_NE(groups.find("C:\\FX\\RC\\Playlists\\Rock_Studio.XML"), std::string::npos) << groups;
    EXPECT_EQ(groups.substr(groups.size() - 11), "</Groups>\r\n");
    EXPECT_TRUE(f.Check2->isChecked());
    EXPECT_EQ(f.Label5->text(), "PCDJ FX RecordCase Directory");
    EXPECT_TRUE(f.Command5->isEnabled());
    EXPECT_FALSE(f.Command3->isEnabled());
}
#endif

TEST_F(EndToEndTest, VrmToIni) {
    writeBytes(
        m_tmp / "rc" / "Rock_Live.XML",
        vrmPlaylist({"C:\\Audio\\Dance\\Song One.mp3", "C:\\Audio\\Tom &amp; Jerry&apos;s.mp3"}));
    writeBytes(m_tmp / "rc" / "Rock_Studio.XML", vrmPlaylist({"Three.mp3"}));
    writeBytes(m_tmp / "rc" / "Rockabilly_Hits.XML", vrmPlaylist({"C:\\Other.mp3"}));
    click(m_menu->Command2);
    Form3& f = *loaded<Form3>();
    click(f.Command1);
    Form4& source = *loaded<Form4>();
    EXPECT_EQ(source.StatusBar1->currentMessage(), "Could Not Auto-Locate PCDJ FX RC Directory");
    doubleClickDir(source.Dir1, dir("rc"));
    clickFile(source.File1, "Rock_Studio.XML");
    click(source.OKButton);
    click(f.Command2);
    Form5& output = *loaded<Form5>();
    navigateTo(output.Dir1, dir("out"));
    click(output.OKButton);
    EXPECT_EQ(f.Label4->text(), "Rock");
    EXPECT_EQ(f.Label5->text(), qs(dir("out")));

    click(f.Command3);

    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "The group file was written to \"" +
                                      qs((m_tmp / "out" / "Rock.ini").string()) + "\".");
    EXPECT_EQ(snapshot(m_tmp / "out"),
              (std::map<std::string, std::string>{
                  {"Rock.ini", crlf({"[Live]", "Track 1=;;;;;;|Song One.mp3||C:\\Audio\\Dance\\|||",
                                     "Track 2=;;;;;;|Tom & Jerry's.mp3||C:\\Audio\\|||", "[Studio]",
                                     "Track 1=;;;;;;|Three.mp3|||||"})}}));
    EXPECT_EQ(f.Label6->text(), "Rock");
    EXPECT_EQ(f.Label7->text(), "Studio");
    EXPECT_EQ(f.Label8->text(), "1");
    EXPECT_EQ(f.Label9->text(), "Three.mp3");
    EXPECT_EQ(f.ProgressBar1->maximum(), 20); // 11 lines and 9 lines
    EXPECT_EQ(f.ProgressBar1->value(), 20);
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_TRUE(f.Command5->isEnabled());
    EXPECT_TRUE(f.Command2->isEnabled());
}

TEST_F(EndToEndTest, M3uToVrm) {
    writeBytes(m_tmp / "lists" / "Friday.m3u",
               crlf({"#EXTM3U", "#EXTINF:200,One", "\\Music\\One.mp3", "C:\\Music\\A&B.mp3"}));
    click(m_menu->Command4);
    Form6& f = *loaded<Form6>();
    navigateTo(f.Dir1, dir("lists"));
    clickFile(f.File1, "Friday.m3u");
    navigateTo(f.Dir2, dir("out"));

    click(f.Command1);

    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "The playlist was written to \"" +
                                      qs((m_tmp / "out" / "Friday.XML").string()) + "\".");
    // A path rooted at "\" takes the drive of the playlist's directory as the drive list
    // shows it; without drive letters nothing goes in front of it.
#ifdef _WIN32
    const std::string rooted = f.Drive1->drive() + "\\Music\\One.mp3";
#else
    const std::string rooted = "\\Music\\One.mp3";
#endif
    EXPECT_EQ(snapshot(m_tmp / "out"),
              (std::map<std::string, std::string>{
                  {"Friday.XML", vrmPlaylist({rooted, "C:\\Music\\A&amp;B.mp3"})}}));
    EXPECT_EQ(f.Command1->text(), "Finished!!!");
    EXPECT_TRUE(f.Command1->isEnabled());
}

TEST_F(EndToEndTest, VrmToM3u) {
    writeBytes(
        m_tmp / "lists" / "Rock_Live.XML",
        vrmPlaylist({"C:\\Audio\\Dance\\Song One.mp3", "C:\\Audio\\Tom &amp; Jerry&apos;s.mp3"}));
    click(m_menu->Command5);
    Form7& f = *loaded<Form7>();
    navigateTo(f.Dir1, dir("lists"));
    clickFile(f.File1, "Rock_Live.XML");
    navigateTo(f.Dir2, dir("out"));

    click(f.Command1);

    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "The playlist was written to \"" +
                                      qs((m_tmp / "out" / "Rock_Live.m3u").string()) + "\".");
    EXPECT_EQ(snapshot(m_tmp / "out"),
              (std::map<std::string, std::string>{
                  {"Rock_Live.m3u", crlf({"#EXTM3U", "C:\\Audio\\Dance\\Song One.mp3",
                                          "C:\\Audio\\Tom & Jerry's.mp3"})}}));
    EXPECT_EQ(f.Command1->text(), "Finished!!!");
}

} // namespace
} // namespace deckshift::test
