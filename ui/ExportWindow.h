#pragma once
// The export of a whole library, from the PCDJ FX library or from PCDJ RED group files, as a
// folder of M3U or M3U8 playlists or as one rekordbox or Traktor collection file. Unlike the
// converter windows this one is laid out with Qt layouts. The library shows as a tree of groups
// and subgroups to choose from; every setting is remembered between runs. The export runs off the
// GUI thread; Cancel, or closing the window, stops it after the playlist being written.

#include "convert/ExportLibrary.h"
#include "convert/Messages.h"
#include "ui/Windows.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string_view>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace deckshift::ui {

/// What the user is told when closing the export window while an export runs.
inline constexpr std::string_view kMsgClosingStopsExport =
    "The export stops after the playlist it is writing, and this window closes then, so that no "
    "file is left half written.";

class ExportWindow final : public Window {
    Q_OBJECT
public:
    ExportWindow();
    /// Fills in the source directories from the registry settings, as register mode and the INI
    /// window find them, where no earlier run left one; then shows the library.
    void Form_Load() override;

    QComboBox* source; ///< "PCDJ FX library" or "PCDJ RED group files"
    QLineEdit* rcDirectory;
    QPushButton* rcBrowse; ///< "Browse..."
    QLineEdit* redDirectory;
    QPushButton* redBrowse; ///< "Browse..."
    /// "M3U8 (UTF-8)", "M3U (8-bit)", "rekordbox (XML)" or "Traktor (NML)"
    QComboBox* format;
    QLabel* outputLabel;       ///< "Output folder" or "Output file", as the format writes
    QLineEdit* outputFolder;   ///< the folder or the file written
    QPushButton* outputBrowse; ///< "Browse..."
    QTreeWidget* library;      ///< the groups and their subgroups, each with a check box
    QTableWidget* relocations; ///< "From", "To"
    QPushButton* addRule;      ///< "Add"
    QPushButton* removeRule;   ///< "Remove"
    /// The folders searched for tracks not found, each with all its subfolders.
    QListWidget* searchFolders;
    QPushButton* addSearchFolder;    ///< "Add..."
    QPushButton* removeSearchFolder; ///< "Remove"
    QCheckBox* checkTracks;          ///< "Check that tracks exist"
    QCheckBox* readTags;             ///< "Read titles and artists from the music files"
    QProgressBar* progress;          ///< playlists done of total
    /// The summary of the last run, then its warnings and (for a preview) its files, each list
    /// under an item that opens it.
    QTreeWidget* results;
    QPushButton* saveReport;      ///< "Save Report..."
    QPushButton* openFolder;      ///< "Open Folder"
    QPushButton* previewButton;   ///< "Preview"
    QPushButton* startButton;     ///< "Start Export"
    QPushButton* cancelRunButton; ///< "Cancel"
    QPushButton* exitButton;      ///< "Exit"

    void browseRcDirectory();
    void browseRedDirectory();
    void browseOutputFolder();
    /// Reads the chosen source's groups and subgroups into the tree, all checked.
    void reloadLibrary();
    void addRelocation();
    void removeRelocation();
    /// Picks a folder to search for moved tracks and adds it to the list, once.
    void addSearchFolderClicked();
    void removeSearchFolderClicked();
    /// The dry run: lists the files the export would write, and writes nothing.
    void previewClicked();
    void startClicked();
    /// Asks the run to stop once the playlist being written is whole.
    void cancelClicked();
    /// Back to the menu: shows Form2 and unloads this window.
    void exitClicked();
    void saveReportClicked();
    /// Opens the folder written in the system's file manager.
    void openFolderClicked();

    /// True while an export or a preview runs.
    bool running() const { return m_running; }
    /// The format chosen.
    convert::ExportFormat chosenFormat() const;

protected:
    /// Closing the window does what Exit does (a close during a run waits for its end).
    void closeControl() override { exitClicked(); }

private:
    class RunSink;

    void start(bool dryRun);
    void setRunning(bool running);
    void sourceChanged();
    void formatChanged();
    void saveSettings() const;
    QStringList searchFolderList() const;
    /// Receives on the GUI thread what the running export reports.
    void playlistDone(std::uint64_t done, std::uint64_t total);
    void finished(const convert::ExportResult& result, bool dryRun, const RunSink& sink);
    /// Adds `lines` as an item titled `title` and `count` that opens to show them.
    void addList(const QString& title, qsizetype count, const QStringList& lines);

    QFormLayout* m_paths; ///< the rows of the source, the format and the output
    bool m_running = false;
    std::atomic<bool> m_cancel{false};
    QString m_output;        ///< the output of the run, as typed
    QString m_folderWritten; ///< the folder the last run wrote into, for Open Folder
    QString m_outputFolder;  ///< the output remembered for the folder formats
    QString m_outputFile;    ///< and for the file formats
    bool m_fileFormat = false;
    bool m_relocating = false;
    bool m_searching = false;
    std::uint64_t m_done = 0;
};

} // namespace deckshift::ui
