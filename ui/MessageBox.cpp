#include "ui/MessageBox.h"

#include "ui/Text.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace deckshift::ui {

namespace {
MessageRecorder* g_recorder = nullptr;
}

MessageRecorder::MessageRecorder() {
    Q_ASSERT(g_recorder == nullptr);
    g_recorder = this;
}

MessageRecorder::~MessageRecorder() {
    g_recorder = nullptr;
}

QString boxText(const QString& text) {
    // A word joiner after "</" takes away the line break that the "/" allows; it is not drawn.
    constexpr char16_t kWordJoiner = 0x2060;
    QString laidOut;
    laidOut.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        laidOut.append(text[i]);
        if (text[i] == u'/' && i > 0 && text[i - 1] == u'<' && i + 1 < text.size() &&
            !text[i + 1].isSpace())
            laidOut.append(QChar(kWordJoiner));
    }
    return laidOut;
}

void showMessage(const QString& text, const QString& title) {
    if (g_recorder) {
        g_recorder->m_messages.push_back({text, title, {}});
        if (g_recorder->onMessage)
            g_recorder->onMessage(g_recorder->m_messages.back());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, boxText(text), QMessageBox::Ok);
    // File names and list lines are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

int askQuestion(const QString& text, const QString& title, const QStringList& buttons,
                int escapeButton) {
    if (g_recorder) {
        g_recorder->m_messages.push_back({text, title, buttons});
        const ShownMessage asked = g_recorder->m_messages.back();
        if (g_recorder->onMessage)
            g_recorder->onMessage(asked);
        const int answer = g_recorder->onQuestion ? g_recorder->onQuestion(asked) : escapeButton;
        return answer >= 0 && answer < buttons.size() ? answer : escapeButton;
    }
    QMessageBox box(QMessageBox::Question, title, text);
    std::vector<QPushButton*> pushButtons;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        pushButtons.push_back(box.addButton(
            buttons[i], i == escapeButton ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    box.setDefaultButton(pushButtons[std::size_t(escapeButton)]);
    box.setEscapeButton(pushButtons[std::size_t(escapeButton)]);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    for (std::size_t i = 0; i < pushButtons.size(); ++i) {
        if (box.clickedButton() == pushButtons[i])
            return int(i);
    }
    return escapeButton;
}

void showMessage(std::string_view text, std::string_view title) {
    showMessage(qs(text), qs(title));
}

void MessageBoxSink::message(convert::MessageKind, std::string_view text, std::string_view title) {
    showMessage(text, title);
}

} // namespace deckshift::ui
