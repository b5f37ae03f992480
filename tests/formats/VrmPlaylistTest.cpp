#include "formats/VrmPlaylist.h"

#include <gtest/gtest.h>

using namespace deckshift::formats;

namespace {

std::string firstMediaLine(std::string_view path) {
    std::string out;
    appendMediaLines(out, path);
    return out.substr(0, out.find("\r\n"));
}

TEST(VrmPlaylist, MediaLinesAreWrittenWithAmpersandsEscaped) {
    std::string out;
    appendMediaLines(out, "C:\\Tom & Jerry's \"<b>\".mp3");
    EXPECT_EQ(out, "         <media src=\"C:\\Tom &amp; Jerry's \"<b>\".mp3\">\r\n"
                   "         </media>\r\n");
}

TEST(VrmPlaylist, RoundTripOfAwkwardPaths) {
    // What the writer puts in, the reader gives back, except that "&amp;apos;" written for a
    // literal "&apos;" reads back as an apostrophe's entity: the decoding order is fixed.
    struct Case {
        std::string path;
        std::string readBack;
    } cases[] = {
        {"C:\\a&b.mp3", "C:\\a&b.mp3"},
        {"C:\\a&amp;b.mp3", "C:\\a&amp;b.mp3"},
        {"C:\\it's.mp3", "C:\\it's.mp3"},
        {"C:\\&apos;.mp3", "C:\\&apos;.mp3"},
        {"", ""},
        {"\"quoted\" <x>", "\"quoted\" <x>"},
        {std::string("C:\\\x80\xe9\xff\n.mp3"), std::string("C:\\\x80\xe9\xff\n.mp3")},
    };
    for (const auto& c : cases) {
        auto back = mediaLinePath(firstMediaLine(c.path));
        ASSERT_TRUE(back) << c.path;
        EXPECT_EQ(*back, c.readBack) << c.path;
    }
}

TEST(VrmPlaylist, DecodingOrder) {
    struct Case {
        const char* line;
        const char* path;
    } cases[] = {
        {"         <media src=\"C:\\Tom &amp; Jerry&apos;s.mp3\">", "C:\\Tom & Jerry's.mp3"},
        {"         <media src=\"&amp;apos;\">", "&apos;"},
        {"         <media src=\"&amp;amp;\">", "&amp;"},
        {"         <media src=\"&lt;x&gt;\">", "&lt;x&gt;"},
        {"         <media src=\"&&apos;&\">", "&'&"},
        {"         <media src=\"&apos;&amp;apos;&amp\">", "'&apos;&amp"},
        {"         <media src=\"&am&apos;p;&apos\">", "&am'p;&apos"},
        {"         <media src=\"\">", ""},
        // everything but the last two characters stays in the path
        {"         <media src=\"a.mp3\" b=\"c\">", "a.mp3\" b=\"c"},
        {"         <media src=\"a.mp3\"/>", "a.mp3\""},
    };
    std::string reused; // one string for every line, as the engines read them
    for (const auto& c : cases) {
        auto path = mediaLinePath(c.line);
        ASSERT_TRUE(path) << c.line;
        EXPECT_EQ(*path, c.path) << c.line;
        ASSERT_TRUE(mediaLinePath(c.line, reused)) << c.line;
        EXPECT_EQ(reused, c.path) << c.line;
    }
}

TEST(VrmPlaylist, OnlyTheExactIndentAndCaseAreMediaLines) {
    const char* notMedia[] = {
        "\t<media src=\"a.mp3\">",
        "        <media src=\"a.mp3\">",
        "          <media src=\"a.mp3\">",
        "         <Media src=\"a.mp3\">",
        "         <media SRC=\"a.mp3\">",
        "         </media>",
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>",
    };
    for (auto line : notMedia) {
        EXPECT_FALSE(isMediaLine(line)) << line;
        EXPECT_FALSE(mediaLinePath(line)) << line;
    }
    // 20 to 22 characters pass the test but are too short to cut.
    EXPECT_TRUE(isMediaLine("         <media src="));
    EXPECT_FALSE(mediaLinePath("         <media src="));
    EXPECT_FALSE(mediaLinePath("         <media src=\">"));
    EXPECT_TRUE(mediaLinePath("         <media src=\"\">"));
}

TEST(VrmPlaylist, PlaylistNameReplacesTheEightUnsafeCharacters) {
    EXPECT_EQ(playlistName("a/b\\c?d:e<f>g|h\"i"), "a-b-c-d-e-f-g-h-i");
    EXPECT_EQ(playlistName("*&_ Live"), "*&_ Live");
    EXPECT_EQ(playlistName(""), "");
}

} // namespace
