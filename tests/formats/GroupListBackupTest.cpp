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
    ASSERT_EQ(files.size(), 6u) << "the list and five backups, no temporary file";
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(files.at("Groups.xml." + std::to_string(n) + ".bak"),
                  "list of run " + std::to_string(7 - n) + "\r\n")
            << n;
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
