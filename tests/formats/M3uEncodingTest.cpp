#include "formats/M3uEncoding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace deckshift::formats;
using deckshift::test::TrickleSource;

namespace {

std::string utf16(std::u16string_view text, bool little, bool mark) {
    std::string out;
    auto put = [&](char16_t unit) {
        const char hi = static_cast<char>(unit >> 8);
        const char lo = static_cast<char>(unit & 0xFF);
        out += little ? lo : hi;
        out += little ? hi : lo;
    };
    if (mark)
        put(0xFEFF);
    for (char16_t unit : text)
        put(unit);
    return out;
}

std::vector<std::string> linesOf(const std::string& bytes, TextEncoding encoding) {
    StringSource source(bytes);
    DecodingSource decoded(source, encoding);
    LineReader reader(decoded, LineEnds::CrOrCrLfOrLf);
    std::vector<std::string> lines;
    for (std::string line; reader.next(line);)
        lines.push_back(line);
    return lines;
}

TEST(M3uEncodingTest, Detection) {
    const std::u16string text = u"#EXTM3U\r\nCaf\u00e9.mp3\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        const char* name;
        EncodingChoice choice;
        TextEncoding expected;
    };
    const Case cases[] = {
        {"UTF-16 LE mark", utf16(text, true, true), "a.m3u", EncodingChoice::Auto,
         TextEncoding::Utf16Le},
        {"UTF-16 BE mark", utf16(text, false, true), "a.m3u", EncodingChoice::Auto,
         TextEncoding::Utf16Be},
        {"UTF-16 mark wins over a choice", utf16(text, true, true), "a.m3u",
         EncodingChoice::EightBit, TextEncoding::Utf16Le},
        {"UTF-8 mark", "\xEF\xBB\xBF#EXTM3U\r\nplain.mp3\r\n", "a.m3u", EncodingChoice::Auto,
         TextEncoding::Utf8},
        {"m3u8 name", "#EXTM3U\r\nplain.mp3\r\n", "a.M3U8", EncodingChoice::Auto,
         TextEncoding::Utf8},
        {"UTF-8 without mark", "#EXTM3U\r\nCaf\xC3\xA9.mp3\r\n", "a.m3u", EncodingChoice::Auto,
         TextEncoding::Utf8},
        {"ASCII only is 8-bit", "#EXTM3U\r\nplain.mp3\r\n", "a.m3u", EncodingChoice::Auto,
         TextEncoding::EightBit},
        {"8-bit bytes", "#EXTM3U\r\nCaf\xE9.mp3\r\n", "a.m3u", EncodingChoice::Auto,
         TextEncoding::EightBit},
        {"UTF-8 then one stray byte", "Caf\xC3\xA9\r\nCaf\xE9\r\n", "a.m3u", EncodingChoice::Auto,
         TextEncoding::EightBit},
        {"cut short in a sequence", "Caf\xC3", "a.m3u", EncodingChoice::Auto,
         TextEncoding::EightBit},
        {"choice utf-8", "Caf\xE9", "a.m3u", EncodingChoice::Utf8, TextEncoding::Utf8},
        {"choice 8bit", "Caf\xC3\xA9", "a.m3u8", EncodingChoice::EightBit, TextEncoding::EightBit},
        {"empty", "", "a.m3u", EncodingChoice::Auto, TextEncoding::EightBit},
    };
    for (const auto& c : cases) {
        StringSource source(c.bytes);
        EXPECT_EQ(detectM3uEncoding(source, c.name, c.choice), c.expected) << c.what;
        // The source is rewound for the reader.
        char first = 0;
        if (!c.bytes.empty()) {
            ASSERT_EQ(source.read(&first, 1), 1u) << c.what;
            EXPECT_EQ(first, c.bytes[0]) << c.what;
        }
    }
}

TEST(M3uEncodingTest, DetectionDoesNotDependOnHowReadsCutTheBytes) {
    const std::string ascii = "#EXTM3U\r\nC:\\Music\\plain track name.mp3\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        TextEncoding expected;
    };
    const Case cases[] = {
        {"2-, 3- and 4-byte sequences among ASCII",
         ascii + "Caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x8E\xB5.mp3\r\n" + ascii, TextEncoding::Utf8},
        {"sequences back to back", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5\xC3\xA9",
         TextEncoding::Utf8},
        {"an overlong sequence late on", ascii + "\xC3\xA9" + ascii + "\xE0\x80\x80",
         TextEncoding::EightBit},
        {"a stray continuation byte", ascii + "\xC3\xA9\x80" + ascii, TextEncoding::EightBit},
        {"cut short at the end", ascii + "\xC3\xA9" + ascii + "\xF0\x9F\x8E",
         TextEncoding::EightBit},
        {"ASCII only", ascii + ascii, TextEncoding::EightBit},
    };
    for (const auto& c : cases) {
        for (std::size_t step = 1; step <= 9; ++step) {
            TrickleSource source(c.bytes, step);
            EXPECT_EQ(detectM3uEncoding(source, "a.m3u", EncodingChoice::Auto), c.expected)
                << c.what << ", reads of " << step;
        }
    }
}

TEST(M3uEncodingTest, UnicodeSourcesReadAsUtf8Lines) {
    const std::u16string text = u"#EXTM3U\r\nC:\\Caf\u00e9\\\U0001F3B5.mp3\nlast";
    const std::vector<std::string> expected = {"#EXTM3U", "C:\\Caf\xC3\xA9\\\xF0\x9F\x8E\xB5.mp3",
                                               "last"};
    EXPECT_EQ(linesOf(utf16(text, true, true), TextEncoding::Utf16Le), expected);
    EXPECT_EQ(linesOf(utf16(text, false, true), TextEncoding::Utf16Be), expected);
    // The mark belongs to no line, so "#EXTM3U" after it stays a directive.
    EXPECT_EQ(linesOf("\xEF\xBB\xBF#EXTM3U\r\nx", TextEncoding::Utf8),
              (std::vector<std::string>{"#EXTM3U", "x"}));
    EXPECT_EQ(linesOf("\xEF\xBB\xBF#EXTM3U", TextEncoding::EightBit),
              (std::vector<std::string>{"#EXTM3U"}));
    // A lone surrogate stands for no character.
    const std::u16string lone = {u'a', 0xD800, u'b', u'\r', u'\n', 0xDC00};
    EXPECT_EQ(linesOf(utf16(lone, true, true), TextEncoding::Utf16Le),
              (std::vector<std::string>{"a\xEF\xBF\xBD"
                                        "b",
                                        "\xEF\xBF\xBD"}));
}

TEST(M3uEncodingTest, LongUtf16SourceAcrossBlocks) {
    // Long enough that surrogate pairs and odd bytes fall on block boundaries.
    std::u16string text;
    for (int i = 0; i < 40000; ++i)
        text += u"\U0001F3B5\u00e9\r\n";
    const auto lines = linesOf(utf16(text, true, true), TextEncoding::Utf16Le);
    ASSERT_EQ(lines.size(), 40000u);
    for (const auto& line : lines)
        ASSERT_EQ(line, "\xF0\x9F\x8E\xB5\xC3\xA9");
}

TEST(M3uEncodingTest, FileUris) {
    struct Case {
        const char* line;
        const char* path; // nullptr: not a file URI
    };
    const Case cases[] = {
        {"file:///C:/Music/Dance/Song%20One.mp3", "C:\\Music\\Dance\\Song One.mp3"},
        {"FILE:///c:/x/y", "c:\\x\\y"},
        {"file:///home/dj/Caf%C3%A9.mp3", "/home/dj/Caf\xC3\xA9.mp3"},
        {"file://localhost/home/x", "/home/x"},
        {"file://nas/share/a%26b.mp3", "\\\\nas\\share\\a&b.mp3"},
        {"file:///C|/old/style.mp3", "C:\\old\\style.mp3"},
        {"file:///x/100%", "/x/100%"}, // a lone "%" stays
        {"file:///x/%zz", "/x/%zz"},
        {"C:\\Music\\a.mp3", nullptr},
        {"http://host/a.mp3", nullptr},
        {"file:/x", nullptr},
    };
    for (const auto& c : cases) {
        const auto path = fileUriToPath(c.line);
        ASSERT_EQ(path.has_value(), c.path != nullptr) << c.line;
        if (path) {
            EXPECT_EQ(*path, c.path) << c.line;
        }
    }
}

TEST(M3uEncodingTest, M3u8Names) {
    EXPECT_TRUE(isM3u8Name("Set.m3u8"));
    EXPECT_TRUE(isM3u8Name("Set.M3U8"));
    EXPECT_FALSE(isM3u8Name("Set.m3u"));
    EXPECT_FALSE(isM3u8Name("m3u8"));
}

} // namespace
