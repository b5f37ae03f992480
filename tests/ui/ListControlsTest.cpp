// The drive, directory and file lists.

#include "UiTestSupport.h"

#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/Lists.h"

#include <QSignalSpy>
#include <QTest>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

class ListControlsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        startIn(m_tmp.path());
    }
};

// Ordinary files matching the pattern without regard to case, in the order NTFS lists them:
// upper-cased names compared byte by byte.
TEST_F(ListControlsTest, FileListPatternAndOrder) {
    for (const char* name :
         {"b.ini", "A.INI", "_x.ini", "a1.ini", "c.Ini", "Z.txt", "ini", ".h.ini"})
        writeBytes(m_tmp / "d" / name, "x");
    writeBytes(m_tmp / "d" / fs::path(u8"\u00E9t\u00E9.ini"), "x"); // "été.ini" on every system
    fs::create_directories(m_tmp / "d" / "dir.ini");
    QWidget parent;
    FileList list(&parent);
    list.setPattern("*.ini");
    list.setPath((m_tmp / "d").string());
    // The list carries the name in the code page, as the files name it.
    EXPECT_EQ(list.names(), (std::vector<std::string>{"A.INI", "a1.ini", "b.ini", "c.Ini", "_x.ini",
                                                      "\xE9t\xE9.ini"}));
    EXPECT_EQ(list.item(5)->text(), QString::fromUtf8("\xC3\xA9t\xC3\xA9.ini"));
    list.setPattern("?.INI");
    EXPECT_EQ(list.names(), (std::vector<std::string>{"A.INI", "b.ini", "c.Ini"}));
}

TEST_F(ListControlsTest, FileListSelectionAndClick) {
    writeBytes(m_tmp / "d" / "one.xml", "x");
    writeBytes(m_tmp / "d" / "two.xml", "x");
    QWidget parent;
    FileList list(&parent);
    list.setPattern("*.xml");
    list.setPath((m_tmp / "d").string());
    QSignalSpy clicks(&list, &FileList::Click);
    EXPECT_EQ(list.fileName(), "");
    EXPECT_TRUE(list.selectName("two.xml"));
    EXPECT_EQ(list.fileName(), "two.xml");
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(list.selectName("three.xml"));
    EXPECT_EQ(clicks.count(), 1);
    // Listing a directory again leaves no file selected, and is no click.
    list.setPath((m_tmp / "d").string());
    EXPECT_EQ(list.fileName(), "");
    EXPECT_EQ(clicks.count(), 1);

    // With the mouse: a click on the file already selected is a click too.
    parent.show();
    list.setGeometry(0, 0, 200, 200);
    clickFile(&list, "one.xml");
    clickFile(&list, "one.xml");
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(list.fileName(), "one.xml");
}

TEST_F(ListControlsTest, DirListOpensOnlyOnDoubleClickAndChangesOnlyOnRealChange) {
    fs::create_directories(m_tmp / "a" / "inner");
    fs::create_directories(m_tmp / "b");
    writeBytes(m_tmp / "file", "x");
    QWidget parent;
    parent.resize(300, 400);
    DirList list(&parent);
    list.setGeometry(0, 0, 300, 400);
    parent.show();
    EXPECT_EQ(list.path(), m_tmp.str());
    QSignalSpy changes(&list, &DirList::Change);

    const auto paths = entryPaths(&list);
    ASSERT_GE(paths.size(), 3u);
    // The directories above, the open one, then its subdirectories (no files, in NTFS order).
    EXPECT_EQ(paths.front(), m_tmp.path().root_path().string()); // "/" or "C:\\"
    EXPECT_EQ(paths[paths.size() - 3], m_tmp.str());
    EXPECT_EQ(paths[paths.size() - 2], (m_tmp / "a").string());
    EXPECT_EQ(paths.back(), (m_tmp / "b").string());

    // A single click only highlights.
    QListWidgetItem* a = list.item(static_cast<int>(paths.size() - 2));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(a).center());
    EXPECT_EQ(list.path(), m_tmp.str());
    EXPECT_EQ(changes.count(), 0);

    doubleClickDir(&list, (m_tmp / "a").string());
    EXPECT_EQ(list.path(), (m_tmp / "a").string());
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(list.setPath((m_tmp / "a/").string())); // the same directory
    EXPECT_EQ(list.path(), (m_tmp / "a").string());
    EXPECT_EQ(changes.count(), 1);
    doubleClickDir(&list, m_tmp.str());
    EXPECT_EQ(changes.count(), 2);
}

// A directory that cannot be listed leaves the list where it was: silently when the program set
// it, with a message when the user opened it.
TEST_F(ListControlsTest, DirListKeepsItsDirectoryWhenOneCannotBeListed) {
    fs::create_directories(m_tmp / "gone");
    QWidget parent;
    parent.resize(300, 400);
    DirList list(&parent);
    list.setGeometry(0, 0, 300, 400);
    parent.show();
    QSignalSpy changes(&list, &DirList::Change);

    std::string error;
    EXPECT_FALSE(list.setPath((m_tmp / "missing").string(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(list.path(), m_tmp.str());
    EXPECT_TRUE(messages().empty());

    fs::remove(m_tmp / "gone"); // listed a moment ago, gone now
    doubleClickDir(&list, (m_tmp / "gone").string());
    EXPECT_EQ(list.path(), m_tmp.str());
    EXPECT_EQ(changes.count(), 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_TRUE(messages()[0].text.contains(QString::fromStdString((m_tmp / "gone").string())));
}

TEST_F(ListControlsTest, WithoutAPrefixThereIsOneDriveAndTheFallbackIsTheRoot) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has drive letters of its own, with or without a Wine prefix";
#endif
    EXPECT_EQ(availableDrives(), std::vector<std::string>{"/"});
    EXPECT_EQ(fallbackRoot(), "/");
    EXPECT_EQ(startDirectory(), m_tmp.str());
    QWidget parent;
    DriveList drives(&parent);
    EXPECT_EQ(drives.count(), 1);
    EXPECT_EQ(drives.drive(), "/");
}

TEST_F(ListControlsTest, PathHelpers) {
    struct Case {
        const char* path;
        const char* normalised;
        const char* parent;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\FX\\RC\\", "C:\\FX\\RC", "C:\\FX", "RC"},
        {"C:\\FX", "C:\\FX", "C:\\", "FX"},
        {"C:\\", "C:\\", "", "c:\\"},
        {"d:", "d:\\", "", "d:\\"},
        {"/home/dj/", "/home/dj", "/home", "dj"},
        {"/home", "/home", "/", "home"},
        {"/", "/", "", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string n = normalizeDirectory(c.path);
        EXPECT_EQ(n, c.normalised);
        EXPECT_EQ(parentDirectory(n), c.parent);
        EXPECT_EQ(directoryName(n), c.name);
    }
    EXPECT_EQ(childDirectory("C:\\", "FX"), "C:\\FX");
    EXPECT_EQ(childDirectory("C:\\FX", "RC"), "C:\\FX\\RC");
    EXPECT_EQ(childDirectory("/", "home"), "/home");
    EXPECT_EQ(driveOf("C:\\FX"), "c:");
    EXPECT_EQ(driveOf("/home"), "/");
}

#ifndef _WIN32

// The drive list shows the prefix's drive letters; a drive that cannot be read is reported when
// the user chose it and the lists stay where they were.
TEST_F(ListControlsTest, WineDrives) {
    const auto& prefix = usePrefix();
    fs::create_directories(prefix.driveC() / "Music");
    fs::create_directory_symlink(m_tmp / "unplugged", prefix.root() / "dosdevices" / "d:");
    fs::create_directory_symlink("/dev/null", prefix.root() / "dosdevices" / "c::"); // a device
    ScopedCwd cwd(prefix.driveC() / "Music");

    EXPECT_EQ(availableDrives(), (std::vector<std::string>{"c:", "d:", "z:"}));
    EXPECT_EQ(fallbackRoot(), "C:\\");
    EXPECT_EQ(startDirectory(), "C:\\Music");
    EXPECT_EQ(currentDirectoryOf("c:"), "C:\\Music");
    EXPECT_EQ(currentDirectoryOf("Z:"), "Z:\\");

    QWidget parent;
    DriveList drives(&parent);
    DirList dirs(&parent);
    QObject::connect(&drives, &DriveList::Change, [&] { followDrive(drives, dirs); });
    EXPECT_EQ(drives.drive(), "c:");
    EXPECT_EQ(dirs.path(), "C:\\Music");

    // The user picks z:, which opens its current directory, its root.
    drives.setCurrentIndex(drives.findText("z:"));
    EXPECT_EQ(dirs.path(), "Z:\\");
    EXPECT_TRUE(messages().empty());
    // The user picks d:, whose target is not there.
    drives.setCurrentIndex(drives.findText("d:"));
    EXPECT_EQ(drives.drive(), "z:");
    EXPECT_EQ(dirs.path(), "Z:\\");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_TRUE(messages()[0].text.contains("d:"));
    // The program setting the lists to a path on d: changes nothing and says nothing.
    EXPECT_FALSE(setListsToPath(drives, dirs, nullptr, "D:\\x"));
    EXPECT_EQ(drives.drive(), "z:");
    EXPECT_TRUE(setListsToPath(drives, dirs, nullptr, "C:\\Music"));
    EXPECT_EQ(drives.drive(), "c:");
    EXPECT_EQ(dirs.path(), "C:\\Music");
    EXPECT_EQ(messages().size(), 1u);
}

#endif

} // namespace
} // namespace deckshift::test
