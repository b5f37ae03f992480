#pragma once
// The window program's application object.

#include <QApplication>

namespace deckshift::ui {

/// Ends an event handler that throws (memory running out included) with a message box titled
/// "Deckshift" instead of an abort; the program then goes on with the next event. Files are
/// written through temporary files, so none is left half written.
class Application final : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace deckshift::ui
