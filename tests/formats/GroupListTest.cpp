#include "formats/GroupList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

namespace fs = std::filesystem;
using namespace deckshift::formats;
using deckshift::test::crlf;
using deckshift::test::readBytes;
using deckshift::test::snapshot;
using deckshift::test::TempDir;
using deckshift::test::writeBytes;

namespace {

const std::string kHead = crlf({"<?xml version=\"1.0\"?>", "<Groups>"});
// Longer than the pieces the group list is read and copied in.
const std::string kLong(150 * 1024, 'x');
// Puts `tag` so that it starts `before` bytes ahead of the first piece's end.
std::string straddling(std::string_view tag, std::size_t before) {
    return std::string(LineReader::kPieceLength - before, 'y') + std::string(tag);
}

std::string rockLines(const std::string& rc) {
    return crlf(
        {"   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
         "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + rc + "Playlists\\Rock_Live.XML\"/>",
         "      <SubGroup Name=\"Studio\" pos=\"0\" src=\"" + rc + "Playlists\\Rock_Studio.XML\"/>",
         "   </Group>", "</Groups>"});
}

/// `text` with each CR LF made a lone LF.
std::string lf(std::string text) {
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

std::string update(const TempDir& rc, const std::string& list) {
    writeBytes(rc / "Groups.xml", list);
    GroupListUpdate up(rc.str(true));
    up.begin("Rock");
    up.addSubgroup("Live", "D:\\FX\\RC\\Playlists\\Rock_Live.XML");
    up.addSubgroup("Studio", "D:\\FX\\RC\\Playlists\\Rock_Studio.XML");
    up.finish();
    const std::string result = readBytes(rc / "Groups.xml");
    EXPECT_EQ(readBytes(rc / "GroupsTMP.xml"), result) << "the work file holds the new list";
    EXPECT_EQ(snapshot(rc.path()).size(), 2u) << "no temporary file is left";
    return result;
}

TEST(GroupList, LinesOfOneGroup) {
    EXPECT_EQ(groupStartLine("R&B's"), "   <Group Name=\"R&B's\" pos=\"2\" lastrow=\"-1\">");
    EXPECT_EQ(
        subgroupLine("Live", "D:\\FX\\RC\\Playlists\\Rock_Live.XML"),
        "      <SubGroup Name=\"Live\" pos=\"0\" src=\"D:\\FX\\RC\\Playlists\\Rock_Live.XML\"/>");
}

TEST(GroupList, NewGroupGoesBeforeTheClosingLine) {
    struct Case {
        const char* name;
        std::string list;
        std::string expected;
    } cases[] = {
        {"closing line last", kHead + crlf({"</Groups>"}), kHead + rockLines("D:\\FX\\RC\\")},
        {"closing line without line end", kHead + "</Groups>", kHead + rockLines("D:\\FX\\RC\\")},
        {"blank lines after the closing line", kHead + crlf({"</Groups>", "", "  \t", ""}),
         kHead + rockLines("D:\\FX\\RC\\")},
        {"blanks around the closing line", kHead + crlf({"  </Groups>  "}),
         kHead + rockLines("D:\\FX\\RC\\")},
        {"list on one line", "<?xml version=\"1.0\"?><Groups><Group/></Groups>\r\n",
         crlf({"<?xml version=\"1.0\"?><Groups><Group/>"}) + rockLines("D:\\FX\\RC\\")},
        {"LF line ends are kept, and the group's lines take them",
         "<?xml version=\"1.0\"?>\n<Groups>\n <Group/>\n</Groups>\n",
         "<?xml version=\"1.0\"?>\n<Groups>\n <Group/>\n" + lf(rockLines("D:\\FX\\RC\\"))},
        {"LF line ends, the closing line without one", "<Groups>\n <Group/></Groups>",
         "<Groups>\n <Group/>\n" + lf(rockLines("D:\\FX\\RC\\"))},
        {"a lone LF in a list of CR LF lines stays a lone LF",
         kHead + "<a/>\n<b/>\r\n</Groups>\n\n",
         kHead + "<a/>\n<b/>\r\n" + rockLines("D:\\FX\\RC\\")},
        {"lone CR line ends", "<Groups>\r</Groups>\r",
         crlf({"<Groups>"}) + rockLines("D:\\FX\\RC\\")},
        {"long lines copied whole", kHead + crlf({kLong, "<a>" + kLong + "</a>", "</Groups>"}),
         kHead + crlf({kLong, "<a>" + kLong + "</a>"}) + rockLines("D:\\FX\\RC\\")},
        {"long list on one line", "<Groups>" + kLong + "  \t</Groups>" + std::string(70000, ' '),
         crlf({"<Groups>" + kLong}) + rockLines("D:\\FX\\RC\\")},
        {"closing line across two pieces", straddling("</Groups>", 4) + "\r\n",
         crlf({straddling("", 4)}) + rockLines("D:\\FX\\RC\\")},
        {"blanks before the closing line across two pieces",
         straddling("z", 1) + std::string(30, ' ') + "</Groups>",
         crlf({straddling("z", 1)}) + rockLines("D:\\FX\\RC\\")},
        {"long blank lines after the closing line",
         kHead + crlf({"</Groups>", std::string(200000, ' '), "\t"}),
         kHead + rockLines("D:\\FX\\RC\\")},
    };
    for (const auto& c : cases) {
        TempDir rc;
        EXPECT_EQ(update(rc, c.list), c.expected) << c.name;
    }
}

TEST(GroupList, UnfinishedListsAreRefusedAndLeftAlone) {
    const std::string cases[] = {"", "\r\n  \r\n", kHead, kHead + crlf({"</Groups>", "<x/>"}),
                                 kHead + crlf({"</groups>"}),
                                 // the closing tag broken by blanks, at a piece's end
                                 straddling("</Gro", 5) + std::string(70000, ' ') + "ups>",
                                 kHead + crlf({"</Groups>" + std::string(70000, ' ') + "x"}),
                                 kHead + crlf({"</Groups>" + kLong})};
    for (const auto& list : cases) {
        TempDir rc;
        writeBytes(rc / "Groups.xml", list);
        EXPECT_TRUE(checkGroupList(rc.str(true)).has_value()) << list;
        GroupListUpdate up(rc.str(true));
        EXPECT_THROW(up.begin("Rock"), GroupListRefused) << list;
        auto files = snapshot(rc.path());
        EXPECT_EQ(files.size(), 1u) << list;
        EXPECT_EQ(files["Groups.xml"], list);
    }
}

TEST(GroupList, MissingListIsReportedByName) {
    TempDir rc;
    auto problem = checkGroupList(rc.str(true));
    ASSERT_TRUE(problem);
    // The list and the system's reason, then what happened and what to do.
    EXPECT_TRUE(problem->starts_with("Cannot open \"" + rc.str(true) + "Groups.xml\": "))
        << *problem;
    EXPECT_TRUE(problem->ends_with(". Nothing was written. Please check that this is the PCDJ FX "
                                   "RecordCase directory and that its group list Groups.xml is "
                                   "there, or convert without registering the group."))
        << *problem;
    GroupListUpdate up(rc.str(true));
    EXPECT_THROW(up.begin("Rock"), FileError);
    EXPECT_TRUE(snapshot(rc.path()).empty());
}

TEST(GroupList, AbandonedUpdateChangesNothing) {
    TempDir rc;
    const std::string list = kHead + crlf({"</Groups>"});
    writeBytes(rc / "Groups.xml", list);
    writeBytes(rc / "GroupsTMP.xml", "old work file");
    {
        GroupListUpdate up(rc.str(true));
        up.begin("Rock");
        up.addSubgroup("Live", "x");
    }
    auto files = snapshot(rc.path());
    EXPECT_EQ(files.size(), 2u);
    EXPECT_EQ(files["Groups.xml"], list);
    EXPECT_EQ(files["GroupsTMP.xml"], "old work file");
}

TEST(GroupList, SameGroupTwiceIsAddedTwice) {
    TempDir rc;
    const std::string once = update(rc, kHead + crlf({"</Groups>"}));
    GroupListUpdate up(rc.str(true));
    up.begin("Rock");
    up.addSubgroup("Live", "D:\\FX\\RC\\Playlists\\Rock_Live.XML");
    up.addSubgroup("Studio", "D:\\FX\\RC\\Playlists\\Rock_Studio.XML");
    up.finish();
    const std::string group = rockLines("D:\\FX\\RC\\");
    EXPECT_EQ(readBytes(rc / "Groups.xml"), kHead + group.substr(0, group.size() - 11) + group);
    EXPECT_EQ(once, kHead + group);
}

std::vector<fs::path> g_synced;

std::string recordDirectorySyncs(const fs::path& target, WriteStep step, std::uint64_t) {
    if (step == WriteStep::SyncDirectory)
        g_synced.push_back(target);
    return {};
}

std::set<std::string> namesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// A list that is a symbolic link to a file in another directory: the file is replaced, the link
// stays, and the renames are forced to disk in the file's directory as well as in the RC one.
TEST(GroupList, ListThatIsALinkStaysOneAndItsFilesDirectoryIsSynced) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    const char* const kLinks[] = {"absolute", "relative"};
    for (const std::string kind : kLinks) {
        SCOPED_TRACE(kind);
        TempDir base;
        const fs::path rc = base / "rc";
        const fs::path lists = base / "lists";
        writeBytes(lists / "Groups.xml", kHead + crlf({"</Groups>"}));
        fs::create_directories(rc);
        const fs::path link =
            kind == "absolute" ? lists / "Groups.xml" : fs::path("..") / "lists" / "Groups.xml";
        fs::create_symlink(link, rc / "Groups.xml");

        g_synced.clear();
        setWriteFaultHook(recordDirectorySyncs);
        GroupListUpdate up(rc.string() + "/");
        up.begin("Rock");
        up.addSubgroup("Live", "D:\\FX\\RC\\Playlists\\Rock_Live.XML");
        up.addSubgroup("Studio", "D:\\FX\\RC\\Playlists\\Rock_Studio.XML");
        up.finish();
        setWriteFaultHook(nullptr);

        EXPECT_TRUE(fs::is_symlink(rc / "Groups.xml"));
        EXPECT_EQ(fs::read_symlink(rc / "Groups.xml"), link);
        const std::string list = kHead + rockLines("D:\\FX\\RC\\");
        EXPECT_EQ(readBytes(lists / "Groups.xml"), list);
        EXPECT_EQ(readBytes(rc / "GroupsTMP.xml"), list);
        // No temporary file is left in either directory.
        EXPECT_EQ(namesIn(rc), (std::set<std::string>{"Groups.xml", "GroupsTMP.xml"}));
        EXPECT_EQ(namesIn(lists), std::set<std::string>{"Groups.xml"});
        auto synced = [](const fs::path& dir) {
            return std::any_of(g_synced.begin(), g_synced.end(), [&](const fs::path& p) {
                std::error_code ec;
                return fs::equivalent(p, dir, ec);
            });
        };
        EXPECT_TRUE(synced(rc));
        EXPECT_TRUE(synced(lists));
    }
}

} // namespace
