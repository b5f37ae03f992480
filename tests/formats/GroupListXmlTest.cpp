#include "formats/GroupListXml.h"
#include "formats/TextIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace deckshift::formats;
using deckshift::test::TempDir;
using deckshift::test::writeBytes;

namespace {

std::vector<ListedGroup> readList(const std::string& list, const std::string& directory = {}) {
    std::string error;
    auto groups = readGroupListXml(list, error, directory);
    EXPECT_TRUE(groups) << error;
    return groups ? *groups : std::vector<ListedGroup>{};
}

TEST(GroupListXml, ValuesAreDecodedIntoTheCodePage) {
    if (!groupListXmlAvailable())
        GTEST_SKIP() << "this build reads no XML";
    // The group list update writes a bare "&"; other tools write entities and character
    // references. The list is in the 8-bit code page, so "&#233;" is the byte E9, as a raw E9 is.
    const auto groups =
        readList("<Groups>\r\n"
                 "<Group Name=\"Rock & Roll\">\r\n"
                 "<SubGroup Name=\"Caf&#233; &amp; \xE9&#x20AC;\" "
                 "src=\"C:\\&lt;a&gt; &quot;b&quot; &apos;c&apos;.XML\"/>\r\n"
                 "<SubGroup Name=\"&#x3042; &amp;amp; &#0x41; &bogus;\" src=\"\"/>\r\n"
                 "</Group>\r\n"
                 "</Groups>\r\n");
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, "Rock & Roll");
    ASSERT_EQ(groups[0].subgroups.size(), 2u);
    EXPECT_EQ(groups[0].subgroups[0].name, "Caf\xE9 & \xE9\x80");
    EXPECT_EQ(groups[0].subgroups[0].src, "C:\\<a> \"b\" 'c'.XML");
    // A character the code page lacks, an entity's "&" written as one, and references that are
    // no references stay as written.
    EXPECT_EQ(groups[0].subgroups[1].name, "&#x3042; &amp; &#0x41; &bogus;");
}

TEST(GroupListXml, PlaylistPathsAreTakenFromTheListsDirectory) {
    if (!groupListXmlAvailable())
        GTEST_SKIP() << "this build reads no XML";
    struct Case {
        const char* directory;
        const char* src;
        const char* path;
    } cases[] = {
        {"C:\\FX\\RC", "Playlists\\A_B.XML", "C:\\FX\\RC\\Playlists\\A_B.XML"},
        {"C:\\FX\\RC", "\\Other\\A_B.XML", "C:\\Other\\A_B.XML"},
        {"C:\\FX\\RC", "D:\\RC\\A_B.XML", "D:\\RC\\A_B.XML"},
        {"C:\\FX\\RC", "\\\\server\\share\\A_B.XML", "\\\\server\\share\\A_B.XML"},
#ifndef _WIN32
        {"/home/dj/rc", "Playlists/A_B.XML", "/home/dj/rc/Playlists/A_B.XML"},
        {"/home/dj/rc", "/srv/A_B.XML", "/srv/A_B.XML"},
        {"/home/dj/rc", "\\Other\\A_B.XML", "\\Other\\A_B.XML"},
#endif
        {"", "Playlists/A_B.XML", "Playlists/A_B.XML"},
    };
    for (const auto& c : cases) {
        const auto groups =
            readList(std::string("<Groups><Group Name=\"G\"><SubGroup Name=\"S\" src=\"") + c.src +
                         "\"/></Group></Groups>",
                     c.directory);
        ASSERT_EQ(groups.size(), 1u);
        ASSERT_EQ(groups[0].subgroups.size(), 1u);
        EXPECT_EQ(groups[0].subgroups[0].src, c.src);
        EXPECT_EQ(groups[0].subgroups[0].path, c.path) << c.directory << " " << c.src;
    }
}

TEST(GroupListXml, SubgroupLinesCountEveryKindOfLineEnd) {
    if (!groupListXmlAvailable())
        GTEST_SKIP() << "this build reads no XML";
    const auto groups =
        readList("<Groups>\n<Group Name=\"G\">\r\n<SubGroup Name=\"A\" src=\"a\"/>\r"
                 "<SubGroup Name=\"B\" src=\"b\"/>\n\n<SubGroup Name=\"C\" src=\"c\"/>"
                 "<SubGroup Name=\"D\" src=\"d\"/>\r\n</Group></Groups>");
    ASSERT_EQ(groups.size(), 1u);
    std::vector<std::uint64_t> lines;
    for (const auto& sub : groups[0].subgroups)
        lines.push_back(sub.line);
    EXPECT_EQ(lines, (std::vector<std::uint64_t>{3, 4, 6, 6}));
}

TEST(GroupListXml, FilesAreReadWithTheirDirectory) {
    if (!groupListXmlAvailable())
        GTEST_SKIP() << "this build reads no XML";
    TempDir dir;
    writeBytes(dir / "Groups.xml",
               "<Groups><Group Name=\"G\"><SubGroup Name=\"S\" src=\"Playlists/G_S.XML\"/>"
               "</Group></Groups>");
    std::string error;
    const auto groups = readGroupListFile((dir / "Groups.xml").string(), error);
    ASSERT_TRUE(groups) << error;
    ASSERT_EQ(groups->size(), 1u);
    ASSERT_EQ((*groups)[0].subgroups.size(), 1u);
    // The src value is joined to the list's directory as it is written.
    EXPECT_EQ((*groups)[0].subgroups[0].path, (dir / "Playlists/G_S.XML").string());

    writeBytes(dir / "Groups.xml", "<Groups><Group Name=\"G\"></Groups>");
    EXPECT_FALSE(readGroupListFile((dir / "Groups.xml").string(), error));
    EXPECT_EQ(error.rfind("cannot be read as XML: ", 0), 0u) << error;
    EXPECT_THROW(readGroupListFile((dir / "None.xml").string(), error), FileError);
}

} // namespace
