#include "ui/MessageBox.h"

#include "ui/Text.h"

#include <QMessageBox>

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

void showMessage(const QString& text, const QString& title) {
    if (g_recorder) {
        g_recorder->m_messages.push_back({text, title});
        if (g_recorder->onMessage)
            g_recorder->onMessage(g_recorder->m_messages.back());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showMessage(std::string_view text, std::string_view title) {
    showMessage(qs(text), qs(title));
}

void MessageBoxSink::message(convert::MessageKind, std::string_view text, std::string_view title) {
    showMessage(text, title);
}

} // namespace deckshift::ui
