// What assistive technology is told about the windows (roles and names), and how small a window
// can be made.

#include "UiTestSupport.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/Windows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QStatusBar>

#include <functional>
#include <set>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;

struct AnyWindow {
    const char* name;
    std::function<Window*()> show;
};

template <class W> AnyWindow windowOf(const char* name) {
    return {name, [] { return static_cast<Window*>(&ui::show<W>()); }};
}

const AnyWindow kWindows[] = {
    windowOf<Form2>("Form2"),     windowOf<Form1>("Form1"), windowOf<Dialog>("Dialog"),
    windowOf<Dialog2>("Dialog2"), windowOf<Form3>("Form3"), windowOf<Form4>("Form4"),
    windowOf<Form5>("Form5"),     windowOf<Form6>("Form6"), windowOf<Form7>("Form7"),
};

QString accessibleName(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

using AccessibilityTest = UiTest;

TEST_F(AccessibilityTest, WindowsAreWindowsOrDialogsWithTheirOwnNames) {
    const std::map<std::string, std::pair<QAccessible::Role, QString>> expected = {
        {"Form2", {QAccessible::Window, "Deckshift main menu"}},
        {"Form1", {QAccessible::Window, "PCDJ RED to PCDJ FX VRM converter"}},
        {"Dialog", {QAccessible::Dialog, "Select the group file to convert"}},
        {"Dialog2", {QAccessible::Dialog, "Select the output directory for the playlists"}},
        {"Form3", {QAccessible::Window, "PCDJ FX VRM to PCDJ RED converter"}},
        {"Form4", {QAccessible::Dialog, "Select a playlist of the group to convert"}},
        {"Form5", {QAccessible::Dialog, "Select the output directory for the group file"}},
        {"Form6", {QAccessible::Window, "M3U to PCDJ FX VRM converter"}},
        {"Form7", {QAccessible::Window, "PCDJ FX VRM to M3U converter"}},
    };
    std::set<QString> names;
    for (const AnyWindow& w : kWindows) {
        SCOPED_TRACE(w.name);
        Window& window = *w.show();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&window);
        ASSERT_NE(iface, nullptr);
        const auto& [role, name] = expected.at(w.name);
        EXPECT_EQ(iface->role(), role);
        EXPECT_EQ(iface->text(QAccessible::Name), name);
        EXPECT_TRUE(names.insert(iface->text(QAccessible::Name)).second);
    }
}

// Each box has a name of its own, without the design's trailing blanks; the visible captions stay
// as designed.
TEST_F(AccessibilityTest, EveryBoxHasItsOwnName) {
    for (const AnyWindow& w : kWindows) {
        SCOPED_TRACE(w.name);
        Window& window = *w.show();
        std::set<QString> names;
        for (QGroupBox* box : window.findChildren<QGroupBox*>()) {
            const QString name = accessibleName(box);
            SCOPED_TRACE(box->title().toStdString());
            EXPECT_FALSE(name.isEmpty());
            EXPECT_FALSE(name.endsWith(' '));
            EXPECT_TRUE(names.insert(name).second) << "named twice: " << name.toStdString();
        }
    }
    Form1& form1 = show<Form1>();
    EXPECT_EQ(form1.Frame3->title(), "Proccessing ");
    EXPECT_EQ(accessibleName(form1.Frame3), "Conversion progress");
    EXPECT_EQ(accessibleName(form1.Frame4), "Current group");
    EXPECT_EQ(accessibleName(form1.Frame8), "Overall progress");
    EXPECT_EQ(accessibleName(show<Form3>().Frame8), "Progress through the group");
    EXPECT_EQ(accessibleName(show<Form6>().Frame1), "Source playlist");
}

// A window keeps its designed size or can be made larger, never so small that a control leaves
// its client area.
TEST_F(AccessibilityTest, NoWindowShrinksBelowItsControls) {
    for (const AnyWindow& w : kWindows) {
        SCOPED_TRACE(w.name);
        Window& window = *w.show();
        const QSize designed = window.size();
        EXPECT_EQ(window.minimumSize(), designed);
        window.resize(40, 30);
        EXPECT_EQ(window.size(), designed);
        const QRect client = window.rect();
        // The controls, that is; the design lets the decorative labels' boxes reach past the
        // edge, where their text does not go.
        for (QWidget* child : window.findChildren<QWidget*>()) {
            const bool control =
                qobject_cast<QAbstractButton*>(child) || qobject_cast<QAbstractItemView*>(child) ||
                qobject_cast<QComboBox*>(child) || qobject_cast<QGroupBox*>(child) ||
                qobject_cast<QProgressBar*>(child) || qobject_cast<QStatusBar*>(child);
            if (!control || !child->isVisibleTo(&window) || child->isWindow())
                continue;
            const QRect at(child->mapTo(&window, QPoint(0, 0)), child->size());
            EXPECT_TRUE(client.contains(at))
                << child->metaObject()->className() << " " << child->objectName().toStdString();
        }
    }
}

} // namespace
} // namespace deckshift::test
