// How the pickers find their start directories through the registry of a Wine prefix, and what
// the VRM pickers Form4 and Form5 write into Form3.

#include "UiTestSupport.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Text.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QStatusBar>

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

constexpr const char* kMissing = "The directory listed in your registry does not exist!";

#ifndef _WIN32

class PickersTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        const auto& prefix = usePrefix();
        m_c = prefix.driveC();
        // The PCDJ FX RC directory, its playlists below "Playlists", and the RED group directory.
        writeBytes(m_c / "FX" / "RC" / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
        writeBytes(m_c / "FX" / "RC" / "Playlists" / "Rock_Live.XML", vrmPlaylist({}));
        writeBytes(m_c / "FX" / "RC" / "Playlists" / "Rock_Live_Set.xml", vrmPlaylist({}));
        writeBytes(m_c / "FX" / "RC" / "Playlists" / "Notes.XML", vrmPlaylist({}));
        writeBytes(m_c / "RED" / "Groups" / "Rock.ini", crlf({"[Live]"}));
        fs::create_directories(m_c / "Empty");
        fs::create_directories(m_c / "Start");
        startIn(m_c / "Start");
        m_form1 = &load<Form1>();
        m_form3 = &load<Form3>();
    }

    fs::path m_c;
    Form1* m_form1 = nullptr;
    Form3* m_form3 = nullptr;
};

// The directory the program started in is named through the drive that holds it.
TEST_F(PickersTest, ListsStartInTheStartDirectoryThroughTheDrive) {
    Dialog& dialog = show<Dialog>();
    EXPECT_EQ(dialog.Drive1->drive(), "c:");
    EXPECT_EQ(dialog.Dir1->path(), "C:\\Start");
}

TEST_F(PickersTest, DialogAutoDetection) {
    struct Case {
        const char* name;
        const char* setting; // nullptr: no setting
        const char* status;
        const char* directory;
        bool message;
    };
    const Case cases[] = {
        {"found and present", "C:\\RED\\Groups\\",
         "PCDJ INI Files Directory Successfully Auto-Detected", "C:\\RED\\Groups", false},
        {"doubled backslashes", "C:\\\\RED\\\\Groups\\\\",
         "PCDJ INI Files Directory Successfully Auto-Detected", "C:\\RED\\Groups", false},
        {"empty directory", "C:\\Empty\\", "", "C:\\", true},
        {"no trailing separator", "C:\\RED\\Groups", "", "C:\\", true},
        {"not found", nullptr, "Could Not Auto-Locate PCDJ INI Files", "C:\\Start", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.setting)
            m_prefix->setRedGroups(c.setting);
        else
            fs::remove(m_prefix->root() / "user.reg");
        m_messages.clear();
        QString statusDuringMessage;
        bool visibleDuringMessage = true;
        m_messages.onMessage = [&](const ShownMessage&) {
            statusDuringMessage = loaded<Dialog>()->StatusBar1->currentMessage();
            visibleDuringMessage = loaded<Dialog>()->isVisible();
        };

        Dialog& dialog = show<Dialog>();

        EXPECT_EQ(dialog.StatusBar1->currentMessage(), c.status);
        EXPECT_EQ(dialog.Dir1->path(), c.directory);
        EXPECT_EQ(dialog.File1->path(), c.directory);
        EXPECT_EQ(dialog.Drive1->drive(), "c:");
        if (c.message) {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].text, kMissing);
            EXPECT_EQ(messages()[0].title, "Deckshift");
            // The success text shows first, and the message comes before the picker itself.
            EXPECT_EQ(statusDuringMessage, "PCDJ INI Files Directory Successfully Auto-Detected");
            EXPECT_FALSE(visibleDuringMessage);
        } else {
            EXPECT_TRUE(messages().empty());
        }
        unload<Dialog>();
        flushDeletes();
    }
}

TEST_F(PickersTest, Dialog2AndForm5AutoDetection) {
    struct Case {
        const char* name;
        const char* setting;
        const char* directory;
        bool message;
    };
    const Case fx[] = {
        {"found and present", "C:\\FX\\RC\\", "C:\\FX\\RC", false},
        {"doubled backslashes", "C:\\\\FX\\\\RC\\\\", "C:\\FX\\RC", false},
        {"empty directory", "C:\\Empty\\", "C:\\", true},
        {"not found", nullptr, "C:\\", false},
    };
    for (const Case& c : fx) {
        SCOPED_TRACE(std::string("Dialog2 ") + c.name);
        if (c.setting)
            m_prefix->setFxRc(c.setting);
        else
            fs::remove(m_prefix->root() / "system.reg");
        m_messages.clear();
        Dialog2& picker = show<Dialog2>();
        EXPECT_EQ(picker.Dir1->path(), c.directory);
        EXPECT_EQ(messages().size(), c.message ? 1u : 0u);
        unload<Dialog2>();
        flushDeletes();
    }
    const Case red[] = {
        {"found and present", "C:\\RED\\Groups\\", "C:\\RED\\Groups", false},
        {"empty directory", "C:\\Empty\\", "C:\\", true},
        {"not found", nullptr, "C:\\", false},
    };
    for (const Case& c : red) {
        SCOPED_TRACE(std::string("Form5 ") + c.name);
        if (c.setting)
            m_prefix->setRedGroups(c.setting);
        else
            fs::remove(m_prefix->root() / "user.reg");
        m_messages.clear();
        Form5& picker = show<Form5>();
        EXPECT_EQ(picker.Dir1->path(), c.directory);
        ASSERT_EQ(messages().size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(messages()[0].text, kMissing);
            EXPECT_EQ(messages()[0].title, "Deckshift");
        }
        unload<Form5>();
        flushDeletes();
    }
}

TEST_F(PickersTest, Form4AutoDetection) {
    struct Case {
        const char* name;
        const char* setting;
        const char* status;
        const char* directory;
        bool message;
    };
    // "PlayLists" is appended and resolved to the directory as it is spelled on disk.
    const Case cases[] = {
        {"found and present", "C:\\FX\\RC\\", "PCDJ FX RC Directory Successfully Auto-Detected",
         "C:\\FX\\RC\\Playlists", false},
        {"doubled backslashes", "C:\\\\FX\\\\RC\\\\",
         "PCDJ FX RC Directory Successfully Auto-Detected", "C:\\FX\\RC\\Playlists", false},
        {"empty directory", "C:\\Empty\\", "Could not locate PCDJ FX RC directory", "C:\\", true},
        {"not found", nullptr, "Could Not Auto-Locate PCDJ FX RC Directory", "C:\\Start", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.setting)
            m_prefix->setFxRc(c.setting);
        else
            fs::remove(m_prefix->root() / "system.reg");
        m_messages.clear();
        QString statusDuringMessage;
        m_messages.onMessage = [&](const ShownMessage&) {
            statusDuringMessage = loaded<Form4>()->StatusBar1->currentMessage();
        };
        Form4& picker = show<Form4>();
        EXPECT_EQ(picker.windowTitle(), "Select File...");
        EXPECT_EQ(picker.StatusBar1->currentMessage(), c.status);
        EXPECT_EQ(picker.Dir1->path(), c.directory);
        EXPECT_EQ(picker.File1->path(), c.directory);
        EXPECT_FALSE(picker.OKButton->isEnabled());
        ASSERT_EQ(messages().size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(statusDuringMessage, "PCDJ FX RC Directory Successfully Auto-Detected");
        }
        unload<Form4>();
        flushDeletes();
    }
}

// The group name is the picked name up to its first "_"; a name without one is refused.
TEST_F(PickersTest, Form4GroupNameIsCutAtTheFirstUnderscore) {
    m_prefix->setFxRc("C:\\FX\\RC\\");
    struct Case {
        const char* file;
        const char* group;
    };
    const Case cases[] = {{"Rock_Live.XML", "Rock"}, {"Rock_Live_Set.xml", "Rock"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Form3& form3 = show<Form3>();
        click(form3.Command1);
        Form4& picker = *loaded<Form4>();
        // OK is enabled exactly while a file is selected.
        EXPECT_EQ(picker.OKButton->isEnabled(), !picker.File1->fileName().empty());
        clickFile(picker.File1, c.file);
        EXPECT_TRUE(picker.OKButton->isEnabled());
        click(picker.OKButton);
        EXPECT_EQ(form3.Label4->text(), c.group);
        EXPECT_TRUE(form3.Command2->isEnabled());
        EXPECT_FALSE(form3.Command3->isEnabled());
        EXPECT_FALSE(picker.isVisible());
        EXPECT_EQ(loaded<Form4>(), &picker) << "OK only hides the picker";
    }

    Form3& form3 = *loaded<Form3>();
    form3.Label4->setCaption("Before");
    click(form3.Command1);
    Form4& picker = *loaded<Form4>();
    clickFile(picker.File1, "Notes.XML");
    click(picker.OKButton);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_EQ(form3.Label4->text(), "Before");
    EXPECT_TRUE(picker.isVisible());
}

TEST_F(PickersTest, Form4OkFollowsTheFileSelection) {
    m_prefix->setFxRc("C:\\FX\\RC\\");
    Form4& picker = show<Form4>();
    clickFile(picker.File1, "Rock_Live.XML");
    ASSERT_TRUE(picker.OKButton->isEnabled());
    doubleClickDir(picker.Dir1, "C:\\FX\\RC");
    EXPECT_EQ(picker.File1->path(), "C:\\FX\\RC");
    EXPECT_EQ(picker.File1->fileName(), "");
    EXPECT_FALSE(picker.OKButton->isEnabled());
}

// Cancel in either VRM picker leaves Form3 as it was; Form4's Cancel unloads it, so the next
// showing detects again, while Form5 keeps the directory the user moved to.
TEST_F(PickersTest, Form4AndForm5Cancel) {
    m_prefix->setFxRc("C:\\FX\\RC\\");
    m_prefix->setRedGroups("C:\\RED\\Groups\\");
    Form3& form3 = show<Form3>();
    click(form3.Command1);
    clickFile(loaded<Form4>()->File1, "Rock_Live.XML");
    click(loaded<Form4>()->OKButton);
    click(form3.Command2);
    Form5& output = *loaded<Form5>();
    click(output.OKButton);
    ASSERT_EQ(form3.Label5->text(), "C:\\RED\\Groups");

    click(form3.Command1);
    Form4& source = *loaded<Form4>();
    doubleClickDir(source.Dir1, "C:\\FX\\RC");
    click(source.CancelButton);
    EXPECT_EQ(loaded<Form4>(), nullptr);
    flushDeletes();

    click(form3.Command2);
    doubleClickDir(output.Dir1, "C:\\RED");
    click(output.CancelButton);
    EXPECT_EQ(loaded<Form5>(), &output);
    EXPECT_FALSE(output.isVisible());

    EXPECT_EQ(form3.Label4->text(), "Rock");
    EXPECT_EQ(form3.Label5->text(), "C:\\RED\\Groups");
    EXPECT_TRUE(form3.Command2->isEnabled());
    EXPECT_TRUE(form3.Command3->isEnabled());

    click(form3.Command1);
    EXPECT_EQ(loaded<Form4>()->Dir1->path(), "C:\\FX\\RC\\Playlists") << "detected afresh";
    click(form3.Command2);
    EXPECT_EQ(output.Dir1->path(), "C:\\RED") << "where the user left it";
}

// A picker shown again lists its directory as it is now: files and subdirectories added while it
// was hidden are there, one removed is gone, and the file still there stays selected.
TEST_F(PickersTest, APickerShownAgainReadsItsDirectoryAfresh) {
    m_prefix->setFxRc("C:\\FX\\RC\\");
    m_prefix->setRedGroups("C:\\RED\\Groups\\");
    struct Case {
        const char* name;
        std::function<SourcePicker&()> pickAndHide; // picks a file, confirms and hides
        std::function<void()> showAgain;
        fs::path added;
        std::string addedName;
        std::string kept;
    };
    const Case sources[] = {
        {"Dialog",
         [this]() -> SourcePicker& {
             m_form1->Command1_Click();
             Dialog& d = *loaded<Dialog>();
             clickFile(d.File1, "Rock.ini");
             click(d.OKButton);
             return d;
         },
         [this] { m_form1->Command5_Click(); }, m_c / "RED" / "Groups" / "Pop.INI", "Pop.INI",
         "Rock.ini"},
        {"Form4",
         [this]() -> SourcePicker& {
             m_form3->Command1_Click();
             Form4& f = *loaded<Form4>();
             clickFile(f.File1, "Rock_Live.XML");
             click(f.OKButton);
             return f;
         },
         [this] { m_form3->Command5_Click(); }, m_c / "FX" / "RC" / "Playlists" / "Pop_Club.xml",
         "Pop_Club.xml", "Rock_Live.XML"},
    };
    for (const Case& c : sources) {
        SCOPED_TRACE(c.name);
        SourcePicker& picker = c.pickAndHide();
        ASSERT_FALSE(picker.isVisible());
        writeBytes(c.added, crlf({"[Club]"}));
        fs::create_directories(c.added.parent_path() / "New");
        c.showAgain();
        ASSERT_TRUE(picker.isVisible());
        const auto names = picker.File1->names();
        EXPECT_NE(std::find(names.begin(), names.end(), c.addedName), names.end());
        EXPECT_EQ(picker.File1->fileName(), c.kept);
        EXPECT_TRUE(picker.OKButton->isEnabled());
        const auto dirs = entryPaths(picker.Dir1);
        EXPECT_NE(std::find(dirs.begin(), dirs.end(), picker.Dir1->path() + "\\New"), dirs.end());

        // The file chosen is gone the next time: nothing is selected and OK waits for a choice.
        picker.hide();
        fs::remove(c.added.parent_path() / c.kept);
        picker.show();
        EXPECT_EQ(picker.File1->fileName(), "");
        EXPECT_FALSE(picker.OKButton->isEnabled());
    }
    EXPECT_TRUE(messages().empty());

    // The output pickers list new subdirectories too.
    m_form1->Command2_Click();
    Dialog2& output = *loaded<Dialog2>();
    output.CancelButton_Click();
    fs::create_directories(m_c / "FX" / "RC" / "Added");
    m_form1->Command2_Click();
    const auto dirs = entryPaths(output.Dir1);
    EXPECT_NE(std::find(dirs.begin(), dirs.end(), "C:\\FX\\RC\\Added"), dirs.end());
}

#endif

} // namespace
} // namespace deckshift::test
