// The two playlist converter windows: the start button's states, the lists, and Form7's
// auto-detection.

#include "UiTestSupport.h"

#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/Text.h"
#include "ui/Windows.h"

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

class PlaylistWindowsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        writeBytes(m_tmp / "src" / "Friday.m3u", crlf({"#EXTM3U", "C:\\Music\\One.mp3"}));
        writeBytes(m_tmp / "src" / "SATURDAY.M3U", crlf({"C:\\Music\\Two.mp3"}));
        writeBytes(m_tmp / "src" / "Sunday.m3u8", crlf({"C:\\Music\\Three.mp3"}));
        writeBytes(m_tmp / "src" / "Rock_Live.XML", vrmPlaylist({"C:\\Music\\Four.mp3"}));
        writeBytes(m_tmp / "src" / "lower.xml", vrmPlaylist({}));
        writeBytes(m_tmp / "src" / "sub" / "Deep.m3u", crlf({"C:\\Music\\Five.mp3"}));
        fs::create_directories(m_tmp / "out");
        startIn(m_tmp / "src");
    }
};

TEST_F(PlaylistWindowsTest, DesignAndPatterns) {
    Form6& m3u = show<Form6>();
    EXPECT_EQ(m3u.windowTitle(), "M3U ==> PCDJ FX VRM");
    EXPECT_EQ(m3u.size(), QSize(521, 361));
    EXPECT_EQ(m3u.Frame1->title(), "M3U Playlist File ");
    EXPECT_EQ(m3u.Frame2->title(), "Output Directory ");
    EXPECT_EQ(m3u.File1->names(),
              (std::vector<std::string>{"Friday.m3u", "SATURDAY.M3U", "Sunday.m3u8"}));
    EXPECT_EQ(m3u.File1->fileName(), "");
    EXPECT_EQ(m3u.Dir1->path(), dir("src"));
    EXPECT_EQ(m3u.Dir2->path(), dir("src"));
    EXPECT_EQ(m3u.File1->parentWidget(), m3u.Frame1);
    EXPECT_EQ(m3u.File1->geometry(), QRect(160, 56, 145, 188));
    // Tab order: the frames, then the source lists, the output lists, Start and Exit.
    EXPECT_EQ(m3u.Drive1->nextInFocusChain(), m3u.Dir1);

    Form7& vrm = show<Form7>();
    EXPECT_EQ(vrm.windowTitle(), "PCDJ FX VRM ==> M3U");
    EXPECT_EQ(vrm.Frame1->title(), "PCDJ FX VRM XML File ");
    EXPECT_EQ(vrm.File1->names(), (std::vector<std::string>{"lower.xml", "Rock_Live.XML"}));
}

TEST_F(PlaylistWindowsTest, StartButtonStates) {
    struct Window {
        const char* name;
        std::function<PlaylistWindow&()> show;
        const char* file;
        fs::path output;
    };
    const Window windows[] = {
        {"Form6", []() -> PlaylistWindow& { return ui::show<Form6>(); }, "Friday.m3u",
         m_tmp / "out" / "Friday.XML"},
        {"Form7", []() -> PlaylistWindow& { return ui::show<Form7>(); }, "Rock_Live.XML",
         m_tmp / "out" / "Rock_Live.m3u"},
    };
    for (const Window& w : windows) {
        SCOPED_TRACE(w.name);
        PlaylistWindow& win = w.show();
        auto expectButton = [&win](const char* caption, bool enabled) {
            EXPECT_EQ(win.Command1->text(), caption);
            EXPECT_EQ(win.Command1->isEnabled(), enabled);
        };
        expectButton("Start Conversion", false); // waiting for a file
        clickFile(win.File1, w.file);
        expectButton("Start Conversion", true); // ready
        navigateTo(win.Dir2, dir("out"));
        click(win.Command1);
        expectButton("Finished!!!", true); // finished
        EXPECT_TRUE(fs::exists(w.output));
        clickFile(win.File1, w.file);
        expectButton("Start Conversion", true); // the same file again: ready
        click(win.Command1);
        expectButton("Finished!!!", true);
        // A change of directory leaves the button as it is.
        doubleClickDir(win.Dir1, (m_tmp / "src" / "sub").string());
        expectButton("Finished!!!", true);
        EXPECT_EQ(win.File1->fileName(), "");
        // Each run named the file it wrote.
        const QString written = "The playlist was written to \"" + qs(w.output.string()) + "\".";
        ASSERT_EQ(messages().size(), 2u);
        EXPECT_EQ(messages()[0].text, written);
        EXPECT_EQ(messages()[1].text, written);
        m_messages.clear();

        // Exit and a new choice give a fresh window.
        click(win.Command2);
        flushDeletes();
        PlaylistWindow& fresh = w.show();
        EXPECT_EQ(fresh.Command1->text(), "Start Conversion");
        EXPECT_FALSE(fresh.Command1->isEnabled());
        EXPECT_EQ(fresh.Dir1->path(), dir("src"));
        EXPECT_EQ(fresh.Dir2->path(), dir("src"));
    }
}

// The VRM-to-M3U window writes M3U8 in UTF-8 when its check box says so, and names what it wrote.
TEST_F(PlaylistWindowsTest, Form7WritesM3u8WhenAsked) {
    Form7& win = show<Form7>();
    EXPECT_EQ(win.Check1->text(), "Write M3U8 (UTF-8)");
    EXPECT_FALSE(win.Check1->isChecked());
    EXPECT_EQ(win.Check1->parentWidget(), win.Frame2);
    // Inside its frame, below the directory list, which is not covered.
    EXPECT_TRUE(win.Frame2->rect().contains(win.Check1->geometry()));
    EXPECT_LT(win.Dir2->geometry().bottom(), win.Check1->geometry().top());
    clickFile(win.File1, "Rock_Live.XML");
    navigateTo(win.Dir2, dir("out"));
    click(win.Check1);
    click(win.Command1);
    const fs::path written = m_tmp / "out" / "Rock_Live.m3u8";
    EXPECT_EQ(readBytes(written), crlf({"#EXTM3U", "C:\\Music\\Four.mp3"}));
    EXPECT_FALSE(fs::exists(m_tmp / "out" / "Rock_Live.m3u"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "The playlist was written to \"" + qs(written.string()) + "\".");
}

// Changing the source directory refills the file list only; the output lists stay.
TEST_F(PlaylistWindowsTest, ListsFollowEachOther) {
    Form6& win = show<Form6>();
    navigateTo(win.Dir2, dir("out"));
    doubleClickDir(win.Dir1, (m_tmp / "src" / "sub").string());
    EXPECT_EQ(win.File1->path(), (m_tmp / "src" / "sub").string());
    EXPECT_EQ(win.File1->names(), std::vector<std::string>{"Deep.m3u"});
    EXPECT_EQ(win.Dir2->path(), dir("out"));
}

#ifndef _WIN32

class Form7DetectionTest : public UiTest {};

TEST_F(Form7DetectionTest, AutoDetection) {
    const auto& prefix = usePrefix();
    const fs::path c = prefix.driveC();
    writeBytes(c / "FX" / "RC" / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    writeBytes(c / "FX" / "RC" / "PlayLists" / "Rock_Live.XML", vrmPlaylist({}));
    writeBytes(c / "Bare" / "RC" / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    fs::create_directories(c / "Empty");
    writeBytes(c / "Start" / "here.xml", vrmPlaylist({}));
    ScopedCwd cwd(c / "Start");

    struct Case {
        const char* name;
        const char* setting;
        const char* directory;
        bool message;
    };
    const Case cases[] = {
        {"found and present", "C:\\FX\\RC\\", "C:\\FX\\RC\\PlayLists", false},
        {"doubled backslashes", "C:\\\\FX\\\\RC\\\\", "C:\\FX\\RC\\PlayLists", false},
        {"not found", nullptr, "C:\\Start", false},
        {"found, presence test fails", "C:\\Empty\\", "C:\\", true},
        {"no PlayLists below it", "C:\\Bare\\RC\\", "C:\\Start", false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.setting)
            prefix.setFxRc(k.setting);
        else
            fs::remove(prefix.root() / "system.reg");
        m_messages.clear();
        Form7& win = show<Form7>();
        EXPECT_EQ(win.Drive1->drive(), "c:");
        EXPECT_EQ(win.Dir1->path(), k.directory);
        EXPECT_EQ(win.File1->path(), k.directory);
        EXPECT_EQ(win.Dir2->path(), "C:\\Start") << "the output lists always start here";
        ASSERT_EQ(messages().size(), k.message ? 1u : 0u);
        if (k.message) {
            EXPECT_EQ(messages()[0].text, "The directory listed in your registry does not exist!");
            EXPECT_EQ(messages()[0].title, "Deckshift");
        }
        // Form6 looks nothing up.
        m_messages.clear();
        EXPECT_EQ(show<Form6>().Dir1->path(), "C:\\Start");
        EXPECT_TRUE(messages().empty());
        unload<Form6>();
        unload<Form7>();
        flushDeletes();
    }
}

#endif

} // namespace
} // namespace deckshift::test
