// The window program: opens on the main menu and runs until the menu's Exit.

#include "ui/Application.h"
#include "ui/Form2.h"
#include "ui/Windows.h"

#include "Version.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kHelp[] =
    "Usage: deckshift [--help | --version]\n"
    "\n"
    "Deckshift moves DJ collections between PCDJ RED group files, PCDJ FX VRM playlists and M3U\n"
    "playlists, and takes a whole library to rekordbox or Traktor. This program opens its main\n"
    "menu window, which offers the four conversions and the export of the whole library (from\n"
    "PCDJ FX or PCDJ RED, as a rekordbox or Traktor collection file or as M3U playlists);\n"
    "deckshift-cli does the same on the command line.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Print this help and exit\n"
    "  --version      Print the version and exit\n"
    "\n"
    "Outside Windows the DJ applications' settings are read from the registry of the Wine prefix\n"
    "named by WINEPREFIX (~/.wine when it is not set).\n";

/// Answers --help and --version, and refuses anything else, before any window is opened. Returns
/// the exit status, or -1 to go on and open the windows.
int answerArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("deckshift %s\n", DECKSHIFT_VERSION);
            return 0;
        }
    }
    if (argc > 1 && argv[1][0] == '-' && argv[1][1] == '-') {
        std::fprintf(stderr, "deckshift: unknown option \"%s\"\n\n%s", argv[1], kHelp);
        return 2;
    }
    return -1;
}

/// Outside Windows and macOS the windows need an X11 or Wayland display, unless a platform is
/// named in QT_QPA_PLATFORM (the tests name "offscreen"). Without one Qt would abort.
bool displayMissing() {
#if defined(_WIN32) || defined(__APPLE__)
    return false;
#else
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return !set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM");
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int status = answerArguments(argc, argv); status >= 0)
        return status;
    if (displayMissing()) {
        std::fputs("deckshift: there is no display to open the windows on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set). Start it in a desktop session, or use deckshift-cli "
                   "on the command line.\n",
                   stderr);
        return 1;
    }
    deckshift::ui::Application app(argc, argv);
    // The names under which the windows remember their settings (QSettings).
    QApplication::setOrganizationName(QStringLiteral("Deckshift"));
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
