// The window program: opens on the main menu and runs until the menu's Exit.

#include "ui/Form2.h"
#include "ui/Windows.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Deckshift"));
    // Converter windows hide the menu while they are open; the program ends only through the
    // menu's Exit or its close control.
    QApplication::setQuitOnLastWindowClosed(false);

    deckshift::ui::show<deckshift::ui::Form2>();
    const int status = QApplication::exec();
    deckshift::ui::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
