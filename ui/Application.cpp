#include "ui/Application.h"

#include "ui/MessageBox.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace deckshift::ui {

namespace {

void report(const std::string& text) noexcept {
    try {
        showMessage(text, "Deckshift");
    } catch (...) {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
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

} // namespace deckshift::ui
