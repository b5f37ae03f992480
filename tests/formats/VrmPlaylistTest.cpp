#include "formats/VrmPlaylist.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace deckshift::formats;
using deckshift::test::crlf;
using deckshift::test::readBytes;
using deckshift::test::TempDir;

namespace {

std::string firstMediaLine(std::string_view path) {
    std::string out;
    appendMediaLines(out, path);
    return out.substr(0, out.find("\r\n"));
}

// What no XML reader takes in an attribute value is escaped: "&", "<", ">" and the double quote.
// A path without them is written as it is.
TEST(VrmPlaylist, MediaLinesAreWrittenWithWhatXmlNeedsEscaped) {
    std::string out;
    appendMediaLines(out, "C:\\Tom & Jerry's \"<b>\".mp3");
    EXPECT_EQ(out, "         <media src=\"C:\\Tom &amp; Jerry's &quot;&lt;b&gt;&quot;.mp3\">\r\n"
                   "         </media>\r\n");
    out.clear();
    appendMediaLines(out, "C:\\caf\xE9 'x' [1].mp3");
    EXPECT_EQ(out, "         <media src=\"C:\\caf\xE9 'x' [1].mp3\">\r\n         </media>\r\n");
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
        {"\"quoted\" <x> &lt;", "\"quoted\" <x> &lt;"},
        {std::string("C:\\\x80\xe9\xff.mp3"), std::string("C:\\\x80\xe9\xff.mp3")},
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
        std::string path;
    } cases[] = {
        {"         <media src=\"C:\\Tom &amp; Jerry&apos;s.mp3\">", "C:\\Tom & Jerry's.mp3"},
        {"         <media src=\"&amp;apos;\">", "&apos;"},
        {"         <media src=\"&amp;amp;\">", "&amp;"},
        {"         <media src=\"&lt;x&gt;&quot;\">", "<x>\""},
        {"         <media src=\"&amp;lt;\">", "&lt;"},
        {"         <media src=\"&#65;&#x42;&#x20ac;&#233;&#0;\">", std::string("AB\x80\xE9\0", 5)},
        {"         <media src=\"&#X41;&#;&#x;&#65&#xD800;&#1114112;&#12a;\">",
         "&#X41;&#;&#x;&#65&#xD800;&#1114112;&#12a;"},
        {"         <media src=\"&&apos;&\">", "&'&"},
        {"         <media src=\"&apos;&amp;apos;&amp\">", "'&apos;&amp"},
        {"         <media src=\"&am&apos;p;&apos\">", "&am'p;&apos"},
        {"         <media src=\"\">", ""},
        // everything but the last two characters stays in the path, or the last three of an
        // empty element
        {"         <media src=\"a.mp3\" b=\"c\">", "a.mp3\" b=\"c"},
        {"         <media src=\"a.mp3\"/>", "a.mp3"},
        {"         <media src=\"\"/>", ""},
        {"         <media src=\"/>", ""},
    };
    std::string reused; // one string for every line, as the engines read them
    for (const auto& c : cases) {
        char32_t unheld = 0;
        std::string_view view;
        std::string storage;
        ASSERT_TRUE(mediaLinePath(c.line, view, storage, &unheld)) << c.line;
        EXPECT_EQ(view, c.path) << c.line;
        EXPECT_EQ(unheld, 0u) << c.line;
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

TEST(VrmPlaylist, ACharacterTheCodePageLacksIsLeftAsWrittenAndNamed) {
    char32_t unheld = 0;
    const auto path = mediaLinePath("         <media src=\"&#x3042;&#233;&#x3044;\">", &unheld);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, "&#x3042;\xE9&#x3044;");
    EXPECT_EQ(unheld, U'\u3042');
}

TEST(VrmPlaylist, TheWriterWritesTheNineLines) {
    TempDir dir;
    const auto path = dir / "G_S.XML";
    VrmWriter writer(path.string(), path, nullptr);
    writer.addTrack("C:\\a&b.mp3");
    writer.addTrack("");
    writer.commit();
    EXPECT_EQ(readBytes(path),
              crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>",
                    "      <seq>", "         <media src=\"C:\\a&amp;b.mp3\">", "         </media>",
                    "         <media src=\"\">", "         </media>", "      </seq>", "   </body>",
                    "</smil>"}));
}

TEST(VrmPlaylist, PlaylistNameReplacesTheEightUnsafeCharacters) {
    EXPECT_EQ(playlistName("a/b\\c?d:e<f>g|h\"i"), "a-b-c-d-e-f-g-h-i");
    EXPECT_EQ(playlistName("&_ Live"), "&_ Live");
    EXPECT_EQ(playlistName(""), "");
}

} // namespace
