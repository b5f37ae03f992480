// The export window end to end: a small PCDJ FX library in a temporary Wine prefix exported as
// M3U8 or M3U files, the results list, Preview writing nothing, Cancel, the report, and what the
// window refuses before it starts.

#include "UiTestSupport.h"

#include "convert/ExportLibrary.h"
#include "ui/ExportWindow.h"
#include "ui/FileDialog.h"
#include "ui/Form2.h"
#include "ui/OffThreadRun.h"
#include "ui/Windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace deckshift::test {
namespace {

using namespace deckshift::ui;

/// C:\FX\RC, the RecordCase directory the registry names, holds two groups: "Rock" with Live
/// (two tracks, one named in the 8-bit code page) and Studio (its playlist is missing), and
/// "Jazz" with Club (one track below D:\Old, which the music has left for C:\Music).
class ExportWindowTest : public UiTest {
public:
    void SetUp() override {
        UiTest::SetUp();
        if (!convert::exportAvailable())
            GTEST_SKIP() << "this build has no export";
#ifdef _WIN32
        GTEST_SKIP() << "these tests lay out a Wine prefix of their own; on Windows "
                        "WindowsDjTest runs the export window against the registry";
#endif
        const auto& prefix = usePrefix();
        prefix.setFxRc("C:\\FX\\RC\\");
        const fs::path rc = prefix.driveC() / "FX" / "RC";
        writeBytes(rc / "Groups.xml", smallLibraryGroupList());
        writeBytes(rc / "Playlists" / "Rock_Live.XML",
                   vrmPlaylist({"C:\\Music\\a.mp3", "C:\\Music\\Caf\xE9.mp3"}));
        writeBytes(rc / "Playlists" / "Jazz_Club.XML", vrmPlaylist({"D:\\Old\\b.mp3"}));
        writeBytes(prefix.driveC() / "Music" / "a.mp3", "x");
        writeBytes(prefix.driveC() / "Music" / "b.mp3", "x");
        m_out = m_tmp / "out";
        fs::create_directories(m_out);
        show<Form2>().Command6_Click();
        m_window = loaded<ExportWindow>();
        ASSERT_NE(m_window, nullptr);
    }

    /// Chooses the output folder through its Browse button.
    void chooseOutput() {
        m_dialogs.answer(QString::fromStdString(m_out.string()));
        click(m_window->outputBrowse);
        ASSERT_EQ(m_window->outputFolder->text().toStdString(), m_out.string());
    }

    void addRule(const QString& from, const QString& to) {
        click(m_window->addRule);
        const int row = m_window->relocations->rowCount() - 1;
        m_window->relocations->item(row, 0)->setText(from);
        m_window->relocations->item(row, 1)->setText(to);
    }

    /// Clicks `button`, which returns once the run it starts has ended.
    void runWith(QPushButton* button) {
        click(button);
        ASSERT_FALSE(m_window->running());
    }

    /// The results as the report holds them: each item, and below a list's item its lines.
    std::vector<std::string> rows() const {
        std::vector<std::string> texts;
        for (int i = 0; i < m_window->results->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = m_window->results->topLevelItem(i);
            texts.push_back(item->text(0).toStdString());
            for (int c = 0; c < item->childCount(); ++c)
                texts.push_back(item->child(c)->text(0).toStdString());
        }
        return texts;
    }

    std::string out(std::string_view rest = {}) const {
        return m_out.string() + std::string(rest);
    }

    fs::path m_out;
    ExportWindow* m_window = nullptr;
    FileDialogRecorder m_dialogs;
};

TEST_F(ExportWindowTest, ExportsTheLibraryAndListsWhatHappened) {
    EXPECT_EQ(m_window->windowTitle(), "Export Library");
    EXPECT_FALSE(loaded<Form2>()->isVisible());
    EXPECT_EQ(m_window->rcDirectory->text(), "C:\\FX\\RC\\"); // from the registry
    EXPECT_EQ(m_window->format->currentText(), "M3U8 (UTF-8)");
    EXPECT_TRUE(m_window->startButton->isDefault());
    chooseOutput();
    addRule("D:\\Old", "C:\\Music");
    m_window->checkTracks->setChecked(true);
    runWith(m_window->startButton);

    const std::map<std::string, std::string> expected = {
        {"Rock/Live.m3u8", crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Caf\xC3\xA9.mp3"})},
        {"Jazz/Club.m3u8", crlf({"#EXTM3U", "C:\\Music\\b.mp3"})},
    };
    EXPECT_EQ(snapshot(m_out), expected);
    const std::vector<std::string> expectedRows = {
        "Exported 2 groups, 2 playlists and 3 tracks to " + out() + ".",
        "1 playlist left out.",
        "Relocated 1 track path.",
        "Warnings (2)",
        "The playlist of subgroup \"Studio\" in group \"Rock\" was left out. Cannot open "
        "\"C:\\FX\\RC\\Playlists\\Rock_Studio.XML\": No such file or directory",
        "1 of 3 tracks not found",
        "C:\\FX\\RC\\Playlists\\Rock_Live.XML:7: C:\\Music\\Caf\xC3\xA9.mp3",
    };
    EXPECT_EQ(rows(), expectedRows);
    EXPECT_EQ(m_window->progress->value(), 3);
    EXPECT_EQ(m_window->progress->maximum(), 3);
    EXPECT_EQ(m_window->progress->text(), "3 of 3 playlists");
    EXPECT_TRUE(messages().empty()) << messages().front().text.toStdString();
    EXPECT_TRUE(m_window->startButton->isEnabled());
    EXPECT_FALSE(m_window->cancelRunButton->isEnabled());

    // The report holds the list as shown, one line each.
    const fs::path report = m_tmp / "report.txt";
    m_dialogs.answer(QString::fromStdString(report.string()));
    click(m_window->saveReport);
    std::string bytes;
    for (const auto& row : expectedRows)
        bytes += row + "\r\n";
    EXPECT_EQ(readBytes(report), bytes);
}

// The RecordCase directory picked with Browse is a native path, given its trailing separator.
TEST_F(ExportWindowTest, M3uFromARecordCaseDirectoryPickedOnDisk) {
    const fs::path rc = m_prefix->driveC() / "FX" / "RC";
    m_dialogs.answer(QString::fromStdString(rc.string()));
    click(m_window->rcBrowse);
    EXPECT_EQ(m_window->rcDirectory->text().toStdString(), rc.string() + "/");
    chooseOutput();
    m_window->format->setCurrentIndex(1);
    ASSERT_EQ(m_window->format->currentText(), "M3U (8-bit)");
    runWith(m_window->startButton);
    const std::map<std::string, std::string> expected = {
        {"Rock/Live.m3u", crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Caf\xE9.mp3"})},
        {"Jazz/Club.m3u", crlf({"#EXTM3U", "D:\\Old\\b.mp3"})},
    };
    EXPECT_EQ(snapshot(m_out), expected);
}

TEST_F(ExportWindowTest, PreviewListsTheFilesAndWritesNothing) {
    chooseOutput();
    writeBytes(m_out / "Jazz" / "Club.m3u8", "old");
    runWith(m_window->previewButton);
    const std::map<std::string, std::string> untouched = {{"Jazz/Club.m3u8", "old"}};
    EXPECT_EQ(snapshot(m_out), untouched);
    EXPECT_FALSE(fs::exists(m_out / "Rock"));
    const std::vector<std::string> expectedRows = {
        "Preview: 2 groups, 2 playlists and 3 tracks would be written to " + out() +
            ". Nothing was written.",
        "1 playlist left out.",
        "Warnings (1)",
        "The playlist of subgroup \"Studio\" in group \"Rock\" was left out. Cannot open "
        "\"C:\\FX\\RC\\Playlists\\Rock_Studio.XML\": No such file or directory",
        "Files (2)",
        "create " + out("/Rock/Live.m3u8"),
        "replace " + out("/Jazz/Club.m3u8"),
    };
    EXPECT_EQ(rows(), expectedRows);
}

// Cancel, pressed once the first playlist is written, stops the run before the next one; during
// the run Start, Preview and Exit are disabled and Cancel enabled.
TEST_F(ExportWindowTest, CancelStopsAfterThePlaylistBeingWritten) {
    chooseOutput();
    bool checkedDuringRun = false;
    QObject::connect(m_window->progress, &QProgressBar::valueChanged, m_window, [&](int value) {
        if (value != 1)
            return;
        EXPECT_TRUE(m_window->running());
        EXPECT_FALSE(m_window->startButton->isEnabled());
        EXPECT_FALSE(m_window->previewButton->isEnabled());
        EXPECT_FALSE(m_window->exitButton->isEnabled());
        click(m_window->cancelRunButton);
        checkedDuringRun = true;
    });
    runWith(m_window->startButton);
    EXPECT_TRUE(checkedDuringRun);
    const std::map<std::string, std::string> expected = {
        {"Rock/Live.m3u8", crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Caf\xC3\xA9.mp3"})},
    };
    EXPECT_EQ(snapshot(m_out), expected);
    ASSERT_FALSE(rows().empty());
    EXPECT_EQ(rows().front(), "Cancelled after 1 of 3 playlists: 1 group, 1 playlist and 2 "
                              "tracks written to " +
                                  out() + ".");
    EXPECT_EQ(m_window->progress->value(), 1);
    EXPECT_TRUE(m_window->startButton->isEnabled());
    EXPECT_TRUE(m_window->previewButton->isEnabled());
    EXPECT_FALSE(m_window->cancelRunButton->isEnabled());
}

// Closing the window during a run stops the export after the playlist being written, with a
// message that says so; the window closes then and goes back to the menu. Only whole playlists
// are left.
TEST_F(ExportWindowTest, ClosingDuringARunStopsIt) {
    chooseOutput();
    QObject::connect(m_window->progress, &QProgressBar::valueChanged, m_window, [&](int value) {
        if (value == 1)
            m_window->close();
    });
    click(m_window->startButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return loaded<ExportWindow>() == nullptr; }, 20000));
    EXPECT_TRUE(loaded<Form2>()->isVisible());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.toStdString(), kMsgClosingStopsExport);
    const std::map<std::string, std::string> expected = {
        {"Rock/Live.m3u8", crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Caf\xC3\xA9.mp3"})},
    };
    EXPECT_EQ(snapshot(m_out), expected);
}

// What the window or the export refuses: a message, "Nothing was exported." and no file written.
TEST_F(ExportWindowTest, RefusalsWriteNothing) {
    struct Case {
        const char* name;
        std::function<void(ExportWindowTest&)> setUp;
        std::string message;
    };
    const Case cases[] = {
        {"no output folder", [](ExportWindowTest&) {},
         "No output directory is chosen. Please select one."},
        {"RecordCase directory missing",
         [](ExportWindowTest& t) {
             t.chooseOutput();
             t.m_window->rcDirectory->setText("C:\\Nowhere");
         },
         "The RecordCase directory \"C:\\Nowhere\" does not exist. Please choose the PCDJ FX "
         "RecordCase directory."},
        {"relocation without From",
         [](ExportWindowTest& t) {
             t.chooseOutput();
             t.addRule("", "C:\\Music");
         },
         "Row 1 of the path relocation has no From path. Please fill it in or remove the row."},
        {"relocation the code page cannot hold",
         [](ExportWindowTest& t) {
             t.chooseOutput();
             t.addRule("D:\\Old", QString::fromUtf8("C:\\\xE2\x86\x92"));
         },
         "The relocation path \"C:\\\xE2\x86\x92\" holds U+2192 \"\xE2\x86\x92\", which the 8-bit "
         "code page of PCDJ cannot hold. Nothing was written."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_window->exitClicked();
        flushDeletes();
        loaded<Form2>()->Command6_Click();
        m_window = loaded<ExportWindow>();
        m_messages.clear();
        c.setUp(*this);
        click(m_window->startButton);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text.toStdString(), c.message);
        EXPECT_EQ(messages()[0].title, "Deckshift");
        EXPECT_TRUE(fs::is_empty(m_out));
    }
}

TEST_F(ExportWindowTest, TheReportIsWrittenWholeOrNotAtAll) {
    chooseOutput();
    runWith(m_window->previewButton);
    // Cancelled: nothing written, nothing said.
    click(m_window->saveReport);
    EXPECT_TRUE(messages().empty());
    // A folder that does not exist: a message, and no file.
    const fs::path nowhere = m_tmp / "missing" / "report.txt";
    m_dialogs.answer(QString::fromStdString(nowhere.string()));
    click(m_window->saveReport);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.startsWith("The report could not be saved as \""))
        << messages()[0].text.toStdString();
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
    // An earlier report is replaced whole.
    const fs::path report = m_tmp / "report.txt";
    writeBytes(report, "an older, longer report\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    m_dialogs.answer(QString::fromStdString(report.string()));
    click(m_window->saveReport);
    std::string bytes;
    for (const auto& row : rows())
        bytes += row + "\r\n";
    EXPECT_EQ(readBytes(report), bytes);
    ASSERT_EQ(m_dialogs.asked().size(), 4u); // the output folder, then the three reports
    EXPECT_EQ(m_dialogs.asked()[3].caption, "Save Report");
}

// Enter starts the export from a field (Start Export is the default button); Escape is Exit.
TEST_F(ExportWindowTest, EnterStartsAndEscapeGoesBackToTheMenu) {
    chooseOutput();
    m_window->outputFolder->setFocus();
    QTest::keyClick(m_window->outputFolder, Qt::Key_Return);
    EXPECT_TRUE(fs::exists(m_out / "Jazz" / "Club.m3u8"));

    QTest::keyClick(m_window->outputFolder, Qt::Key_Escape);
    EXPECT_EQ(loaded<ExportWindow>(), nullptr);
    EXPECT_TRUE(loaded<Form2>()->isVisible());
}

// The PCDJ RED group files to a rekordbox file: the tree shows the groups and subgroups, what is
// unchecked stays out, the output folder is created after asking, and Open Folder is offered.
TEST_F(ExportWindowTest, RekordboxFromPcdjRedGroupFilesChosenInTheTree) {
    const fs::path red = m_tmp / "red";
    writeBytes(red / "House.INI", crlf({"[Deep]", "Track 1=;;;;;;|a.mp3||C:\\Music\\|||", "[Acid]",
                                        "Track 1=;;;;;;|b.mp3||C:\\Music\\|||"}));
    writeBytes(red / "Techno.INI", crlf({"[Peak]", "Track 1=;;;;;;|a.mp3||C:\\Music\\|||"}));
    m_window->source->setCurrentIndex(1);
    EXPECT_FALSE(m_window->rcDirectory->isVisible());
    m_dialogs.answer(QString::fromStdString(red.string()));
    click(m_window->redBrowse);
    ASSERT_EQ(m_window->library->topLevelItemCount(), 2);
    QTreeWidgetItem* house = m_window->library->topLevelItem(0);
    EXPECT_EQ(house->text(0), "House");
    ASSERT_EQ(house->childCount(), 2);
    house->child(1)->setCheckState(0, Qt::Unchecked); // Acid
    m_window->library->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    m_window->format->setCurrentIndex(2);
    EXPECT_EQ(m_window->outputLabel->text(), "Output file");
    const fs::path file = m_out / "new" / "rekordbox.xml";
    m_window->outputFolder->setText(QString::fromStdString(file.string()));
    m_messages.onQuestion = [](const ShownMessage&) { return 0; }; // Create
    runWith(m_window->startButton);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.toStdString(),
              "The folder \"" + (m_out / "new").string() + "\" does not exist. Create it?");
    const std::string bytes = readBytes(file);
    EXPECT_NE(bytes.find("<NODE Type=\"0\" Name=\"House\" Count=\"1\">"), std::string::npos);
    EXPECT_EQ(bytes.find("Acid"), std::string::npos);
    EXPECT_EQ(bytes.find("Techno"), std::string::npos);
    ASSERT_FALSE(rows().empty());
    EXPECT_EQ(rows().front(),
              "Exported 1 group, 1 playlist and 1 track (1 distinct) to " + file.string() + ".");
    EXPECT_TRUE(m_window->openFolder->isEnabled());
}

// What a run was started with comes back when the window opens again.
TEST_F(ExportWindowTest, SettingsAreRememberedBetweenRuns) {
    chooseOutput();
    addRule("D:\\Old", "C:\\Music");
    m_window->checkTracks->setChecked(true);
    m_window->format->setCurrentIndex(1);
    runWith(m_window->previewButton);
    m_window->exitClicked();
    flushDeletes();
    loaded<Form2>()->Command6_Click();
    m_window = loaded<ExportWindow>();
    ASSERT_NE(m_window, nullptr);
    EXPECT_EQ(m_window->format->currentText(), "M3U (8-bit)");
    EXPECT_EQ(m_window->outputFolder->text().toStdString(), m_out.string());
    EXPECT_TRUE(m_window->checkTracks->isChecked());
    ASSERT_EQ(m_window->relocations->rowCount(), 1);
    EXPECT_EQ(m_window->relocations->item(0, 0)->text(), "D:\\Old");
    // The file formats keep an output of their own.
    m_window->format->setCurrentIndex(3);
    EXPECT_EQ(m_window->outputFolder->text(), "");
    m_window->format->setCurrentIndex(0);
    EXPECT_EQ(m_window->outputFolder->text().toStdString(), m_out.string());
}

// A playlist that cannot be written stops the export; the window says what was written.
TEST_F(ExportWindowTest, AWriteFailureSaysWhatWasWritten) {
    chooseOutput();
    fs::create_directories(m_out / "Jazz" / "Club.m3u8");
    runWith(m_window->startButton);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.toStdString(),
              "Cannot write \"" + out("/Jazz/Club.m3u8") + "\": a directory of that name exists");
    ASSERT_FALSE(rows().empty());
    EXPECT_EQ(rows().front(), "The export stopped: 2 groups, 1 playlist and 2 tracks written to " +
                                  out() +
                                  " before a file could not be written. Each file written "
                                  "is whole.");
    EXPECT_EQ(readBytes(m_out / "Rock" / "Live.m3u8"),
              crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Caf\xC3\xA9.mp3"}));
}

// A track not found is searched for by name in the folders listed, which are remembered; the
// results list the tracks found and where.
TEST_F(ExportWindowTest, MovedTracksAreFoundByNameInTheFoldersListed) {
    chooseOutput();
    const QString music = QString::fromStdString((m_prefix->driveC() / "Music").string());
    for (int i = 0; i < 2; ++i) { // a folder chosen twice is listed once
        m_dialogs.answer(music);
        click(m_window->addSearchFolder);
    }
    ASSERT_EQ(m_window->searchFolders->count(), 1);
    runWith(m_window->startButton);
    EXPECT_EQ(readBytes(m_out / "Jazz" / "Club.m3u8"), crlf({"#EXTM3U", "C:\\Music\\b.mp3"}));
    const std::vector<std::string> expectedRows = {
        "Exported 2 groups, 2 playlists and 3 tracks to " + out() + ".",
        "1 playlist left out.",
        "1 of 2 missing tracks found by name.",
        "Warnings (1)",
        "The playlist of subgroup \"Studio\" in group \"Rock\" was left out. Cannot open "
        "\"C:\\FX\\RC\\Playlists\\Rock_Studio.XML\": No such file or directory",
        "Found by name (1)",
        "C:\\FX\\RC\\Playlists\\Jazz_Club.XML:5: D:\\Old\\b.mp3",
        "    found: C:\\Music\\b.mp3",
    };
    EXPECT_EQ(rows(), expectedRows);

    m_window->exitClicked();
    flushDeletes();
    loaded<Form2>()->Command6_Click();
    m_window = loaded<ExportWindow>();
    ASSERT_NE(m_window, nullptr);
    ASSERT_EQ(m_window->searchFolders->count(), 1);
    EXPECT_EQ(m_window->searchFolders->item(0)->text(), music);
    m_window->searchFolders->setCurrentRow(0);
    click(m_window->removeSearchFolder);
    EXPECT_EQ(m_window->searchFolders->count(), 0);
}

// An output folder with an accented name that does not exist yet is named in the question as
// typed and created as typed.
TEST_F(ExportWindowTest, AMissingAccentedOutputFolderIsCreatedAsTyped) {
    const fs::path folder = m_out / "Caf\xC3\xA9";
    m_window->outputFolder->setText(QString::fromStdString(folder.string()));
    m_messages.onQuestion = [](const ShownMessage&) { return 0; }; // Create
    runWith(m_window->startButton);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.toStdString(),
              "The folder \"" + folder.string() + "\" does not exist. Create it?");
    EXPECT_EQ(readBytes(folder / "Jazz" / "Club.m3u8"), crlf({"#EXTM3U", "D:\\Old\\b.mp3"}));
}

// The tree is read again when a directory is edited, and only then: Enter in the field, or
// leaving it, keeps what was unchecked.
TEST_F(ExportWindowTest, TheTreeKeepsItsChoicesUntilTheDirectoryIsEdited) {
    ASSERT_EQ(m_window->library->topLevelItemCount(), 2);
    m_window->library->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    emit m_window->rcDirectory->editingFinished();
    ASSERT_EQ(m_window->library->topLevelItemCount(), 2);
    EXPECT_EQ(m_window->library->topLevelItem(0)->checkState(0), Qt::Unchecked);

    m_window->rcDirectory->setFocus();
    m_window->rcDirectory->end(false);
    QTest::keyClick(m_window->rcDirectory, Qt::Key_Backspace);
    QTest::keyClicks(m_window->rcDirectory, "\\");
    QTest::keyClick(m_window->rcDirectory, Qt::Key_Return);
    ASSERT_EQ(m_window->library->topLevelItemCount(), 2);
    EXPECT_EQ(m_window->library->topLevelItem(0)->checkState(0), Qt::Checked);
}

} // namespace
} // namespace deckshift::test
