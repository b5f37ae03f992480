// The VRM-to-INI window: its state table walked as a table of events.

#include "UiTestSupport.h"

#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Text.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

class Form3Test : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        writeBytes(m_tmp / "rc" / "Rock_Live.XML", vrmPlaylist({"C:\\Audio\\One.mp3"}));
        writeBytes(m_tmp / "rc" / "Rock_Studio.XML",
                   vrmPlaylist({"C:\\Audio\\Two.mp3", "C:\\Audio\\Three.mp3"}));
        fs::create_directories(m_tmp / "out");
        startIn(m_tmp / "rc");
    }
};

TEST_F(Form3Test, DesignedInitialState) {
    Form3& f = show<Form3>();
    EXPECT_EQ(f.windowTitle(), "PCDJ FX VRM ==> PCDJ RED");
    EXPECT_EQ(f.size(), QSize(578, 470));
    EXPECT_FALSE(f.Check1->isChecked());
    EXPECT_FALSE(f.Check1->isEnabled());
    EXPECT_EQ(f.Check1->text(), "Batch Processing Mode");
    EXPECT_EQ(f.Frame8->title(), "Current Group\\Subgroup ");
    EXPECT_EQ(f.Label1->text(), "PCDJ FX XML ==>>> PCDJ RED RC Converter");
    EXPECT_TRUE(f.Label1->font().bold());
    EXPECT_FALSE(f.Label1->font().italic());
    EXPECT_TRUE(f.Command1->isEnabled());
    EXPECT_TRUE(f.Command4->isEnabled());
}

TEST_F(Form3Test, StateTable) {
    using enum ButtonStep::Expect;
    Form3& f = show<Form3>();
    Form4* source = nullptr;
    walkButtonStates(
        f,
        {
            {"window loaded", [] {}, Off, Off, Off, [&] { EXPECT_EQ(f.Label4->text(), ""); }},
            {"Form4 Cancel",
             [&] {
                 click(f.Command1);
                 click(loaded<Form4>()->CancelButton);
             },
             Same, Same, Same, [&] { EXPECT_EQ(loaded<Form4>(), nullptr); }},
            {"Form4 OK",
             [&] {
                 click(f.Command1);
                 source = loaded<Form4>();
                 clickFile(source->File1, "Rock_Studio.XML");
                 click(source->OKButton);
             },
             On, Same, Same,
             [&] {
                 EXPECT_EQ(f.Label4->text(), "Rock");
                 EXPECT_FALSE(source->isVisible());
             }},
            {"Form5 Cancel",
             [&] {
                 click(f.Command2);
                 click(loaded<Form5>()->CancelButton);
             },
             Same, Same, Same, [&] { EXPECT_EQ(f.Label5->text(), ""); }},
            {"Form5 OK",
             [&] {
                 click(f.Command2);
                 navigateTo(loaded<Form5>()->Dir1, dir("out"));
                 click(loaded<Form5>()->OKButton);
             },
             Same, On, Same,
             [&] {
                 EXPECT_EQ(f.Label5->text(), qs(dir("out")));
                 EXPECT_FALSE(loaded<Form5>()->isVisible());
             }},
            {"end of a run", [&] { click(f.Command3); }, Same, Off, On,
             [&] {
                 EXPECT_TRUE(fs::exists(m_tmp / "out" / "Rock.ini"));
                 EXPECT_EQ(f.Label6->text(), "Rock");
             }},
            {"Convert Another One", [&] { click(f.Command5); }, Same, On, Same,
             [&] {
                 EXPECT_EQ(loaded<Form4>(), source) << "shown as it was left";
                 EXPECT_TRUE(source->isVisible());
             }},
            {"a second run at once", [&] { click(f.Command3); }, Same, Off, On, [] {}},
        },
        [&] { EXPECT_FALSE(f.Check1->isEnabled()); });
    // Each run ends naming the file it wrote.
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].text, "The group file was written to \"" +
                                      qs((m_tmp / "out" / "Rock.ini").string()) + "\".");
}

// After the source picker's Cancel, a run loads it again without showing it and reads the
// directory it starts in.
TEST_F(Form3Test, RunAfterSourcePickerCancelLoadsItHidden) {
    Form3& f = show<Form3>();
    pickVrmSourceAndOutput(f, "Rock_Live.XML", dir("out"));
    click(f.Command1);
    click(loaded<Form4>()->CancelButton);
    flushDeletes();
    ASSERT_EQ(loaded<Form4>(), nullptr);

    click(f.Command3);
    Form4* reloaded = loaded<Form4>();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_FALSE(reloaded->isVisible());
    EXPECT_EQ(reloaded->Dir1->path(), dir("rc"));
    EXPECT_TRUE(fs::exists(m_tmp / "out" / "Rock.ini"));
}

// A playlist named "_Live.XML" names the empty group; Start then has no group and is refused.
TEST_F(Form3Test, StartWithoutAGroupIsRefused) {
    writeBytes(m_tmp / "rc" / "_Live.XML", vrmPlaylist({"C:\\Audio\\One.mp3"}));
    Form3& f = show<Form3>();
    click(f.Command1);
    clickFile(loaded<Form4>()->File1, "_Live.XML");
    click(loaded<Form4>()->OKButton);
    ASSERT_EQ(f.Label4->text(), "");
    click(f.Command2);
    navigateTo(loaded<Form5>()->Dir1, dir("out"));
    click(loaded<Form5>()->OKButton);
    ASSERT_TRUE(f.Command3->isEnabled());
    click(f.Command3);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_TRUE(fs::is_empty(m_tmp / "out"));
    EXPECT_FALSE(f.Command5->isEnabled());
}

} // namespace
} // namespace deckshift::test
