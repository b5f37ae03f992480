#pragma once
// Every message box of the window program goes through here: modal, an OK button only, no icon.
// A test installs a MessageRecorder, which takes the messages instead of showing them, so that no
// test ever waits for a click.

#include "convert/Messages.h"

#include <QString>

#include <functional>
#include <string_view>
#include <vector>

namespace deckshift::ui {

/// Shows `text` titled `title` and returns once the user has pressed OK.
void showMessage(const QString& text, const QString& title);
void showMessage(std::string_view text, std::string_view title);

struct ShownMessage {
    QString text;
    QString title;
};

/// While one exists, every message is appended to messages() (and passed to onMessage, which runs
/// where the box would be open) instead of being shown. One at a time.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<ShownMessage>& messages() const { return m_messages; }
    void clear() { m_messages.clear(); }
    std::function<void(const ShownMessage&)> onMessage;

private:
    friend void showMessage(const QString&, const QString&);
    std::vector<ShownMessage> m_messages;
};

/// The engines' messages, shown as message boxes.
class MessageBoxSink : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;
};

} // namespace deckshift::ui
