#include "formats/GroupList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace deckshift::formats;
using deckshift::test::crlf;
using deckshift::test::readBytes;
using deckshift::test::snapshot;
using deckshift::test::TempDir;
using deckshift::test::writeBytes;

namespace {

const std::string kHead = crlf({"<?xml version=\"1.0\"?>", "<Groups>"});

std::string group(const std::string& name, const std::string& sub) {
    return crlf({"   <Group Name=\"" + name + "\" pos=\"2\" lastrow=\"-1\">",
                 "      <SubGroup Name=\"" + sub + "\" pos=\"0\" src=\"C:\\P\\" + name + "_" + sub +
                     ".XML\"/>",
                 "   </Group>"});
}

std::string updateRock(const TempDir& rc, const std::string& list, GroupListUpdateOptions options,
                       std::size_t* listed = nullptr) {
    writeBytes(rc / "Groups.xml", list);
    GroupListUpdate up(rc.str(true), options);
    up.begin("Rock");
    if (listed)
        *listed = up.alreadyListed();
    up.addSubgroup("New", "C:\\P\\Rock_New.XML");
    up.finish();
    return readBytes(rc / "Groups.xml");
}

TEST(GroupListReplace, OneAndTwoEarlierGroups) {
    const std::string end = "</Groups>\r\n";
    struct Case {
        const char* name;
        std::string list;
        bool replace;
        std::size_t listed;
        std::string expected;
    };
    const Case cases[] = {
        {"not listed: added at the end", kHead + group("Pop", "A") + end, true, 0,
         kHead + group("Pop", "A") + group("Rock", "New") + end},
        {"listed once, added twice by default", kHead + group("Rock", "Old") + end, false, 1,
         kHead + group("Rock", "Old") + group("Rock", "New") + end},
        {"listed once, replaced in place", kHead + group("Rock", "Old") + group("Pop", "A") + end,
         true, 1, kHead + group("Rock", "New") + group("Pop", "A") + end},
        {"listed twice, both go and the new one stands where the first stood",
         kHead + group("Pop", "A") + group("Rock", "Old1") + group("Jazz", "B") +
             group("Rock", "Old2") + end,
         true, 2, kHead + group("Pop", "A") + group("Rock", "New") + group("Jazz", "B") + end},
        {"names compare byte for byte", kHead + group("rock", "x") + group("Rock ", "y") + end,
         true, 0, kHead + group("rock", "x") + group("Rock ", "y") + group("Rock", "New") + end},
        {"a group on one line",
         kHead + "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\"/>\r\n" + group("Pop", "A") + end,
         true, 1, kHead + group("Rock", "New") + group("Pop", "A") + end},
    };
    for (const auto& c : cases) {
        TempDir rc;
        GroupListUpdateOptions options;
        options.replaceListed = c.replace;
        std::size_t listed = 99;
        EXPECT_EQ(updateRock(rc, c.list, options, &listed), c.expected) << c.name;
        EXPECT_EQ(listed, c.listed) << c.name;
        EXPECT_EQ(readBytes(rc / "GroupsTMP.xml"), c.expected) << c.name;
    }
}

// A list written with LF line ends is read line by line as one with CR LF is: a group already
// listed is found, and replaced in place with --replace; the list keeps its LF line ends.
TEST(GroupListReplace, ListsWithLfLineEndsAreReadAlike) {
    auto lf = [](std::string text) {
        for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
            text.erase(at, 1);
        return text;
    };
    const std::string end = "</Groups>\n";
    const std::string list = lf(kHead + group("Rock", "Old") + group("Pop", "A")) + end;
    for (const bool replace : {false, true}) {
        TempDir rc;
        GroupListUpdateOptions options;
        options.replaceListed = replace;
        std::size_t listed = 99;
        const std::string expected =
            replace
                ? lf(kHead + group("Rock", "New") + group("Pop", "A")) + end
                : lf(kHead + group("Rock", "Old") + group("Pop", "A") + group("Rock", "New")) + end;
        EXPECT_EQ(updateRock(rc, list, options, &listed), expected) << replace;
        EXPECT_EQ(listed, 1u) << replace;
    }
}

TEST(GroupListReplace, BackupBeforeTheListIsReplacedOncePerRun) {
    TempDir rc;
    const std::string first = kHead + "</Groups>\r\n";
    writeBytes(rc / "Groups.xml", first);
    GroupListBackup backup((rc / "Groups.xml").string());
    GroupListUpdateOptions options;
    options.backup = &backup;
    for (const char* name : {"A", "B"}) {
        GroupListUpdate up(rc.str(true), options);
        up.begin(name);
        up.finish();
    }
    const auto files = snapshot(rc.path());
    EXPECT_EQ(files.size(), 4u); // the list, its work file, one backup and the first one
    EXPECT_EQ(files.at("Groups.xml.1.bak"), first);
    EXPECT_EQ(files.at("Groups.xml.original.bak"), first);
}

TEST(GroupListReplace, ABackupThatCannotBeWrittenLeavesTheListUntouched) {
    TempDir rc;
    const std::string list = kHead + group("Pop", "A") + "</Groups>\r\n";
    writeBytes(rc / "Groups.xml", list);
    GroupListBackup backup((rc / "Groups.xml").string());
    GroupListUpdateOptions options;
    options.backup = &backup;
    GroupListUpdate up(rc.str(true), options);
    up.begin("Rock");
    setWriteFaultHook([](const fs::path& target, WriteStep, std::uint64_t) -> std::string {
        return target.filename() == "Groups.xml.1.bak" ? "Permission denied" : "";
    });
    EXPECT_THROW(up.finish(), FileError);
    setWriteFaultHook(nullptr);
    EXPECT_EQ(readBytes(rc / "Groups.xml"), list);
    EXPECT_FALSE(fs::exists(rc / "Groups.xml.1.bak"));
}

TEST(GroupListReplace, DryRunTellsThePlanAndWritesNothing) {
    TempDir rc;
    const std::string list = kHead + group("Rock", "Old") + "</Groups>\r\n";
    writeBytes(rc / "Groups.xml", list);
    const auto before = snapshot(rc.path());
    std::vector<std::string> lines;
    FilePlan plan([&](std::string_view line) { lines.emplace_back(line); });
    for (bool replace : {false, true}) {
        GroupListUpdateOptions options;
        options.dryRun = &plan;
        options.replaceListed = replace;
        GroupListUpdate up(rc.str(true), options);
        up.begin("Rock");
        up.addSubgroup("A", "x");
        up.addSubgroup("B", "y");
        up.finish();
    }
    EXPECT_EQ(snapshot(rc.path()), before);
    const std::string path = rc.str(true) + "Groups.xml";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "update " + path + ": add group Rock with 2 subgroups",
                         "update " + path + ": replace group Rock with 2 subgroups"}));
}

} // namespace
