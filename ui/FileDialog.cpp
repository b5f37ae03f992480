#include "ui/FileDialog.h"

#include <QFileDialog>

namespace deckshift::ui {

namespace {
FileDialogRecorder* g_recorder = nullptr;
} // namespace

FileDialogRecorder::FileDialogRecorder() {
    Q_ASSERT(g_recorder == nullptr);
    g_recorder = this;
}

FileDialogRecorder::~FileDialogRecorder() {
    g_recorder = nullptr;
}

QString FileDialogRecorder::take(const QString& caption, const QString& start) {
    m_asked.push_back({caption, start});
    if (m_answers.empty())
        return {};
    QString next = m_answers.front();
    m_answers.pop_front();
    return next;
}

QString chooseDirectory(QWidget* parent, const QString& caption, const QString& start) {
    if (g_recorder)
        return g_recorder->take(caption, start);
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& start,
                       const QString& filter) {
    if (g_recorder)
        return g_recorder->take(caption, start);
    return QFileDialog::getSaveFileName(parent, caption, start, filter);
}

} // namespace deckshift::ui
