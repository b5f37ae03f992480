// The main menu, start-up, the end of the program, and how windows are shown, hidden and unloaded.

#include "UiTestSupport.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/ExportWindow.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;

class NavigationTest : public UiTest {
protected:
    static int loadedCount() {
        return (loaded<Form1>() != nullptr) + (loaded<Form2>() != nullptr) +
               (loaded<Form3>() != nullptr) + (loaded<Form4>() != nullptr) +
               (loaded<Form5>() != nullptr) + (loaded<Form6>() != nullptr) +
               (loaded<Form7>() != nullptr) + (loaded<Dialog>() != nullptr) +
               (loaded<Dialog2>() != nullptr) + (loaded<ExportWindow>() != nullptr);
    }
};

TEST_F(NavigationTest, StartUpShowsTheMenuAlone) {
    Form2& menu = show<Form2>();
    EXPECT_EQ(loadedCount(), 1);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.windowTitle(), "Korvantel Tools (Converter)");
    EXPECT_EQ(menu.size(), QSize(314, 410)); // 4710 x 6150 twips

    struct Button {
        QPushButton* button;
        const char* caption;
        QRect geometry;
    };
    const Button buttons[] = {
        {menu.Command1, "PCDJ RED ==> PCDJ FX VRM", QRect(8, 8, 297, 57)},
        {menu.Command2, "PCDJ FX VRM ==> PCDJ RED", QRect(8, 72, 297, 57)},
        {menu.Command4, "M3U PLAYLIST ==> PCDJ FX VRM", QRect(8, 136, 297, 57)},
        {menu.Command5, "PCDJ FX VRM ==> M3U PLAYLIST", QRect(8, 200, 297, 57)},
        {menu.Command6, "LIBRARY ==> REKORDBOX / TRAKTOR / M3U", QRect(8, 264, 297, 57)},
        {menu.Command3, "Exit", QRect(8, 328, 297, 57)},
    };
    for (const Button& b : buttons) {
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->geometry(), b.geometry) << b.caption;
        EXPECT_TRUE(b.button->isEnabled()) << b.caption;
    }
    EXPECT_EQ(menu.Label12->text(), "Version: 2.2.3");

    // Tab order: Command1, Command2, Command3, Command4, Command5, then the export's Command6.
    EXPECT_EQ(menu.Command1->nextInFocusChain(), menu.Command2);
    EXPECT_EQ(menu.Command2->nextInFocusChain(), menu.Command3);
    EXPECT_EQ(menu.Command3->nextInFocusChain(), menu.Command4);
    EXPECT_EQ(menu.Command4->nextInFocusChain(), menu.Command5);
    EXPECT_EQ(menu.Command5->nextInFocusChain(), menu.Command6);
}

// Each menu button shows its converter window and hides the menu; the window's Exit unloads its
// pickers, shows the menu again and unloads the window.
TEST_F(NavigationTest, MenuButtonsAndExitButtons) {
    struct Route {
        const char* name;
        std::function<QPushButton*(Form2&)> menuButton;
        std::function<QWidget*()> window;
        std::function<void()> openPickers;
        std::function<void()> exit;
        std::function<bool()> pickersLoaded;
    };
    const Route routes[] = {
        {"Form1", [](Form2& m) { return m.Command1; }, [] { return loaded<Form1>(); },
         [] {
             loaded<Form1>()->Command1_Click();
             loaded<Form1>()->Command2_Click();
         },
         [] { click(loaded<Form1>()->Command4); },
         [] { return loaded<Dialog>() || loaded<Dialog2>(); }},
        {"Form3", [](Form2& m) { return m.Command2; }, [] { return loaded<Form3>(); },
         [] {
             loaded<Form3>()->Command1_Click();
             loaded<Form3>()->Command2_Click();
         },
         [] { click(loaded<Form3>()->Command4); },
         [] { return loaded<Form4>() || loaded<Form5>(); }},
        {"Form6", [](Form2& m) { return m.Command4; }, [] { return loaded<Form6>(); }, [] {},
         [] { click(loaded<Form6>()->Command2); }, [] { return false; }},
        {"Form7", [](Form2& m) { return m.Command5; }, [] { return loaded<Form7>(); }, [] {},
         [] { click(loaded<Form7>()->Command2); }, [] { return false; }},
        {"ExportWindow", [](Form2& m) { return m.Command6; }, [] { return loaded<ExportWindow>(); },
         [] {}, [] { click(loaded<ExportWindow>()->exitButton); }, [] { return false; }},
    };
    Form2& menu = show<Form2>();
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        click(route.menuButton(menu));
        ASSERT_NE(route.window(), nullptr);
        EXPECT_TRUE(route.window()->isVisible());
        EXPECT_EQ(loaded<Form2>(), &menu) << "the menu stays loaded";
        EXPECT_FALSE(menu.isVisible());

        route.openPickers();
        route.exit();
        EXPECT_EQ(route.window(), nullptr);
        EXPECT_FALSE(route.pickersLoaded());
        EXPECT_TRUE(menu.isVisible());
        EXPECT_EQ(loadedCount(), 1);
        flushDeletes();
    }
}

// Closing a converter window with the title bar's close control does what its Exit does.
TEST_F(NavigationTest, CloseControlOfAConverterWindowReturnsToTheMenu) {
    const std::function<QWidget*(Form2&)> open[] = {
        [](Form2& m) -> QWidget* {
            m.Command1_Click();
            loaded<Form1>()->Command2_Click();
            return loaded<Form1>();
        },
        [](Form2& m) -> QWidget* {
            m.Command2_Click();
            loaded<Form3>()->Command2_Click();
            return loaded<Form3>();
        },
        [](Form2& m) -> QWidget* {
            m.Command4_Click();
            return loaded<Form6>();
        },
        [](Form2& m) -> QWidget* {
            m.Command5_Click();
            return loaded<Form7>();
        },
        [](Form2& m) -> QWidget* {
            m.Command6_Click();
            return loaded<ExportWindow>();
        },
    };
    Form2& menu = show<Form2>();
    for (const auto& openWindow : open) {
        QWidget* window = openWindow(menu);
        ASSERT_FALSE(menu.isVisible());
        window->close();
        EXPECT_TRUE(menu.isVisible());
        EXPECT_EQ(loadedCount(), 1) << window->windowTitle().toStdString();
        flushDeletes();
    }
}

TEST_F(NavigationTest, ReenteringTheIniWindowStartsFromItsInitialState) {
    Form2& menu = show<Form2>();
    menu.Command1_Click();
    Form1* form1 = loaded<Form1>();
    form1->Check1->setChecked(true);
    form1->Check2->setChecked(true);
    form1->Label4->setCaption("Rock");
    form1->Label6->setCaption("Rock");
    form1->Command3->setEnabled(true);
    form1->Command5->setEnabled(true);
    form1->Command4_Click();
    flushDeletes();

    menu.Command1_Click();
    form1 = loaded<Form1>();
    ASSERT_NE(form1, nullptr);
    EXPECT_FALSE(form1->Check1->isChecked());
    EXPECT_FALSE(form1->Check2->isChecked());
    EXPECT_EQ(form1->Label4->text(), "");
    EXPECT_EQ(form1->Label5->text(), "");
    EXPECT_EQ(form1->Label6->text(), "");
    EXPECT_EQ(form1->Command1->text(), "Select File To Convert");
    EXPECT_TRUE(form1->Command1->isEnabled());
    EXPECT_FALSE(form1->Command2->isEnabled());
    EXPECT_FALSE(form1->Command3->isEnabled());
    EXPECT_FALSE(form1->Command5->isEnabled());
    EXPECT_TRUE(form1->Command4->isEnabled());
}

TEST_F(NavigationTest, HidingKeepsValuesAndUnloadingDiscardsThem) {
    Form1& form1 = show<Form1>();
    form1.Label4->setCaption("kept");
    hide<Form1>();
    EXPECT_EQ(loaded<Form1>(), &form1);
    EXPECT_FALSE(form1.isVisible());
    show<Form1>();
    EXPECT_EQ(form1.Label4->text(), "kept");

    unload<Form1>();
    EXPECT_EQ(loaded<Form1>(), nullptr);
    unload<Form1>(); // unloading a window that is not loaded does nothing
    EXPECT_EQ(load<Form1>().Label4->text(), "");
}

// The menu's Exit and its close control end the program: the event loop stops and no window
// stays loaded.
TEST_F(NavigationTest, MenuExitAndMenuCloseEndTheProgram) {
    const std::function<void(Form2&)> ends[] = {
        [](Form2& menu) { click(menu.Command3); },
        [](Form2& menu) { menu.close(); },
    };
    for (const auto& end : ends) {
        Form2& menu = show<Form2>();
        menu.Command1_Click();
        show<Form2>(); // Form1 stays loaded behind the menu
        QTimer::singleShot(0, &menu, [&menu, &end] { end(menu); });
        // Should the program not end, this ends the loop with another status.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_EQ(loadedCount(), 0);
        flushDeletes();
    }
}

} // namespace
} // namespace deckshift::test
