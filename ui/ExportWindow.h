#pragma once
// The export of the whole PCDJ FX library as a folder of M3U or M3U8 playlists, one folder per
// group and one playlist per subgroup. Unlike the converter windows this one is laid out with Qt
// layouts. The export runs off the GUI thread; Cancel, or closing the window, stops it after the
// playlist being written.

#include "convert/ExportLibrary.h"
#include "convert/Messages.h"
#include "ui/Windows.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <string_view>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace deckshift::ui {

/// What the user is told when closing the export window while an export runs.
inline constexpr std::string_view kMsgClosingStopsExport =
    "The export stops after the playlist it is writing, and this window closes then, so that no "
    "file is left half written.";

class ExportWindow final : public Window {
    Q_OBJECT
public:
    ExportWindow();
    /// Fills in the RecordCase directory from the PCDJ FX registry setting, as register mode
    /// finds it.
    void Form_Load() override;

    QLineEdit* rcDirectory;
    QPushButton* rcBrowse; ///< "Browse..."
    QLineEdit* outputFolder;
    QPushButton* outputBrowse;    ///< "Browse..."
    QComboBox* format;            ///< "M3U8 (UTF-8)" or "M3U (8-bit)"
    QTableWidget* relocations;    ///< "From", "To"
    QPushButton* addRule;         ///< "Add"
    QPushButton* removeRule;      ///< "Remove"
    QCheckBox* checkTracks;       ///< "Check that tracks exist"
    QProgressBar* progress;       ///< playlists done of total
    QListWidget* results;         ///< summary, warnings, missing tracks, or the preview's files
    QPushButton* saveReport;      ///< "Save Report..."
    QPushButton* previewButton;   ///< "Preview"
    QPushButton* startButton;     ///< "Start Export"
    QPushButton* cancelRunButton; ///< "Cancel"
    QPushButton* exitButton;      ///< "Exit"

    void browseRcDirectory();
    void browseOutputFolder();
    void addRelocation();
    void removeRelocation();
    /// The dry run: lists the files the export would write, and writes nothing.
    void previewClicked();
    void startClicked();
    /// Asks the run to stop once the playlist being written is whole.
    void cancelClicked();
    /// Back to the menu: shows Form2 and unloads this window.
    void exitClicked();
    void saveReportClicked();

    /// True while an export or a preview runs.
    bool running() const { return m_running; }

protected:
    /// Closing the window does what Exit does (a close during a run waits for its end).
    void closeControl() override { exitClicked(); }

private:
    class RunSink;

    void start(bool dryRun);
    void setRunning(bool running);
    /// Receives on the GUI thread what the running export reports.
    void playlistDone(std::uint64_t done, std::uint64_t total);
    void addRows(const QString& prefix, const QString& text);
    void finished(const convert::ExportResult& result, bool dryRun);

    bool m_running = false;
    std::atomic<bool> m_cancel{false};
    QString m_output; ///< the output folder of the run, as typed
    bool m_relocating = false;
    std::uint64_t m_done = 0;
};

} // namespace deckshift::ui
