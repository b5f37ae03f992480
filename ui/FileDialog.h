#pragma once
// Every file dialog of the window program goes through here: the platform's own dialogs. A test
// installs a FileDialogRecorder, which answers them from a queue instead of showing them, so that
// no test ever waits for a choice.

#include <QString>

#include <deque>
#include <vector>

class QWidget;

namespace deckshift::ui {

/// Asks for an existing directory, starting in `start`. Empty when the user cancels.
QString chooseDirectory(QWidget* parent, const QString& caption, const QString& start);

/// Asks for the name of a file to save, starting at `start` (a directory or a suggested file),
/// offering `filter` ("Text files (*.txt)"). Empty when the user cancels.
QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& start,
                       const QString& filter);

struct AskedFileDialog {
    QString caption;
    QString start;
};

/// While one exists, no file dialog is shown: each takes the next queued answer (none left, or an
/// empty one: the user cancelled) and is recorded in asked(). One at a time.
class FileDialogRecorder {
public:
    FileDialogRecorder();
    ~FileDialogRecorder();
    FileDialogRecorder(const FileDialogRecorder&) = delete;
    FileDialogRecorder& operator=(const FileDialogRecorder&) = delete;

    /// The answer of the next dialog after those already queued.
    void answer(const QString& path) { m_answers.push_back(path); }
    const std::vector<AskedFileDialog>& asked() const { return m_asked; }
    /// Records a dialog and returns its answer.
    QString take(const QString& caption, const QString& start);

private:
    std::deque<QString> m_answers;
    std::vector<AskedFileDialog> m_asked;
};

} // namespace deckshift::ui
