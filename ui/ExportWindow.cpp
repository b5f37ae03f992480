#include "ui/ExportWindow.h"

#include "convert/ExportText.h"
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
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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
#include <QSettings>
#include <QTableWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace deckshift::ui {

namespace {

/// A path the user typed or chose, as the core takes paths: in the 8-bit code page. One holding a
/// character the code page lacks is kept in UTF-8, which a lookup on disk still finds.
std::string pathBytes(const QString& text) {
#ifdef _WIN32
    return text.toLocal8Bit().toStdString();
#else
    const std::string utf8 = text.toStdString();
    return settings::programName(utf8).value_or(utf8);
#endif
}

/// Where a path (in the code page) is on disk, as Qt names files: a path in Windows form is found
/// through the Wine prefix.
QString onDisk(const std::string& path) {
    return QString::fromLocal8Bit(settings::toFsPath(path).string());
}

/// The same for a typed path, for a file dialog to start in; empty for an empty path.
QString onDisk(const QString& typed) {
    const std::string path = pathBytes(typed.trimmed());
    if (path.empty())
        return {};
    return onDisk(path);
}

/// A name from the library, in the code page or UTF-8, as the window shows it.
QString libraryName(std::string_view name) {
    return QString::fromStdString(convert::textToUtf8(name));
}

QString plural(std::uint64_t n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

QPushButton* button(const char* caption, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setAutoDefault(false);
    return b;
}

/// Lays out `box` with `list` and, beside it, its Add and Remove buttons one above the other.
void layOutList(QGroupBox* box, QWidget* list, QPushButton* add, QPushButton* remove) {
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
}

/// The formats in the order the format list offers them.
constexpr convert::ExportFormat kFormats[] = {
    convert::ExportFormat::M3u8, convert::ExportFormat::M3u, convert::ExportFormat::Rekordbox,
    convert::ExportFormat::Traktor};

const char* const kSettingsGroup = "ExportLibrary";

} // namespace

/// Takes the engine's messages and a dry run's lines on the export's thread and keeps them, in
/// the order they came, for the window to show in one go when the run ends; an error is shown as
/// a message at once.
class ExportWindow::RunSink final : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text,
                 std::string_view title) override {
        const bool error = kind == convert::MessageKind::Error;
        {
            const std::lock_guard lock(m_mutex);
            (error ? m_errors : m_warnings) << qs(text);
        }
        if (error)
            callOnGuiThread([&] { showMessage(text, title); });
    }
    void planned(std::string_view line) {
        const std::lock_guard lock(m_mutex);
        m_files << qs(line);
    }
    void foundByName(const convert::MissingTrack& track) {
        const std::lock_guard lock(m_mutex);
        m_found << qs(convert::missingTrackLine(track)).split(QLatin1Char('\n'));
    }
    QStringList warnings() const { return m_warnings; }
    QStringList errors() const { return m_errors; }
    QStringList files() const { return m_files; }
    QStringList found() const { return m_found; }

private:
    mutable std::mutex m_mutex;
    QStringList m_warnings;
    QStringList m_errors;
    QStringList m_files;
    QStringList m_found; ///< two lines for each track found by name
};

ExportWindow::ExportWindow() : Window("Export Library") {
    source = new QComboBox(this);
    source->addItem(QStringLiteral("PCDJ FX library"));
    source->addItem(QStringLiteral("PCDJ RED group files"));
    rcDirectory = new QLineEdit(this);
    rcDirectory->setPlaceholderText(
        QStringLiteral("Not found in the PCDJ FX settings: type it or browse"));
    rcBrowse = button("Browse...", this);
    redDirectory = new QLineEdit(this);
    redDirectory->setPlaceholderText(
        QStringLiteral("Not found in the PCDJ RED settings: type it or browse"));
    redBrowse = button("Browse...", this);
    format = new QComboBox(this);
    format->addItem(QStringLiteral("M3U8 (UTF-8)"));
    format->addItem(QStringLiteral("M3U (8-bit)"));
    format->addItem(QStringLiteral("rekordbox (XML)"));
    format->addItem(QStringLiteral("Traktor (NML)"));
    outputFolder = new QLineEdit(this);
    outputBrowse = button("Browse...", this);
    outputLabel = new QLabel(QStringLiteral("Output folder"), this);

    auto* paths = new QFormLayout;
    m_paths = paths;
    paths->addRow(QStringLiteral("Source"), source);
    auto* rcRow = new QHBoxLayout;
    rcRow->addWidget(rcDirectory, 1);
    rcRow->addWidget(rcBrowse);
    paths->addRow(QStringLiteral("RecordCase directory"), rcRow);
    auto* redRow = new QHBoxLayout;
    redRow->addWidget(redDirectory, 1);
    redRow->addWidget(redBrowse);
    paths->addRow(QStringLiteral("Group file directory"), redRow);
    paths->addRow(QStringLiteral("Format"), format);
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputFolder, 1);
    outputRow->addWidget(outputBrowse);
    paths->addRow(outputLabel, outputRow);

    library = new QTreeWidget(this);
    library->setHeaderLabel(QStringLiteral("Groups and subgroups to export"));
    library->setMinimumHeight(120);

    auto* relocationBox = new QGroupBox(QStringLiteral("Path relocation"), this);
    relocations = new QTableWidget(0, 2, relocationBox);
    relocations->setHorizontalHeaderLabels({QStringLiteral("From"), QStringLiteral("To")});
    relocations->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    relocations->verticalHeader()->setVisible(false);
    relocations->setSelectionBehavior(QAbstractItemView::SelectRows);
    relocations->setMinimumHeight(90);
    relocations->setMaximumHeight(140);
    addRule = button("Add", relocationBox);
    removeRule = button("Remove", relocationBox);
    layOutList(relocationBox, relocations, addRule, removeRule);

    auto* searchBox = new QGroupBox(QStringLiteral("Search for moved tracks in..."), this);
    searchFolders = new QListWidget(searchBox);
    searchFolders->setMinimumHeight(60);
    searchFolders->setMaximumHeight(100);
    addSearchFolder = button("Add...", searchBox);
    removeSearchFolder = button("Remove", searchBox);
    layOutList(searchBox, searchFolders, addSearchFolder, removeSearchFolder);

    checkTracks = new QCheckBox(QStringLiteral("Check that tracks exist"), this);
    readTags = new QCheckBox(QStringLiteral("Read titles and artists from the music files"), this);
    readTags->setChecked(true);
    auto* options = new QHBoxLayout;
    options->addWidget(checkTracks);
    options->addWidget(readTags);
    options->addStretch(1);
    progress = new QProgressBar(this);
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setTextVisible(false);
    results = new QTreeWidget(this);
    results->setHeaderHidden(true);
    results->setMinimumHeight(100);
    results->setWordWrap(true);

    saveReport = button("Save Report...", this);
    openFolder = button("Open Folder", this);
    openFolder->setEnabled(false);
    previewButton = button("Preview", this);
    startButton = button("Start Export", this);
    cancelRunButton = button("Cancel", this);
    cancelRunButton->setEnabled(false);
    exitButton = button("Exit", this);
    setDefaultButton(startButton);
    setCancelButton(exitButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveReport);
    buttons->addWidget(openFolder);
    buttons->addStretch(1);
    buttons->addWidget(previewButton);
    buttons->addWidget(startButton);
    buttons->addWidget(cancelRunButton);
    buttons->addWidget(exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(paths);
    layout->addWidget(library, 1);
    layout->addWidget(relocationBox);
    layout->addWidget(searchBox);
    layout->addLayout(options);
    layout->addWidget(progress);
    layout->addWidget(new QLabel(QStringLiteral("Results"), this));
    layout->addWidget(results, 1);
    layout->addLayout(buttons);
    resize(680, 720);

    setAccessibleName(QStringLiteral("Export Library"));
    source->setAccessibleName(QStringLiteral("Source"));
    rcDirectory->setAccessibleName(QStringLiteral("RecordCase directory"));
    rcBrowse->setAccessibleName(QStringLiteral("Browse for the RecordCase directory"));
    redDirectory->setAccessibleName(QStringLiteral("Group file directory"));
    redBrowse->setAccessibleName(QStringLiteral("Browse for the group file directory"));
    outputFolder->setAccessibleName(QStringLiteral("Output"));
    outputBrowse->setAccessibleName(QStringLiteral("Browse for the output"));
    format->setAccessibleName(QStringLiteral("Format"));
    library->setAccessibleName(QStringLiteral("Groups and subgroups to export"));
    relocations->setAccessibleName(QStringLiteral("Path relocation"));
    searchFolders->setAccessibleName(QStringLiteral("Search for moved tracks in"));
    addSearchFolder->setAccessibleName(QStringLiteral("Add a folder to search"));
    removeSearchFolder->setAccessibleName(QStringLiteral("Remove the folder to search"));
    progress->setAccessibleName(QStringLiteral("Playlists exported"));
    results->setAccessibleName(QStringLiteral("Results"));

    QWidget* order[] = {
        source,        rcDirectory,  rcBrowse,        redDirectory,    redBrowse,
        format,        outputFolder, outputBrowse,    library,         relocations,
        addRule,       removeRule,   searchFolders,   addSearchFolder, removeSearchFolder,
        checkTracks,   readTags,     results,         saveReport,      openFolder,
        previewButton, startButton,  cancelRunButton, exitButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The settings of the last run, read before any signal is connected.
    QSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    source->setCurrentIndex(std::clamp(settings.value(QStringLiteral("source"), 0).toInt(), 0, 1));
    rcDirectory->setText(settings.value(QStringLiteral("rcDirectory")).toString());
    redDirectory->setText(settings.value(QStringLiteral("redDirectory")).toString());
    format->setCurrentIndex(std::clamp(settings.value(QStringLiteral("format"), 0).toInt(), 0, 3));
    m_outputFolder = settings.value(QStringLiteral("outputFolder")).toString();
    m_outputFile = settings.value(QStringLiteral("outputFile")).toString();
    checkTracks->setChecked(settings.value(QStringLiteral("checkTracks"), false).toBool());
    readTags->setChecked(settings.value(QStringLiteral("readTags"), true).toBool());
    const QStringList rules = settings.value(QStringLiteral("relocations")).toStringList();
    for (qsizetype i = 0; i + 1 < rules.size(); i += 2) {
        const int row = relocations->rowCount();
        relocations->insertRow(row);
        relocations->setItem(row, 0, new QTableWidgetItem(rules[i]));
        relocations->setItem(row, 1, new QTableWidgetItem(rules[i + 1]));
    }
    searchFolders->addItems(settings.value(QStringLiteral("searchFolders")).toStringList());
    settings.endGroup();
    m_fileFormat = !convert::formatEntry(chosenFormat()).toFolder;
    outputFolder->setText(m_fileFormat ? m_outputFile : m_outputFolder);
    formatChanged();
    sourceChanged();

    connect(source, &QComboBox::currentIndexChanged, this, [this] {
        sourceChanged();
        reloadLibrary();
    });
    connect(format, &QComboBox::currentIndexChanged, this, &ExportWindow::formatChanged);
    // The library is read again once a directory was edited, not each time the field loses the
    // focus or Enter is pressed in it, which would undo the choices made in the tree.
    for (QLineEdit* directory : {rcDirectory, redDirectory})
        connect(directory, &QLineEdit::editingFinished, this, [this, directory] {
            if (!directory->isModified())
                return;
            directory->setModified(false);
            reloadLibrary();
        });
    connect(rcBrowse, &QPushButton::clicked, this, &ExportWindow::browseRcDirectory);
    connect(redBrowse, &QPushButton::clicked, this, &ExportWindow::browseRedDirectory);
    connect(outputBrowse, &QPushButton::clicked, this, &ExportWindow::browseOutputFolder);
    connect(addRule, &QPushButton::clicked, this, &ExportWindow::addRelocation);
    connect(removeRule, &QPushButton::clicked, this, &ExportWindow::removeRelocation);
    connect(addSearchFolder, &QPushButton::clicked, this, &ExportWindow::addSearchFolderClicked);
    connect(removeSearchFolder, &QPushButton::clicked, this,
            &ExportWindow::removeSearchFolderClicked);
    connect(previewButton, &QPushButton::clicked, this, &ExportWindow::previewClicked);
    connect(startButton, &QPushButton::clicked, this, &ExportWindow::startClicked);
    connect(cancelRunButton, &QPushButton::clicked, this, &ExportWindow::cancelClicked);
    connect(exitButton, &QPushButton::clicked, this, &ExportWindow::exitClicked);
    connect(saveReport, &QPushButton::clicked, this, &ExportWindow::saveReportClicked);
    connect(openFolder, &QPushButton::clicked, this, &ExportWindow::openFolderClicked);
}

convert::ExportFormat ExportWindow::chosenFormat() const {
    return kFormats[std::clamp(format->currentIndex(), 0, 3)];
}

void ExportWindow::Form_Load() {
    if (rcDirectory->text().isEmpty()) {
        const auto found = settings::detectFxRc(settings::DetectOrder::TestThenNormalise);
        if (found.state == settings::Detected::Present)
            rcDirectory->setText(qs(found.path));
    }
    if (redDirectory->text().isEmpty()) {
        const auto found = settings::detectRedGroups(settings::DetectOrder::TestThenNormalise);
        if (found.state == settings::Detected::Present)
            redDirectory->setText(qs(found.path));
    }
    reloadLibrary();
}

void ExportWindow::sourceChanged() {
    const bool red = source->currentIndex() == 1;
    m_paths->setRowVisible(1, !red);
    m_paths->setRowVisible(2, red);
}

void ExportWindow::formatChanged() {
    const bool file = !convert::formatEntry(chosenFormat()).toFolder;
    if (file != m_fileFormat) {
        // Each kind of output keeps its own path: a folder for M3U, a file for the others.
        (m_fileFormat ? m_outputFile : m_outputFolder) = outputFolder->text();
        outputFolder->setText(file ? m_outputFile : m_outputFolder);
        m_fileFormat = file;
    }
    outputLabel->setText(file ? QStringLiteral("Output file") : QStringLiteral("Output folder"));
    readTags->setEnabled(file);
}

void ExportWindow::reloadLibrary() {
    library->clear();
    const bool red = source->currentIndex() == 1;
    const QString dir = (red ? redDirectory : rcDirectory)->text().trimmed();
    if (dir.isEmpty())
        return;
    convert::ExportInputs inputs;
    inputs.source = red ? convert::LibrarySource::Red : convert::LibrarySource::Fx;
    std::string path = pathBytes(dir);
    if (!red && path.back() != '\\' && path.back() != '/')
        path += settings::separatorFor(path);
    if (!settings::isExistingDirectory(path))
        return; // said when a run starts
    (red ? inputs.redDirectory : inputs.rcDirectory) = path;
    // Listing the library says nothing: what it cannot read, the run says when it starts.
    struct Quiet final : convert::MessageSink {
        void message(convert::MessageKind, std::string_view, std::string_view) override {}
    } quiet;
    const auto groups = convert::listLibrary(inputs, quiet);
    if (!groups)
        return;
    QList<QTreeWidgetItem*> items;
    for (const auto& group : *groups) {
        auto* item = new QTreeWidgetItem({libraryName(group.name)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
        item->setCheckState(0, Qt::Checked);
        for (const auto& sub : group.subgroups) {
            auto* child = new QTreeWidgetItem(item, {libraryName(sub.name)});
            child->setFlags(child->flags() | Qt::ItemIsUserCheckable);
            child->setCheckState(0, Qt::Checked);
        }
        items << item;
    }
    library->addTopLevelItems(items);
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
    reloadLibrary();
}

void ExportWindow::browseRedDirectory() {
    const QString chosen = chooseDirectory(this, QStringLiteral("PCDJ RED group file directory"),
                                           onDisk(redDirectory->text()));
    if (chosen.isEmpty())
        return;
    redDirectory->setText(QDir::toNativeSeparators(chosen));
    reloadLibrary();
}

void ExportWindow::browseOutputFolder() {
    // The picker starts at the output chosen before, else where the DJ's files are.
    QString start = onDisk(outputFolder->text());
    if (start.isEmpty())
        start = onDisk((source->currentIndex() == 1 ? redDirectory : rcDirectory)->text());
    QString chosen;
    if (convert::formatEntry(chosenFormat()).toFolder) {
        chosen = chooseDirectory(this, QStringLiteral("Output folder"), start);
    } else {
        const bool rekordbox = chosenFormat() == convert::ExportFormat::Rekordbox;
        if (QFileInfo(start).isDir())
            start = QDir(start).filePath(rekordbox ? QStringLiteral("rekordbox.xml")
                                                   : QStringLiteral("collection.nml"));
        chosen = chooseSaveFile(this, QStringLiteral("Output file"), start,
                                rekordbox ? QStringLiteral("rekordbox XML (*.xml)")
                                          : QStringLiteral("Traktor collection (*.nml)"));
    }
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

QStringList ExportWindow::searchFolderList() const {
    QStringList folders;
    for (int i = 0; i < searchFolders->count(); ++i)
        folders << searchFolders->item(i)->text();
    return folders;
}

void ExportWindow::addSearchFolderClicked() {
    QString start;
    if (const QListWidgetItem* item = searchFolders->currentItem())
        start = onDisk(item->text());
    const QString chosen =
        chooseDirectory(this, QStringLiteral("Search for moved tracks in"), start);
    if (chosen.isEmpty())
        return;
    const QString folder = QDir::toNativeSeparators(chosen);
    if (searchFolders->findItems(folder, Qt::MatchExactly).isEmpty())
        searchFolders->addItem(folder);
    searchFolders->setCurrentRow(searchFolders->count() - 1);
}

void ExportWindow::removeSearchFolderClicked() {
    delete searchFolders->takeItem(searchFolders->currentRow());
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
             source,       rcDirectory,  rcBrowse,      redDirectory,    redBrowse,
             outputFolder, outputBrowse, format,        library,         relocations,
             addRule,      removeRule,   searchFolders, addSearchFolder, removeSearchFolder,
             checkTracks,  saveReport,   previewButton, startButton,     exitButton})
        control->setEnabled(!running);
    readTags->setEnabled(!running && m_fileFormat);
    openFolder->setEnabled(!running && !m_folderWritten.isEmpty());
    cancelRunButton->setEnabled(running);
    if (running)
        cancelRunButton->setFocus();
    else if (focusWidget() == nullptr || !focusWidget()->isEnabled())
        startButton->setFocus();
}

void ExportWindow::saveSettings() const {
    QSettings settings;
    settings.beginGroup(QLatin1String(kSettingsGroup));
    settings.setValue(QStringLiteral("source"), source->currentIndex());
    settings.setValue(QStringLiteral("rcDirectory"), rcDirectory->text().trimmed());
    settings.setValue(QStringLiteral("redDirectory"), redDirectory->text().trimmed());
    settings.setValue(QStringLiteral("format"), format->currentIndex());
    settings.setValue(m_fileFormat ? QStringLiteral("outputFile") : QStringLiteral("outputFolder"),
                      outputFolder->text().trimmed());
    settings.setValue(QStringLiteral("checkTracks"), checkTracks->isChecked());
    settings.setValue(QStringLiteral("readTags"), readTags->isChecked());
    QStringList rules;
    for (int row = 0; row < relocations->rowCount(); ++row)
        for (int column : {0, 1}) {
            const QTableWidgetItem* item = relocations->item(row, column);
            rules << (item ? item->text() : QString());
        }
    settings.setValue(QStringLiteral("relocations"), rules);
    settings.setValue(QStringLiteral("searchFolders"), searchFolderList());
    settings.endGroup();
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
    for (const QString& folder : searchFolderList())
        options.searchDirectories.push_back(pathBytes(folder));

    convert::ExportInputs inputs;
    inputs.format = chosenFormat();
    inputs.readTags = readTags->isChecked();
    const bool red = source->currentIndex() == 1;
    inputs.source = red ? convert::LibrarySource::Red : convert::LibrarySource::Fx;
    const QString sourceDir = (red ? redDirectory : rcDirectory)->text().trimmed();
    if (!sourceDir.isEmpty()) {
        std::string dir = pathBytes(sourceDir);
        if (!red && dir.back() != '\\' && dir.back() != '/')
            dir += settings::separatorFor(dir);
        if (!settings::isExistingDirectory(dir)) {
            showMessage(red ? QStringLiteral("The group file directory \"%1\" does not exist. "
                                             "Please choose the directory of the PCDJ RED group "
                                             "files.")
                                  .arg(sourceDir)
                            : QStringLiteral("The RecordCase directory \"%1\" does not exist. "
                                             "Please choose the PCDJ FX RecordCase directory.")
                                  .arg(sourceDir),
                        QStringLiteral("Deckshift"));
            return;
        }
        (red ? inputs.redDirectory : inputs.rcDirectory) = std::move(dir);
    }
    // The groups and subgroups left unchecked in the tree.
    bool allGroups = true;
    std::vector<std::string> groups;
    for (int g = 0; g < library->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = library->topLevelItem(g);
        const std::string name = group->text(0).toStdString();
        if (group->checkState(0) == Qt::Unchecked) {
            allGroups = false;
            continue;
        }
        groups.push_back(name);
        for (int s = 0; s < group->childCount(); ++s)
            if (group->child(s)->checkState(0) == Qt::Unchecked)
                inputs.excludedSubgroups.insert({name, group->child(s)->text(0).toStdString()});
    }
    if (!allGroups) {
        if (groups.empty()) {
            showMessage(QStringLiteral("No group is checked. Please check the groups to export."),
                        QStringLiteral("Deckshift"));
            return;
        }
        inputs.groups = std::move(groups);
    }
    m_output = outputFolder->text().trimmed();
    inputs.output = pathBytes(m_output);
    // A folder that is not there yet is created once the user agrees (not for a preview, which
    // creates nothing).
    const bool toFolder = convert::formatEntry(inputs.format).toFolder;
    const std::string folder = toFolder ? inputs.output : convert::directoryOf(inputs.output);
    if (!dryRun && !m_output.isEmpty() && !settings::isExistingDirectory(folder)) {
        const QString shown = qs(folder);
        if (askQuestion(QStringLiteral("The folder \"%1\" does not exist. Create it?").arg(shown),
                        QStringLiteral("Deckshift"),
                        {QStringLiteral("Create"), QStringLiteral("Cancel")}, 1) != 0)
            return;
        if (!QDir().mkpath(onDisk(folder))) {
            showMessage(QStringLiteral("The folder \"%1\" could not be created. Nothing was "
                                       "written.")
                            .arg(shown),
                        QStringLiteral("Deckshift"));
            return;
        }
    }
    saveSettings();

    results->clear();
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setTextVisible(false);
    m_done = 0;
    m_folderWritten.clear();
    m_relocating = !options.relocations.empty();
    m_searching = !options.searchDirectories.empty();
    m_cancel = false;
    inputs.cancel = &m_cancel;
    // The window hears of the first playlist, the last, and the others at most about 60 times a
    // second; each report waits until the window has shown it, so a Cancel pressed then is seen
    // before the next playlist.
    auto last = std::chrono::steady_clock::time_point{};
    inputs.progress = [this, &last](std::uint64_t done, std::uint64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (done != 1 && done != total && now - last < std::chrono::milliseconds(16))
            return;
        last = now;
        callOnGuiThread([&] { playlistDone(done, total); });
    };
    inputs.detailsProgress = [this, &last](std::uint64_t done, std::uint64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (done != total && now - last < std::chrono::milliseconds(16))
            return;
        last = now;
        callOnGuiThread([&] {
            progress->setRange(0, static_cast<int>(std::min<std::uint64_t>(total, INT_MAX)));
            progress->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
            progress->setFormat(
                QStringLiteral("Reading track details: %1 of %2").arg(done).arg(total));
            progress->setTextVisible(true);
        });
    };
    RunSink sink;
    std::optional<formats::FilePlan> plan;
    if (dryRun) {
        plan.emplace([&sink](std::string_view line) { sink.planned(line); });
        options.dryRun = &*plan;
    }
    inputs.foundByName = [&sink](const convert::MissingTrack& track) { sink.foundByName(track); };
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
    if (!dryRun && result.status != convert::RunStatus::Refused &&
        (result.playlists > 0 || !toFolder))
        m_folderWritten = onDisk(folder);
    finished(result, dryRun, sink);
}

void ExportWindow::playlistDone(std::uint64_t done, std::uint64_t total) {
    m_done = done;
    const int max = static_cast<int>(std::min<std::uint64_t>(total, INT_MAX));
    progress->setRange(0, std::max(max, 1));
    progress->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
    progress->setFormat(QStringLiteral("%1 of %2 playlists").arg(done).arg(total));
    progress->setTextVisible(true);
}

void ExportWindow::addList(const QString& title, qsizetype count, const QStringList& lines) {
    if (lines.isEmpty())
        return;
    auto* parent = new QTreeWidgetItem({QStringLiteral("%1 (%2)").arg(title).arg(count)});
    QList<QTreeWidgetItem*> children;
    children.reserve(lines.size());
    for (const QString& line : lines)
        children << new QTreeWidgetItem({line});
    parent->addChildren(children);
    results->addTopLevelItem(parent);
}

void ExportWindow::finished(const convert::ExportResult& result, bool dryRun, const RunSink& sink) {
    playlistDone(m_done, std::max(m_done, result.playlistsListed));
    QStringList summary;
    const bool toFolder = convert::formatEntry(chosenFormat()).toFolder;
    const QString what =
        plural(result.groups, "group", "groups") + QStringLiteral(", ") +
        plural(result.playlists, "playlist", "playlists") + QStringLiteral(" and ") +
        plural(result.tracks, "track", "tracks") +
        (toFolder ? QString() : QStringLiteral(" (%1 distinct)").arg(result.distinctTracks));
    if (result.status == convert::RunStatus::Done) {
        if (dryRun)
            summary << QStringLiteral("Preview: %1 would be written to %2. Nothing was written.")
                           .arg(what, m_output);
        else if (result.cancelled && toFolder)
            summary << QStringLiteral("Cancelled after %1 of %2 playlists: %3 written to %4.")
                           .arg(m_done)
                           .arg(result.playlistsListed)
                           .arg(what, m_output);
        else if (result.cancelled)
            summary << QStringLiteral("Cancelled. Nothing was exported.");
        else
            summary << QStringLiteral("Exported %1 to %2.").arg(what, m_output);
        if (result.playlistsMissing > 0)
            summary << plural(result.playlistsMissing, "playlist", "playlists") +
                           QStringLiteral(" left out.");
        if (result.groupFilesSkipped > 0)
            summary << plural(result.groupFilesSkipped, "file", "files") +
                           QStringLiteral(" of the group directory skipped: no group files.");
        if (result.leftOut.notAbsolute > 0)
            summary << plural(result.leftOut.notAbsolute, "track", "tracks") +
                           QStringLiteral(" left out: the path is not absolute.");
        if (result.leftOut.controlCharacter > 0)
            summary << plural(result.leftOut.controlCharacter, "track", "tracks") +
                           QStringLiteral(" left out: the path holds a control character.");
        if (m_relocating && !dryRun)
            summary << QStringLiteral("Relocated ") +
                           plural(result.pipeline.relocated, "track path.", "track paths.");
        if (m_searching)
            summary << qs(convert::searchSummaryLine(result.pipeline)) + QLatin1Char('.');
    } else if (result.status == convert::RunStatus::Failed && toFolder && result.playlists > 0) {
        summary << QStringLiteral("The export stopped: %1 written to %2 before a file could not "
                                  "be written. Each file written is whole.")
                       .arg(what, m_output);
    } else {
        summary << QStringLiteral("Nothing was exported.");
    }
    for (const QString& line : summary)
        results->addTopLevelItem(new QTreeWidgetItem({line}));
    for (const QString& error : sink.errors())
        results->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Error: ") + error}));
    QStringList warnings;
    for (const QString& warning : sink.warnings())
        warnings << warning.split(QLatin1Char('\n'));
    addList(QStringLiteral("Warnings"), sink.warnings().size(), warnings);
    addList(QStringLiteral("Found by name"), sink.found().size() / 2, sink.found());
    addList(QStringLiteral("Files"), sink.files().size(), sink.files());
    setRunning(false);
}

void ExportWindow::saveReportClicked() {
    if (results->topLevelItemCount() == 0) {
        showMessage(QStringLiteral("There is no report to save yet: run Preview or Start Export "
                                   "first."),
                    QStringLiteral("Deckshift"));
        return;
    }
    const QString folder = onDisk(outputFolder->text());
    const QString dir = QFileInfo(folder).isDir() ? folder : QFileInfo(folder).path();
    const QString start = folder.isEmpty()
                              ? QStringLiteral("Deckshift export report.txt")
                              : QDir(dir).filePath(QStringLiteral("Deckshift export report.txt"));
    const QString path = chooseSaveFile(this, QStringLiteral("Save Report"), start,
                                        QStringLiteral("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    // Written whole or not at all: a failed save leaves an earlier report as it was.
    QSaveFile file(path);
    QByteArray bytes;
    for (int i = 0; i < results->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = results->topLevelItem(i);
        bytes += item->text(0).toUtf8() + "\r\n";
        for (int c = 0; c < item->childCount(); ++c)
            bytes += item->child(c)->text(0).toUtf8() + "\r\n";
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        showMessage(QStringLiteral("The report could not be saved as \"%1\": %2. Nothing was "
                                   "written.")
                        .arg(QDir::toNativeSeparators(path), file.errorString()),
                    QStringLiteral("Deckshift"));
    }
}

void ExportWindow::openFolderClicked() {
    if (!m_folderWritten.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_folderWritten));
}

} // namespace deckshift::ui
