// Using the windows from the keyboard: Enter presses the focused push button in every window, and
// in the pickers OK is the default button (Enter from any other control) and Escape is Cancel.

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
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QPushButton>
#include <QTest>

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

class KeyboardTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // No registry: every picker starts in the current directory or the fallback root.
        writeBytes(m_tmp / "work" / "Rock.ini",
                   crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\|||"}));
        writeBytes(m_tmp / "work" / "Rock_Live.XML", vrmPlaylist({"C:\\Music\\One.mp3"}));
        writeBytes(m_tmp / "work" / "Set.m3u", crlf({"C:\\Music\\Two.mp3"}));
        startIn(m_tmp / "work");
    }

    /// Shows Form1 and its source picker.
    static Dialog& iniSourcePicker() {
        show<Form1>().Command1_Click();
        return *loaded<Dialog>();
    }
    /// Shows Form3 and its source picker.
    static Form4& vrmSourcePicker() {
        show<Form3>().Command1_Click();
        return *loaded<Form4>();
    }
};

TEST_F(KeyboardTest, EnterAndEscapePerWindow) {
    struct Case {
        const char* name;
        /// Shows the window and returns the control that has the focus when the key comes.
        std::function<QWidget*()> setUp;
        Qt::Key key;
        std::function<void()> check;
        const char* message = nullptr; ///< the start of the one message expected, if any
    };
    const Case cases[] = {
        {"menu: Enter on a focused menu button", [] { return show<Form2>().Command4; },
         Qt::Key_Return,
         [] {
             ASSERT_NE(loaded<Form6>(), nullptr);
             EXPECT_TRUE(loaded<Form6>()->isVisible());
             EXPECT_FALSE(loaded<Form2>()->isVisible());
         }},
        {"INI window: Enter on the source button", [] { return show<Form1>().Command1; },
         Qt::Key_Return,
         [] {
             ASSERT_NE(loaded<Dialog>(), nullptr);
             EXPECT_TRUE(loaded<Dialog>()->isVisible());
         }},
        {"INI window: keypad Enter on Exit", [] { return show<Form1>().Command4; }, Qt::Key_Enter,
         [] {
             EXPECT_EQ(loaded<Form1>(), nullptr);
             ASSERT_NE(loaded<Form2>(), nullptr);
             EXPECT_TRUE(loaded<Form2>()->isVisible());
         }},
        {"INI window: Enter on a check box ticks nothing and presses nothing",
         [] { return show<Form1>().Check2; }, Qt::Key_Return,
         [] {
             Form1& form = *loaded<Form1>();
             EXPECT_FALSE(form.Check2->isChecked());
             EXPECT_EQ(loaded<Dialog>(), nullptr);
             EXPECT_TRUE(form.isVisible());
         }},
        {"INI window: Escape does not leave the window", [] { return show<Form1>().Command1; },
         Qt::Key_Escape,
         [] {
             ASSERT_NE(loaded<Form1>(), nullptr);
             EXPECT_TRUE(loaded<Form1>()->isVisible());
         }},
        {"Dialog: Enter in the file list presses OK",
         [] {
             Dialog& picker = iniSourcePicker();
             picker.File1->selectName("Rock.ini");
             return picker.File1;
         },
         Qt::Key_Return,
         [] {
             EXPECT_FALSE(loaded<Dialog>()->isVisible());
             EXPECT_EQ(loaded<Form1>()->Label4->caption(), "Rock");
             EXPECT_TRUE(loaded<Form1>()->Command2->isEnabled());
         }},
        {"Dialog: Enter while no file is selected does nothing",
         [] { return iniSourcePicker().File1; }, Qt::Key_Return,
         [] {
             EXPECT_TRUE(loaded<Dialog>()->isVisible());
             EXPECT_EQ(loaded<Form1>()->Label4->caption(), "");
         }},
        {"Dialog: Enter on the focused Cancel presses Cancel, not OK",
         [] {
             Dialog& picker = iniSourcePicker();
             picker.File1->selectName("Rock.ini");
             return picker.CancelButton;
         },
         Qt::Key_Return,
         [] {
             EXPECT_EQ(loaded<Dialog>(), nullptr);
             EXPECT_EQ(loaded<Form1>()->Label4->caption(), "");
         }},
        {"Dialog: Escape is Cancel",
         [] {
             Dialog& picker = iniSourcePicker();
             picker.File1->selectName("Rock.ini");
             return picker.File1;
         },
         Qt::Key_Escape,
         [] {
             EXPECT_EQ(loaded<Dialog>(), nullptr);
             EXPECT_EQ(loaded<Form1>()->Label4->caption(), "");
         }},
        {"Dialog2: Enter on the drive list presses OK",
         [] {
             show<Form1>().Command2_Click();
             return loaded<Dialog2>()->Drive1;
         },
         Qt::Key_Return,
         [] {
             EXPECT_FALSE(loaded<Dialog2>()->isVisible());
             EXPECT_EQ(loaded<Form1>()->Label5->caption(), loaded<Dialog2>()->Dir1->path());
             EXPECT_TRUE(loaded<Form1>()->Command3->isEnabled());
         }},
        {"Dialog2: Escape is Cancel",
         [] {
             show<Form1>().Command2_Click();
             return loaded<Dialog2>()->Dir1;
         },
         Qt::Key_Escape,
         [] {
             EXPECT_FALSE(loaded<Dialog2>()->isVisible());
             EXPECT_EQ(loaded<Form1>()->Label5->caption(), "");
             EXPECT_FALSE(loaded<Form1>()->Command3->isEnabled());
         }},
        {"VRM window: Enter on the source button", [] { return show<Form3>().Command1; },
         Qt::Key_Return,
         [] {
             ASSERT_NE(loaded<Form4>(), nullptr);
             EXPECT_TRUE(loaded<Form4>()->isVisible());
         }},
        {"Form4: Enter in the file list presses OK",
         [] {
             Form4& picker = vrmSourcePicker();
             picker.File1->selectName("Rock_Live.XML");
             return picker.File1;
         },
         Qt::Key_Return,
         [] {
             EXPECT_FALSE(loaded<Form4>()->isVisible());
             EXPECT_EQ(loaded<Form3>()->Label4->caption(), "Rock");
         }},
        {"Form4: Escape is Cancel", [] { return vrmSourcePicker().Drive1; }, Qt::Key_Escape,
         [] { EXPECT_EQ(loaded<Form4>(), nullptr); }},
        {"Form5: Enter on the drive list presses OK",
         [] {
             show<Form3>().Command2_Click();
             return loaded<Form5>()->Drive1;
         },
         Qt::Key_Return,
         [] {
             EXPECT_FALSE(loaded<Form5>()->isVisible());
             EXPECT_EQ(loaded<Form3>()->Label5->caption(), loaded<Form5>()->Dir1->path());
         }},
        {"Form5: Escape is Cancel",
         [] {
             show<Form3>().Command2_Click();
             return loaded<Form5>()->OKButton;
         },
         Qt::Key_Escape,
         [] {
             EXPECT_FALSE(loaded<Form5>()->isVisible());
             EXPECT_EQ(loaded<Form3>()->Label5->caption(), "");
         }},
        {"M3U window: Enter on Exit", [] { return show<Form6>().Command2; }, Qt::Key_Return,
         [] {
             EXPECT_EQ(loaded<Form6>(), nullptr);
             EXPECT_TRUE(loaded<Form2>()->isVisible());
         }},
        {"VRM-to-M3U window: Enter on Start converts",
         [] {
             Form7& window = show<Form7>();
             window.File1->selectName("Rock_Live.XML");
             return window.Command1;
         },
         Qt::Key_Return, [] { EXPECT_EQ(loaded<Form7>()->Command1->text(), "Finished!!!"); },
         "The playlist was written to "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* focus = c.setUp();
        ASSERT_NE(focus, nullptr);
        focus->setFocus();
        ASSERT_EQ(focus->window()->focusWidget(), focus);
        QTest::keyClick(focus, c.key);
        c.check();
        if (c.message) {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_TRUE(messages()[0].text.startsWith(c.message))
                << messages()[0].text.toStdString();
        } else {
            EXPECT_TRUE(messages().empty()) << messages().front().text.toStdString();
        }
        unloadAll();
        flushDeletes();
        m_messages.clear();
    }
}

// The pickers show which button Enter presses; the converter windows have no default button, so
// Enter away from a push button presses nothing there.
TEST_F(KeyboardTest, DefaultAndCancelButtons) {
    struct Case {
        const char* name;
        std::function<Window*()> open;
        bool picker;
    };
    const Case cases[] = {
        {"Dialog", [] { return static_cast<Window*>(&show<Dialog>()); }, true},
        {"Dialog2", [] { return static_cast<Window*>(&show<Dialog2>()); }, true},
        {"Form4", [] { return static_cast<Window*>(&show<Form4>()); }, true},
        {"Form5", [] { return static_cast<Window*>(&show<Form5>()); }, true},
        {"Form1", [] { return static_cast<Window*>(&show<Form1>()); }, false},
        {"Form6", [] { return static_cast<Window*>(&show<Form6>()); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window& window = *c.open();
        if (!c.picker) {
            EXPECT_EQ(window.defaultButton(), nullptr);
            EXPECT_EQ(window.cancelButton(), nullptr);
            continue;
        }
        ASSERT_NE(window.defaultButton(), nullptr);
        ASSERT_NE(window.cancelButton(), nullptr);
        EXPECT_EQ(window.defaultButton()->text(), "OK");
        EXPECT_TRUE(window.defaultButton()->isDefault());
        EXPECT_EQ(window.cancelButton()->text(), "Cancel");
    }
}

} // namespace
} // namespace deckshift::test
