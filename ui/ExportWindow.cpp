#include "ui/ExportWindow.h"

#include "formats/FilePlan.h"
#include "settings/AutoDetect.h"
#include "settings/CodePage.h"
#include "settings/Paths.h"
#include "settings/Relocation.h"
#include "ui/FileDialog.h"
#include "ui/Form2.h"
#include "ui/MessageBox.h"
#include "ui/OffThreadRun.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>

namespace deckshift::ui {

namespace {

/// A path the user typed or chose, as the core takes paths: in the 8-bit code page on Windows,
/// in UTF-8 (as file names are kept) elsewhere.
std::string pathBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

/// Where a typed path is on disk, for a file dialog to start in: a path in Windows form is found
/// through the Wine prefix. Empty for an empty path.
QString onDisk(const QString& typed) {
    const std::string path = pathBytes(typed.trimmed());
    if (path.empty())
        return {};
    return QString::fromLocal8Bit(settings::toFsPath(path).string());
}

QString plural(std::uint64_t n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

QPushButton* button(const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

/// Takes the engine's messages and a dry run's lines on the export's thread and puts them in the
/// results list on the GUI thread, in the order they came; an error is also shown as a message.
class ExportWindow::RunSink final : public convert::MessageSink {
public:
    explicit RunSink(ExportWindow& window) : m_window(window) {}

    void message(convert::MessageKind kind, std::string_view text,
                 std::string_view title) override {
        callOnGuiThread([&] {
            const bool error = kind == convert::MessageKind::Error;
            m_window.addRows(error ? QStringLiteral("Error: ") : QStringLiteral("Warning: "),
                             qs(text));
            if (error)
                showMessage(text, title);
        });
    }

    void planned(std::string_view line) {
        callOnGuiThread([&] { m_window.addRows({}, qs(line)); });
    }

private:
    ExportWindow& m_window;
};

ExportWindow::ExportWindow() : Window("Export PCDJ FX Library") {
    rcDirectory = new QLineEdit(this);
    rcDirectory->setPlaceholderText(
        QStringLiteral("Not found in the PCDJ FX settings: type it or browse"));
    rcBrowse = button("Browse...", this);
    outputFolder = new QLineEdit(this);
    outputBrowse = button("Browse...", this);
    format = new QComboBox(this);
    format->addItem(QStringLiteral("M3U8 (UTF-8)"));
    format->addItem(QStringLiteral("M3U (8-bit)"));

    auto* paths = new QFormLayout;
    auto* rcRow = new QHBoxLayout;
    rcRow->addWidget(rcDirectory, 1);
    rcRow->addWidget(rcBrowse);
    paths->addRow(QStringLiteral("RecordCase directory"), rcRow);
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputFolder, 1);
    outputRow->addWidget(outputBrowse);
    paths->addRow(QStringLiteral("Output folder"), outputRow);
    paths->addRow(QStringLiteral("Format"), format);

    auto* relocationBox = new QGroupBox(QStringLiteral("Path relocation"), this);
    relocations = new QTableWidget(0, 2, relocationBox);
    relocations->setHorizontalHeaderLabels({QStringLiteral("From"), QStringLiteral("To")});
    relocations->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    relocations->verticalHeader()->setVisible(false);
    relocations->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A few rules are all most moves need; the results list takes the height the window gains.
    relocations->setMinimumHeight(90);
    relocations->setMaximumHeight(140);
    addRule = button("Add", relocationBox);
    removeRule = button("Remove", relocationBox);
    auto* ruleButtons = new QVBoxLayout;
    ruleButtons->addWidget(addRule);
    ruleButtons->addWidget(removeRule);
    ruleButtons->addStretch(1);
    auto* relocationLayout = new QHBoxLayout(relocationBox);
    relocationLayout->addWidget(relocations, 1);
    relocationLayout->addLayout(ruleButtons);

    checkTracks = new QCheckBox(QStringLiteral("Check that tracks exist"), this);
    progress = new QProgressBar(this);
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setTextVisible(false);
    results = new QListWidget(this);
    results->setMinimumHeight(120);
    results->setWordWrap(true);

    saveReport = button("Save Report...", this);
    previewButton = button("Preview", this);
    startButton = button("Start Export", this);
    cancelRunButton = button("Cancel", this);
    cancelRunButton->setEnabled(false);
    exitButton = button("Exit", this);
    setDefaultButton(startButton);
    setCancelButton(exitButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveReport);
    buttons->addStretch(1);
    buttons->addWidget(previewButton);
    buttons->addWidget(startButton);
    buttons->addWidget(cancelRunButton);
    buttons->addWidget(exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addWidget(relocationBox);
    layout->addWidget(checkTracks);
    layout->addWidget(progress);
    layout->addWidget(new QLabel(QStringLiteral("Results"), this));
    layout->addWidget(results, 1);
    layout->addLayout(buttons);
    resize(640, 560);

    setAccessibleName(QStringLiteral("Export PCDJ FX Library"));
    rcDirectory->setAccessibleName(QStringLiteral("RecordCase directory"));
    rcBrowse->setAccessibleName(QStringLiteral("Browse for the RecordCase directory"));
    outputFolder->setAccessibleName(QStringLiteral("Output folder"));
    outputBrowse->setAccessibleName(QStringLiteral("Browse for the output folder"));
    format->setAccessibleName(QStringLiteral("Format"));
    relocations->setAccessibleName(QStringLiteral("Path relocation"));
    progress->setAccessibleName(QStringLiteral("Playlists exported"));
    results->setAccessibleName(QStringLiteral("Results"));

    setTabOrder(rcDirectory, rcBrowse);
    setTabOrder(rcBrowse, outputFolder);
    setTabOrder(outputFolder, outputBrowse);
    setTabOrder(outputBrowse, format);
    setTabOrder(format, relocations);
    setTabOrder(relocations, addRule);
    setTabOrder(addRule, removeRule);
    setTabOrder(removeRule, checkTracks);
    setTabOrder(checkTracks, results);
    setTabOrder(results, saveReport);
    setTabOrder(saveReport, previewButton);
    setTabOrder(previewButton, startButton);
    setTabOrder(startButton, cancelRunButton);
    setTabOrder(cancelRunButton, exitButton);

    connect(rcBrowse, &QPushButton::clicked, this, &ExportWindow::browseRcDirectory);
    connect(outputBrowse, &QPushButton::clicked, this, &ExportWindow::browseOutputFolder);
    connect(addRule, &QPushButton::clicked, this, &ExportWindow::addRelocation);
    connect(removeRule, &QPushButton::clicked, this, &ExportWindow::removeRelocation);
    connect(previewButton, &QPushButton::clicked, this, &ExportWindow::previewClicked);
    connect(startButton, &QPushButton::clicked, this, &ExportWindow::startClicked);
    connect(cancelRunButton, &QPushButton::clicked, this, &ExportWindow::cancelClicked);
    connect(exitButton, &QPushButton::clicked, this, &ExportWindow::exitClicked);
    connect(saveReport, &QPushButton::clicked, this, &ExportWindow::saveReportClicked);
}

void ExportWindow::Form_Load() {
    const settings::Detection found =
        settings::detectFxRc(settings::DetectOrder::TestThenNormalise);
    if (found.state == settings::Detected::Present)
        rcDirectory->setText(qs(found.path));
}

void ExportWindow::browseRcDirectory() {
    const QString chosen = chooseDirectory(this, QStringLiteral("PCDJ FX RecordCase directory"),
                                           onDisk(rcDirectory->text()));
    if (chosen.isEmpty())
        return;
    // The RecordCase directory is named with its trailing separator, as the registry holds it.
    QString dir = QDir::toNativeSeparators(chosen);
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    rcDirectory->setText(dir);
}

void ExportWindow::browseOutputFolder() {
    const QString chosen =
        chooseDirectory(this, QStringLiteral("Output folder"), onDisk(outputFolder->text()));
    if (!chosen.isEmpty())
        outputFolder->setText(QDir::toNativeSeparators(chosen));
}

void ExportWindow::addRelocation() {
    const int row = relocations->rowCount();
    relocations->insertRow(row);
    relocations->setItem(row, 0, new QTableWidgetItem);
    relocations->setItem(row, 1, new QTableWidgetItem);
    relocations->setCurrentCell(row, 0);
    relocations->editItem(relocations->item(row, 0));
}

void ExportWindow::removeRelocation() {
    const int row = relocations->currentRow();
    if (row >= 0)
        relocations->removeRow(row);
}

void ExportWindow::previewClicked() {
    start(true);
}

void ExportWindow::startClicked() {
    start(false);
}

void ExportWindow::cancelClicked() {
    if (!running())
        return;
    m_cancel = true;
    cancelRunButton->setEnabled(false);
    addRows({}, QStringLiteral("Stopping after the playlist being written..."));
}

void ExportWindow::exitClicked() {
    if (running())
        return;
    ui::show<Form2>();
    unloadSelf();
}

void ExportWindow::setRunning(bool running) {
    m_running = running;
    for (QWidget* control : std::initializer_list<QWidget*>{
             rcDirectory, rcBrowse, outputFolder, outputBrowse, format, relocations, addRule,
             removeRule, checkTracks, saveReport, previewButton, startButton, exitButton})
        control->setEnabled(!running);
    cancelRunButton->setEnabled(running);
    if (running)
        cancelRunButton->setFocus();
    else if (focusWidget() == nullptr || !focusWidget()->isEnabled())
        startButton->setFocus();
}

void ExportWindow::start(bool dryRun) {
    if (running())
        return;
    convert::EngineOptions options;
    // The rules as the table holds them; rows left empty are ignored.
    for (int row = 0; row < relocations->rowCount(); ++row) {
        const auto cell = [&](int column) {
            const QTableWidgetItem* item = relocations->item(row, column);
            return item ? item->text().trimmed() : QString();
        };
        const QString from = cell(0);
        const QString to = cell(1);
        if (from.isEmpty() && to.isEmpty())
            continue;
        if (from.isEmpty()) {
            showMessage(QStringLiteral("Row %1 of the path relocation has no From path. Please "
                                       "fill it in or remove the row.")
                            .arg(row + 1),
                        QStringLiteral("Deckshift"));
            return;
        }
        settings::RelocationRule rule;
        for (const auto& [text, into] : {std::pair{from, &rule.from}, std::pair{to, &rule.to}}) {
            char32_t bad = 0;
            auto converted = settings::utf8ToCodePage(text.toStdString(), &bad);
            if (!converted) {
                showMessage(QStringLiteral("The relocation path \"%1\" holds %2, which the 8-bit "
                                           "code page of PCDJ cannot hold. Nothing was written.")
                                .arg(text, qs(settings::describeCharacter(bad, true))),
                            QStringLiteral("Deckshift"));
                return;
            }
            *into = std::move(*converted);
        }
        options.relocations.push_back(std::move(rule));
    }
    options.checkTracks = checkTracks->isChecked();

    convert::ExportInputs inputs;
    const QString rc = rcDirectory->text().trimmed();
    if (!rc.isEmpty()) {
        std::string dir = pathBytes(rc);
        if (dir.back() != '\\' && dir.back() != '/')
            dir += settings::separatorFor(dir);
        if (!settings::isExistingDirectory(dir)) {
            showMessage(QStringLiteral("The RecordCase directory \"%1\" does not exist. Please "
                                       "choose the PCDJ FX RecordCase directory.")
                            .arg(rc),
                        QStringLiteral("Deckshift"));
            return;
        }
        inputs.rcDirectory = std::move(dir);
    }
    m_output = outputFolder->text().trimmed();
    inputs.output = pathBytes(m_output);
    inputs.format =
        format->currentIndex() == 0 ? convert::ExportFormat::M3u8 : convert::ExportFormat::M3u;

    results->clear();
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setTextVisible(false);
    m_done = 0;
    m_relocating = !options.relocations.empty();
    m_cancel = false;
    inputs.cancel = &m_cancel;
    // Each playlist's report waits until the window has shown it: the window always shows how
    // far the run has come, and a Cancel pressed at that point is seen before the next playlist.
    inputs.progress = [this](std::uint64_t done, std::uint64_t total) {
        callOnGuiThread([&] { playlistDone(done, total); });
    };
    RunSink sink(*this);
    std::optional<formats::FilePlan> plan;
    if (dryRun) {
        plan.emplace([&sink](std::string_view line) { sink.planned(line); });
        options.dryRun = &*plan;
    }
    convert::ExportResult result;
    setRunning(true);
    try {
        RunOptions run;
        run.takesInput.emplace_back(cancelRunButton);
        // Closing the window asks the export to stop after the playlist it is writing.
        run.whenClosed = [this](QWidget* window) -> std::string_view {
            if (window != this)
                return {};
            cancelClicked();
            return kMsgClosingStopsExport;
        };
        runOffGuiThread([&] { result = convert::ExportLibrary(inputs, sink, options); }, run);
    } catch (const std::exception& e) {
        sink.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
        result.status = convert::RunStatus::Failed;
    }
    finished(result, dryRun);
}

void ExportWindow::playlistDone(std::uint64_t done, std::uint64_t total) {
    m_done = done;
    const int max = static_cast<int>(std::min<std::uint64_t>(total, INT_MAX));
    progress->setRange(0, std::max(max, 1));
    progress->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
    progress->setFormat(QStringLiteral("%1 of %2 playlists").arg(done).arg(total));
    progress->setTextVisible(true);
}

void ExportWindow::addRows(const QString& prefix, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        auto* item = new QListWidgetItem(i == 0 ? prefix + lines[i] : lines[i]);
        item->setToolTip(item->text());
        results->addItem(item);
    }
}

void ExportWindow::finished(const convert::ExportResult& result, bool dryRun) {
    playlistDone(m_done, result.playlistsListed);
    QStringList summary;
    if (result.status == convert::RunStatus::Done) {
        const QString what = plural(result.groups, "group", "groups") + QStringLiteral(", ") +
                             plural(result.playlists, "playlist", "playlists") +
                             QStringLiteral(" and ") + plural(result.tracks, "track", "tracks");
        if (dryRun)
            summary << QStringLiteral("Preview: %1 would be written to %2. Nothing was written.")
                           .arg(what, m_output);
        else if (result.cancelled)
            summary << QStringLiteral("Cancelled after %1 of %2 playlists: %3 written to %4.")
                           .arg(m_done)
                           .arg(result.playlistsListed)
                           .arg(what, m_output);
        else
            summary << QStringLiteral("Exported %1 to %2.").arg(what, m_output);
        if (result.playlistsMissing > 0)
            summary << plural(result.playlistsMissing, "playlist", "playlists") +
                           QStringLiteral(" left out.");
        if (m_relocating && !dryRun)
            summary << QStringLiteral("Relocated ") +
                           plural(result.pipeline.relocated, "track path.", "track paths.");
    } else if (result.status == convert::RunStatus::Failed && result.playlists > 0) {
        // The playlists finished before the failure are whole on disk: say what they are.
        summary << QStringLiteral("The export stopped: %1, %2 and %3 were written to %4 before a "
                                  "file could not be written. Each file written is whole.")
                       .arg(plural(result.groups, "group", "groups"),
                            plural(result.playlists, "playlist", "playlists"),
                            plural(result.tracks, "track", "tracks"), m_output);
    } else {
        summary << QStringLiteral("Nothing was exported.");
    }
    for (qsizetype i = 0; i < summary.size(); ++i)
        results->insertItem(static_cast<int>(i), summary[i]);
    setRunning(false);
}

void ExportWindow::saveReportClicked() {
    if (results->count() == 0) {
        showMessage(QStringLiteral("There is no report to save yet: run Preview or Start Export "
                                   "first."),
                    QStringLiteral("Deckshift"));
        return;
    }
    const QString folder = onDisk(outputFolder->text());
    const QString start =
        folder.isEmpty() ? QStringLiteral("Deckshift export report.txt")
                         : QDir(folder).filePath(QStringLiteral("Deckshift export report.txt"));
    const QString path = chooseSaveFile(this, QStringLiteral("Save Report"), start,
                                        QStringLiteral("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    // Written whole or not at all: a failed save leaves an earlier report as it was.
    QSaveFile file(path);
    QByteArray bytes;
    for (int i = 0; i < results->count(); ++i)
        bytes += results->item(i)->text().toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        showMessage(QStringLiteral("The report could not be saved as \"%1\": %2. Nothing was "
                                   "written.")
                        .arg(QDir::toNativeSeparators(path), file.errorString()),
                    QStringLiteral("Deckshift"));
    }
}

} // namespace deckshift::ui
