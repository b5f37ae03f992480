// The window program: opens on the main menu and runs until the menu's Exit.

#include "ui/Application.h"
#include "ui/Form2.h"
#include "ui/Windows.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    deckshift::ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Deckshift"));
    // Converter windows hide the menu while they are open; the program ends only through the
    // menu's Exit or its close control.
    QApplication::setQuitOnLastWindowClosed(false);

    deckshift::ui::show<deckshift::ui::Form2>();
    // Install checks start the program with DECKSHIFT_LIST_WINDOWS set: once start-up is done it
    // prints the title of every window shown, one a line, and ends.
    if (qEnvironmentVariableIsSet("DECKSHIFT_LIST_WINDOWS")) {
        QTimer::singleShot(0, [] {
            for (const QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible())
                    std::printf("%s\n", window->windowTitle().toLocal8Bit().constData());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    const int status = QApplication::exec();
    deckshift::ui::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
