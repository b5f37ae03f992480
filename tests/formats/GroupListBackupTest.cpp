#include "formats/GroupListBackup.h"
#include "formats/TextIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace deckshift::formats;
using deckshift::test::readBytes;
using deckshift::test::snapshot;
using deckshift::test::TempDir;
using deckshift::test::writeBytes;

namespace {

TEST(GroupListBackupTest, SixRunsKeepTheFiveLatest) {
    TempDir rc;
    const std::string list = (rc / "Groups.xml").string();
    for (int run = 1; run <= 6; ++run) {
        writeBytes(rc / "Groups.xml", "list of run " + std::to_string(run) + "\r\n");
        GroupListBackup backup(list);
        backup.ensure();
        backup.ensure(); // one backup per run, however many groups it registers
    }
    const auto files = snapshot(rc.path());
    ASSERT_EQ(files.size(), 7u) << "the list, five backups and the first, no temporary file";
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(files.at("Groups.xml." + std::to_string(n) + ".bak"),
                  "list of run " + std::to_string(7 - n) + "\r\n")
            << n;
    }
    // The list as the first run found it is never rotated out.
    EXPECT_EQ(files.at("Groups.xml.original.bak"), "list of run 1\r\n");
}

TEST(GroupListBackupTest, TheFirstBackupIsTheOldestThereIs) {
    TempDir rc;
    writeBytes(rc / "Groups.xml", "now");
    writeBytes(rc / "Groups.xml.1.bak", "one");
    writeBytes(rc / "Groups.xml.3.bak", "three");
    backupGroupList((rc / "Groups.xml").string());
    writeBytes(rc / "Groups.xml", "later");
    backupGroupList((rc / "Groups.xml").string());
    const auto files = snapshot(rc.path());
    EXPECT_EQ(files.at("Groups.xml.original.bak"), "three");
    EXPECT_EQ(files.at("Groups.xml.1.bak"), "later");
    EXPECT_EQ(files.at("Groups.xml.2.bak"), "now");
    EXPECT_EQ(files.at("Groups.xml.3.bak"), "one");
    EXPECT_EQ(files.at("Groups.xml.5.bak"), "three");
}

// Every step of writing the new ".1.bak" comes before the older backups move: a copy that fails
// at any of them, also when it is forced to disk or closed, leaves them as they were.
TEST(GroupListBackupTest, TheCopyIsWholeOnDiskBeforeTheOlderBackupsMove) {
    static WriteStep failing;
    for (const WriteStep step :
         {WriteStep::Write, WriteStep::Flush, WriteStep::Sync, WriteStep::Close}) {
        TempDir rc;
        writeBytes(rc / "Groups.xml", "new");
        for (int n = 1; n <= 5; ++n)
            writeBytes(rc / ("Groups.xml." + std::to_string(n) + ".bak"), std::to_string(n));
        writeBytes(rc / "Groups.xml.original.bak", "first");
        const auto before = snapshot(rc.path());
        failing = step;
        setWriteFaultHook([](const fs::path& target, WriteStep at, std::uint64_t) -> std::string {
            return target.filename() == "Groups.xml.1.bak" && at == failing
                       ? "No space left on device"
                       : "";
        });
        EXPECT_THROW(backupGroupList((rc / "Groups.xml").string()), FileError)
            << static_cast<int>(step);
        setWriteFaultHook(nullptr);
        EXPECT_EQ(snapshot(rc.path()), before) << static_cast<int>(step);
    }
}

TEST(GroupListBackupTest, AFailedCopyLeavesTheOlderBackupsAsTheyWere) {
    TempDir rc;
    writeBytes(rc / "Groups.xml", "new");
    writeBytes(rc / "Groups.xml.1.bak", "one");
    writeBytes(rc / "Groups.xml.2.bak", "two");
    const auto before = snapshot(rc.path());
    setWriteFaultHook([](const fs::path& target, WriteStep, std::uint64_t) -> std::string {
        return target.filename() == "Groups.xml.1.bak" ? "No space left on device" : "";
    });
    EXPECT_THROW(backupGroupList((rc / "Groups.xml").string()), FileError);
    setWriteFaultHook(nullptr);
    EXPECT_EQ(snapshot(rc.path()), before);
}

TEST(GroupListBackupTest, AMissingListIsAFileError) {
    TempDir rc;
    EXPECT_THROW(backupGroupList((rc / "Groups.xml").string()), FileError);
    EXPECT_TRUE(snapshot(rc.path()).empty());
}

} // namespace
