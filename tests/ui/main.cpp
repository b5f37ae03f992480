// The window tests' main: the window program's application object for the process, on the
// offscreen platform so that no display is needed and no window appears, unless QT_QPA_PLATFORM
// names another (the Windows build's tests also run once on the real "windows" platform).

#include "ui/Application.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    deckshift::ui::Application app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Settings the windows remember go to a test location, never the user's own, and are cleared
    // before each test.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName(QStringLiteral("Deckshift"));
    // A name of this process's own: CTest runs test processes side by side, and each clears and
    // checks the settings it remembers.
    QApplication::setApplicationName(
        QStringLiteral("Deckshift tests %1").arg(QCoreApplication::applicationPid()));
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    QFile::remove(QSettings().fileName());
    return status;
}
