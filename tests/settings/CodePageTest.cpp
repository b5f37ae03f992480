#include "settings/CodePage.h"

#include <gtest/gtest.h>

#include <string>

using namespace deckshift::settings;

namespace {

TEST(CodePageTest, EveryByteGoesToUnicodeAndBack) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t code = cp1252ToUnicode(byte);
        const auto back = unicodeToCp1252(code);
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(static_cast<unsigned char>(*back), byte) << b;
    }
    EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(cp1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(cp1252ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(cp1252ToUnicode(0x81), U'\u0081'); // undefined: the control character
    EXPECT_FALSE(unicodeToCp1252(U'\u0100').has_value());
    EXPECT_FALSE(unicodeToCp1252(U'\u3042').has_value());
}

#ifndef _WIN32 // Windows converts through its own ANSI code page
TEST(CodePageTest, Utf8ToCodePage) {
    struct Case {
        const char* utf8;
        bool ok;
        const char* bytes;
        char32_t bad;
    };
    const Case cases[] = {
        {"plain/ascii.mp3", true, "plain/ascii.mp3", 0},
        {"Caf\xC3\xA9 \xE2\x82\xAC", true, "Caf\xE9 \x80", 0},
        {"\xC5\x93uvre", true, "\x9Cuvre", 0},
        {"\xE3\x81\x82.mp3", false, "", 0x3042},      // a character outside the code page
        {"\xF0\x9F\x8E\xB5.mp3", false, "", 0x1F3B5}, // outside the BMP
        {"\xE9t\xE9", false, "", 0xFFFD},             // not UTF-8 at all
        {"\xC0\xAF", false, "", 0xFFFD},              // overlong
    };
    for (const auto& c : cases) {
        char32_t bad = 0;
        const auto out = utf8ToCodePage(c.utf8, &bad);
        ASSERT_EQ(out.has_value(), c.ok) << c.utf8;
        if (out) {
            EXPECT_EQ(*out, c.bytes);
        } else {
            EXPECT_EQ(bad, c.bad) << c.utf8;
        }
    }
    EXPECT_EQ(codePageToUtf8("Caf\xE9 \x80 \x9C"), "Caf\xC3\xA9 \xE2\x82\xAC \xC5\x93");
}
#endif

TEST(CodePageTest, Utf8WithMultibyte) {
    EXPECT_TRUE(isUtf8WithMultibyte("Caf\xC3\xA9"));
    EXPECT_FALSE(isUtf8WithMultibyte("plain"));        // valid, but nothing multi-byte
    EXPECT_FALSE(isUtf8WithMultibyte("Caf\xE9"));      // 8-bit
    EXPECT_FALSE(isUtf8WithMultibyte("\xC3\xA9\xE9")); // mostly UTF-8, one stray byte
    EXPECT_FALSE(isUtf8WithMultibyte("\xED\xA0\x80")); // an encoded surrogate
}

TEST(CodePageTest, ConvertsUtf16To1252) {
    EXPECT_EQ(toAnsi1252(u"plain"), "plain");
    EXPECT_EQ(toAnsi1252(u"\u00e9\u00ff\u00a0"), "\xE9\xFF\xA0");
    EXPECT_EQ(toAnsi1252(u"\u20ac\u201a\u0178\u017e"), "\x80\x82\x9F\x9E");
    // The bytes the code page leaves undefined convert to the control characters of the same
    // value; other C1 controls and characters outside the page become "?".
    EXPECT_EQ(toAnsi1252(u"\x81\x8d\x80\u0100\u65e5"), "\x81\x8D???");
    // A character outside the basic plane is one "?".
    EXPECT_EQ(toAnsi1252(u"a\U0001F3B5b"), "a?b");
}

TEST(CodePageTest, HexDigits) {
    struct Case {
        char c;
        int value;
    };
    const Case cases[] = {{'0', 0},  {'9', 9},  {'a', 10},    {'f', 15}, {'A', 10}, {'F', 15},
                          {'g', -1}, {'G', -1}, {'/', -1},    {':', -1}, {'@', -1}, {'`', -1},
                          {' ', -1}, {'%', -1}, {'\xE9', -1}, {'\0', -1}};
    for (const auto& k : cases)
        EXPECT_EQ(hexDigit(k.c), k.value) << static_cast<int>(static_cast<unsigned char>(k.c));
}

TEST(CodePageTest, DescribesACharacter) {
    struct Case {
        char32_t code;
        bool withCharacter;
        const char* text;
    };
    const Case cases[] = {
        {0x3042, true, "U+3042 \"\xE3\x81\x82\""},
        {0x3042, false, "U+3042"},
        {0x1F3B5, true, "U+1F3B5 \"\xF0\x9F\x8E\xB5\""},
        {0xFFFD, true, "U+FFFD"},
        {0x01, true, "U+0001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeCharacter(c.code, c.withCharacter), c.text)
            << static_cast<unsigned>(c.code) << " " << c.withCharacter;
    // Messages on Windows are in the ANSI code page, which cannot hold the character named.
    EXPECT_EQ(describeCharacter(0x3042), "U+3042");
}

} // namespace
