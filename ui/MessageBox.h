#pragma once
// Every message box of the window program goes through here: modal, an OK button only, no icon;
// and the questions, with buttons of their own. A test installs a MessageRecorder, which takes the
// messages and answers the questions instead of showing them, so that no test ever waits for a
// click.

#include "convert/Messages.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>
#include <vector>

namespace deckshift::ui {

/// `text` as a message box lays it out: an XML tag in it, such as </Groups>, is kept whole on one
/// line instead of being broken after its "/".
QString boxText(const QString& text);

/// Shows `text` titled `title` and returns once the user has pressed OK.
void showMessage(const QString& text, const QString& title);
void showMessage(std::string_view text, std::string_view title);

/// Asks `text` titled `title` with one button per caption of `buttons`, left to right, and returns
/// the index of the button pressed. `escapeButton` is the default button and also the answer when
/// the user presses Escape or closes the box.
int askQuestion(const QString& text, const QString& title, const QStringList& buttons,
                int escapeButton);

struct ShownMessage {
    QString text;
    QString title;
    QStringList buttons; ///< a question's buttons; empty for a message
};

/// While one exists, every message and question is appended to messages() (and passed to
/// onMessage, which runs where the box would be open) instead of being shown. A question is
/// answered by onQuestion, else by its escape button. One at a time.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<ShownMessage>& messages() const { return m_messages; }
    void clear() { m_messages.clear(); }
    std::function<void(const ShownMessage&)> onMessage;
    /// Returns the index of the button pressed.
    std::function<int(const ShownMessage&)> onQuestion;

private:
    friend void showMessage(const QString&, const QString&);
    friend int askQuestion(const QString&, const QString&, const QStringList&, int);
    std::vector<ShownMessage> m_messages;
};

/// The engines' messages, shown as message boxes.
class MessageBoxSink : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;
};

} // namespace deckshift::ui
