// Conversions run from the windows off the GUI thread: the question before a group already listed
// and its answers, input dropped and the values shown during a run, closing a window during a
// run, the focus after a run.

#include "UiTestSupport.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/OffThreadRun.h"
#include "ui/Text.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QCoreApplication>
#include <QTest>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

const std::string kRockIni =
    crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||", "[Studio]",
          "Track 1=;;;;;;|Two.mp3||C:\\Audio\\|||", "Track 2=;;;;;;|Three.mp3||C:\\Audio\\|||"});
const std::vector<std::string> kOldRock = {
    "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
    "      <SubGroup Name=\"Old\" pos=\"0\" src=\"C:\\Old\\Rock_Old.XML\"/>", "   </Group>"};
const std::vector<std::string> kNewRock = {
    "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
    "      <SubGroup Name=\"Live\" pos=\"0\" src=\"C:\\FX\\RC\\Playlists\\Rock_Live.XML\"/>",
    "      <SubGroup Name=\"Studio\" pos=\"0\" src=\"C:\\FX\\RC\\Playlists\\Rock_Studio.XML\"/>",
    "   </Group>"};

/// The lines of a group list holding `groups`, in order.
[[maybe_unused]] std::string
groupList(std::initializer_list<const std::vector<std::string>*> groups) {
    std::vector<std::string> lines{"<Groups>"};
    for (const auto* group : groups)
        lines.insert(lines.end(), group->begin(), group->end());
    lines.emplace_back("</Groups>");
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

const QString kQuestion = "Group \"Rock\" is already in the PCDJ FX group list.";

class WindowRunsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        fs::create_directories(m_tmp / "out");
        startIn(m_tmp.path());
    }

#ifndef _WIN32
    /// A Wine prefix whose RC directory lists a group "Rock", and the INI window, fresh from the
    /// menu, in register mode with "Rock.INI" picked, or in `batch` mode with the directory of
    /// "Pop.INI" and "Rock.INI".
    Form1& registerModeReady(bool batch = false) {
        unloadAll();
        flushDeletes();
        if (!m_prefix) {
            const auto& prefix = usePrefix();
            prefix.setFxRc("C:\\\\FX\\\\RC\\\\");
            writeBytes(prefix.driveC() / "RED" / "Rock.INI", kRockIni);
            writeBytes(prefix.driveC() / "RED" / "Pop.INI",
                       crlf({"[Hits]", "Track 1=;;;;;;|Pop.mp3||C:\\Pop\\|||"}));
            prefix.setRedGroups("C:\\RED\\");
        }
        m_rc = m_prefix->driveC() / "FX" / "RC";
        fs::remove_all(m_rc);
        writeBytes(m_rc / "Groups.xml", groupList({&kOldRock}));
        fs::create_directories(m_rc / "Playlists");

        click(show<Form2>().Command1);
        Form1& f = *loaded<Form1>();
        if (batch)
            click(f.Check1);
        click(f.Check2);
        click(f.Command1);
        Dialog& source = *loaded<Dialog>();
        if (!batch)
            clickFile(source.File1, "Rock.INI");
        click(source.OKButton);
        EXPECT_TRUE(f.Command3->isEnabled());
        return f;
    }
    fs::path m_rc;
#endif
};

#ifndef _WIN32
// The question before a group already listed, asked on the GUI thread while the run waits, and
// what each answer leaves in the group list and the Playlists directory.
TEST_F(WindowRunsTest, GroupAlreadyListedQuestion) {
    const std::string oldList = groupList({&kOldRock});
    struct Case {
        const char* answer;
        std::string list; ///< Groups.xml after the run
        bool written;     ///< whether the group's playlists were written
    } cases[] = {
        {"Replace", groupList({&kNewRock}), true},
        {"Add Another", groupList({&kOldRock, &kNewRock}), true},
        {"Cancel", oldList, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.answer);
        Form1& f = registerModeReady();
        m_messages.clear();
        bool askedOnGuiThreadDuringRun = false;
        m_messages.onQuestion = [&](const ShownMessage& asked) {
            askedOnGuiThreadDuringRun = onGuiThread() && runInProgress();
            return int(asked.buttons.indexOf(QString::fromLatin1(k.answer)));
        };

        click(f.Command3);
        m_messages.onQuestion = nullptr;

        // A run that wrote the group ends saying so.
        ASSERT_EQ(messages().size(), k.written ? 2u : 1u);
        EXPECT_EQ(messages()[0].text, kQuestion);
        EXPECT_EQ(messages()[0].title, "Deckshift");
        EXPECT_EQ(messages()[0].buttons, (QStringList{"Replace", "Add Another", "Cancel"}));
        if (k.written) {
            EXPECT_TRUE(messages()[1].text.startsWith("Converted 1 group file into 2 playlists"))
                << messages()[1].text.toStdString();
        }
        EXPECT_TRUE(askedOnGuiThreadDuringRun);
        EXPECT_EQ(readBytes(m_rc / "Groups.xml"), k.list);
        auto playlists = snapshot(m_rc / "Playlists");
        if (k.written) {
            EXPECT_EQ(playlists.size(), 2u);
            EXPECT_EQ(playlists["Rock_Live.XML"], vrmPlaylist({"C:\\Audio\\One.mp3"}));
            EXPECT_EQ(playlists["Rock_Studio.XML"],
                      vrmPlaylist({"C:\\Audio\\Two.mp3", "C:\\Audio\\Three.mp3"}));
            EXPECT_EQ(readBytes(m_rc / "Groups.xml.1.bak"), oldList);
            EXPECT_TRUE(f.Command5->isEnabled());
            EXPECT_FALSE(f.Command3->isEnabled());
        } else {
            EXPECT_TRUE(playlists.empty());
            EXPECT_FALSE(fs::exists(m_rc / "Groups.xml.1.bak"));
            // Nothing happened: the run can be started again.
            EXPECT_TRUE(f.Command3->isEnabled());
            EXPECT_FALSE(f.Command5->isEnabled());
        }
    }
}

// While the run waits for the answer, the window shows the values reported so far (those of the
// group before) and takes no input; the last values show when the run ends.
TEST_F(WindowRunsTest, InputIsDroppedAndValuesShowDuringARun) {
    Form1& f = registerModeReady(true);
    QString groupShown, subgroupShown, countShown;
    m_messages.onQuestion = [&](const ShownMessage&) {
        groupShown = f.Label6->text();
        subgroupShown = f.Label7->text();
        countShown = f.Label11->text();
        // The user clicks around the window while the run goes on.
        QTest::mouseClick(f.Check1, Qt::LeftButton);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        f.Command3->setFocus();
        QTest::keyClick(f.Command3, Qt::Key_Space);
        return 0; // Replace
    };
    click(f.Command3);
    QCoreApplication::processEvents();

    EXPECT_EQ(groupShown, "Pop");
    EXPECT_EQ(subgroupShown, "Hits");
    EXPECT_EQ(countShown, "2");
    EXPECT_EQ(loaded<Form1>(), &f) << "Exit was acted on during the run";
    EXPECT_TRUE(f.Check1->isChecked());
    EXPECT_FALSE(loaded<Dialog>()->isVisible());
    ASSERT_EQ(messages().size(), 2u) << "the question and the summary";
    EXPECT_EQ(messages()[0].text, kQuestion);
    EXPECT_TRUE(messages()[1].text.startsWith(
        "Converted 2 group files into 3 playlists in C:\\FX\\RC\\Playlists, registered in the "
        "group list."))
        << messages()[1].text.toStdString();
    EXPECT_EQ(f.Label6->text(), "Rock");
    EXPECT_EQ(f.Label7->text(), "Studio");
    EXPECT_EQ(f.Label8->text(), "5");
    EXPECT_EQ(f.Label11->text(), "5");
    EXPECT_EQ(f.Label9->text(), "C:\\Audio\\Three.mp3");
    EXPECT_EQ(f.ProgressBar1->maximum(), 5);
    EXPECT_EQ(f.ProgressBar1->value(), 5);
    const std::vector<std::string> pop = {
        "   <Group Name=\"Pop\" pos=\"2\" lastrow=\"-1\">",
        "      <SubGroup Name=\"Hits\" pos=\"0\" src=\"C:\\FX\\RC\\Playlists\\Pop_Hits.XML\"/>",
        "   </Group>"};
    EXPECT_EQ(readBytes(m_rc / "Groups.xml"), groupList({&kNewRock, &pop}));
}

// Closing the window during a run says that it closes when the run has ended; the run writes
// everything, and then the window goes back to the menu as its Exit does.
TEST_F(WindowRunsTest, ClosingDuringARun) {
    Form1& f = registerModeReady();
    hide<Form2>();
    bool openDuringRun = false;
    m_messages.onQuestion = [&](const ShownMessage&) {
        f.close();
        openDuringRun = f.isVisible() && loaded<Form1>() == &f;
        return 1; // Add Another
    };
    click(f.Command3);
    EXPECT_TRUE(openDuringRun);
    // The question, the notice, and what the run wrote.
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_EQ(messages()[1].text, qs(kMsgClosingAfterRun));
    EXPECT_EQ(messages()[1].title, "Deckshift");
    EXPECT_TRUE(messages()[2].text.startsWith("Converted 1 group file into 2 playlists"))
        << messages()[2].text.toStdString();
    EXPECT_EQ(readBytes(m_rc / "Groups.xml"), groupList({&kOldRock, &kNewRock}));
    EXPECT_EQ(snapshot(m_rc / "Playlists").size(), 2u);

    QCoreApplication::processEvents();
    EXPECT_EQ(loaded<Form1>(), nullptr);
    EXPECT_EQ(loaded<Dialog>(), nullptr);
    ASSERT_NE(loaded<Form2>(), nullptr);
    EXPECT_TRUE(loaded<Form2>()->isVisible());
}
#endif

// The end-of-batch summary: counts in the singular and plural, a cancelled run, and a long list of
// skipped files cut after twenty names.
TEST(BatchSummary, Text) {
    auto result = [](std::uint64_t converted, std::uint64_t playlists, std::size_t skipped,
                     const char* cancelledBefore) {
        convert::IniToVrmResult r;
        r.groupFilesConverted = converted;
        r.playlistsWritten = playlists;
        r.outputDirectory = "C:\\Out";
        r.cancelledBefore = cancelledBefore;
        for (std::size_t i = 0; i < skipped; ++i)
            r.skippedFiles.push_back({"F" + std::to_string(i) + ".INI", "not a group file"});
        return r;
    };
    QString many = "Converted 0 group files into 0 playlists in C:\\Out.\n\nSkipped 22 files:";
    for (int i = 0; i < 20; ++i)
        many += QStringLiteral("\nF%1.INI: not a group file").arg(i);
    many += "\n... and 2 more.";
    struct Case {
        const char* name;
        convert::IniToVrmResult result;
        bool registered;
        QString text;
    } cases[] = {
        {"one of each", result(1, 1, 1, ""), false,
         "Converted 1 group file into 1 playlist in C:\\Out.\n\nSkipped 1 file:\nF0.INI: not a "
         "group file"},
        {"registered", result(2, 5, 0, ""), true,
         "Converted 2 group files into 5 playlists in C:\\Out, registered in the group list."},
        {"cancelled", result(1, 2, 0, "Rock"), true,
         "The run was cancelled before group \"Rock\".\nConverted 1 group file into 2 playlists "
         "in C:\\Out, registered in the group list."},
        {"nothing converted, many skipped", result(0, 0, 22, ""), false, many},
    };
    for (const Case& k : cases)
        EXPECT_EQ(batchSummary(k.result, k.registered), k.text) << k.name;
}

// After a run the focus is on the next thing to do, never on Exit.
TEST_F(WindowRunsTest, FocusAfterARun) {
    writeBytes(m_tmp / "rc" / "Rock_Live.XML", vrmPlaylist({"C:\\Audio\\One.mp3"}));
    writeBytes(m_tmp / "groups" / "Rock.INI", kRockIni);
    writeBytes(m_tmp / "lists" / "Friday.m3u", crlf({"C:\\Music\\One.mp3"}));

    // VRM to INI: "Convert Another One".
    Form3& vrmToIni = show<Form3>();
    click(vrmToIni.Command1);
    doubleClickDir(loaded<Form4>()->Dir1, dir("rc"));
    clickFile(loaded<Form4>()->File1, "Rock_Live.XML");
    click(loaded<Form4>()->OKButton);
    click(vrmToIni.Command2);
    navigateTo(loaded<Form5>()->Dir1, dir("out"));
    click(loaded<Form5>()->OKButton);
    vrmToIni.Command3->setFocus();
    click(vrmToIni.Command3);
    ASSERT_TRUE(fs::exists(m_tmp / "out" / "Rock.ini"));
    EXPECT_EQ(vrmToIni.focusWidget(), vrmToIni.Command5);

    // INI to VRM in batch mode: "Convert Another One", so that Enter does not run the batch
    // again.
    Form1& iniToVrm = show<Form1>();
    click(iniToVrm.Check1);
    click(iniToVrm.Command1);
    doubleClickDir(loaded<Dialog>()->Dir1, dir("groups"));
    click(loaded<Dialog>()->OKButton);
    click(iniToVrm.Command2);
    navigateTo(loaded<Dialog2>()->Dir1, dir("out"));
    click(loaded<Dialog2>()->OKButton);
    iniToVrm.Command3->setFocus();
    click(iniToVrm.Command3);
    ASSERT_TRUE(fs::exists(m_tmp / "out" / "Rock_Live.XML"));
    EXPECT_EQ(iniToVrm.focusWidget(), iniToVrm.Command5);

    // A playlist window: the source list, to pick the next playlist.
    Form6& m3u = show<Form6>();
    navigateTo(m3u.Dir1, dir("lists"));
    clickFile(m3u.File1, "Friday.m3u");
    navigateTo(m3u.Dir2, dir("out"));
    m3u.Command1->setFocus();
    click(m3u.Command1);
    ASSERT_TRUE(fs::exists(m_tmp / "out" / "Friday.XML"));
    EXPECT_EQ(m3u.focusWidget(), m3u.File1);
}

} // namespace
} // namespace deckshift::test
