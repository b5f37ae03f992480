// The window program: opens on the main menu and runs until the menu's Exit.

#include "ui/Form2.h"
#include "ui/MessageBox.h"
#include "ui/Windows.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace {

/// Ends a handler that throws (memory running out included) with a message box instead of an
/// abort; the program then goes on. Files are written through temporary files, so none is left
/// half written.
class Application final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            report("Deckshift ran out of memory and stopped what it was doing. Files already "
                   "written are whole; no file was left half written.");
        } catch (const std::exception& e) {
            report(std::string("Deckshift stopped what it was doing: ") + e.what() +
                   ". Files already written are whole; no file was left half written.");
        } catch (...) {
            report("Deckshift stopped what it was doing after an unexpected error. Files already "
                   "written are whole; no file was left half written.");
        }
        return false;
    }

private:
    static void report(const std::string& text) noexcept {
        try {
            deckshift::ui::showMessage(text, "Deckshift");
        } catch (...) {
            std::fprintf(stderr, "%s\n", text.c_str());
        }
    }
};

} // namespace

int main(int argc, char* argv[]) {
    Application app(argc, argv);
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
