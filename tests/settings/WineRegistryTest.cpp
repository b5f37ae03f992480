#include "settings/WineRegistry.h"

#include "WinePrefixFixture.h"
#include "settings/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using deckshift::test::TempDir;
using deckshift::test::WinePrefix;
using namespace deckshift::settings;

namespace {

// system.reg as Wine writes it: key paths and string data with every backslash doubled, a
// timestamp after each key, characters above 0x7F as \x escapes.
constexpr std::string_view kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Classes\\\\.xml] 1796854300\n"
    "#time=1d9a1b2c3d4e5f0\n"
    "@=\"xmlfile\"\n"
    "\n"
    "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0] 1796854321\n"
    "#time=1d9a1b2c3d4e5f5\n"
    "\"CONFIG_RC_PATH\"=\"C:\\\\Wrong\\\\\"\n"
    "\n"
    "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1796854322\n"
    "#time=1d9a1b2c3d4e5f6\n"
    "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
    "  18,19,1a\n"
    "\"CONFIG_RC_PATH\"=\"C:\\\\FX\\\\RC\\\\\"\n"
    "\"Count\"=dword:00000001\n"
    "\"Expand\"=str(2):\"%SystemRoot%\\\\FX\"\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
    "\"Quoted\"=\"say \\\"hi\\\"\\t\\x20ac!\"\n"
    "@=\"default\"\n"
    "\n"
    "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG\\\\Sub] 1796854323\n"
    "\"CONFIG_RC_PATH\"=\"C:\\\\Sub\\\\\"\n"
    "\n"
    "[Software\\\\Odd\\[1\\]] 1796854324\n"
    "\"Name\"=\"bracket\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Only32\\\\Cfg] 1796854325\n"
    "#time=1d9a1b2c3d4e5f7\n"
    "\"Path\"=\"C:\\\\Only32\\\\\"\n"
    "\n"
    "[Software\\\\Both\\\\Cfg] 1796854326\n"
    "\"Other\"=\"x\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Both\\\\Cfg] 1796854327\n"
    "\"Path\"=\"C:\\\\Redirected\\\\\"\n";

// user.reg: a value that itself holds doubled backslashes (four in the file), and names with
// characters outside ASCII.
constexpr std::string_view kUserReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Visiosonic\\\\PCDJ RED\\\\Directory] 1796854322\n"
    "#time=1d9a1b2c3d4e5f6\n"
    "\"Grouppath\"=\"C:\\\\\\\\RED\\\\\\\\Soir\\x00e9e\\\\\\\\\"\n"
    "\"Price\"=\"\\x20ac 5\"\n"
    "\"Euro\"=\"\\x20ac\"\n"
    "\"Japanese\"=\"\\x65e5\\x672c\"\n"
    "\"Raw\"=hex(1):43,00,3a,00,5c,00,e9,00\n"
    "\"Wrapped\"=hex(2):43,00,3a,00,5c,00,52,00,45,00,44,00,5c,00,47,00,72,00,6f,00,75,\\\n"
    "  00,70,00,73,00,00,00\n";

std::optional<std::string> find(std::string_view reg, std::string_view key, std::string_view name) {
    std::istringstream in{std::string(reg)};
    return findWineRegValue(in, key, name);
}

TEST(WineRegistryTest, FindsStringValuesOfTheKeyIgnoringCase) {
    struct Case {
        std::string_view reg;
        const char* key;
        const char* name;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "CONFIG_RC_PATH", "C:\\FX\\RC\\"},
        {kSystemReg, "SOFTWARE\\visiosonic\\pcdj fx\\7.0\\cfg", "config_rc_path", "C:\\FX\\RC\\"},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0", "CONFIG_RC_PATH", "C:\\Wrong\\"},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG\\Sub", "CONFIG_RC_PATH", "C:\\Sub\\"},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "Expand", "%SystemRoot%\\FX"},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "Quoted", "say \"hi\"\t\x80!"},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "", "default"},
        {kSystemReg, "Software\\Odd[1]", "Name", "bracket"},
        // Missing key, missing value, and values that are no strings.
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\8.0\\CFG", "CONFIG_RC_PATH", std::nullopt},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "CONFIG_RC", std::nullopt},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "Count", std::nullopt},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "Blob", std::nullopt},
        {kSystemReg, "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "Multi", std::nullopt},
        // The reader takes the key path as given; the Wow6432Node fallback is the reader's.
        {kSystemReg, "Software\\Only32\\Cfg", "Path", std::nullopt},
        // Wine's escapes: four backslashes in the file are two in the value; \x00e9 with a hex
        // digit after it is é (0xE9 in code page 1252), \x20ac the euro sign (0x80).
        {kUserReg, "Software\\Visiosonic\\PCDJ RED\\Directory", "Grouppath",
         "C:\\\\RED\\\\Soir\xE9"
         "e\\\\"},
        {kUserReg, "Software\\Visiosonic\\PCDJ RED\\Directory", "Price", "\x80 5"},
        {kUserReg, "Software\\Visiosonic\\PCDJ RED\\Directory", "Euro", "\x80"},
        {kUserReg, "Software\\Visiosonic\\PCDJ RED\\Directory", "Japanese", "??"},
        // Strings Wine could not write in quotes come as UTF-16LE hex.
        {kUserReg, "Software\\Visiosonic\\PCDJ RED\\Directory", "Raw", "C:\\\xE9"},
        {kUserReg, "Software\\Visiosonic\\PCDJ RED\\Directory", "Wrapped", "C:\\RED\\Groups"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(find(c.reg, c.key, c.name), c.value) << c.key << " / " << c.name;
}

TEST(WineRegistryTest, TakesCrLfLinesAndSkipsHexContinuationLines) {
    const std::string reg = "WINE REGISTRY Version 2\r\n"
                            "[Software\\\\A] 1\r\n"
                            "\"Blob\"=hex:01,02,\\\r\n"
                            "\"Path\"=\"not a value\"\r\n"
                            "\"Path\"=\"C:\\\\A\\\\\"\r\n";
    EXPECT_EQ(find(reg, "Software\\A", "Path"), "C:\\A\\");
}

// Lines longer than the reader holds come only from a damaged file: they are read past in
// bounded memory and count as lines that cannot be read, never as a value cut short. Lines of
// 4,095 to 4,097 bytes, around the 4 KiB pieces the reader reads, are whole.
TEST(WineRegistryTest, ReadsPastLinesTooLongToBeWines) {
    const std::string huge(3u << 20, 'x');
    const std::string longPath = "C:\\\\" + std::string(5000, 'p');
    const std::string key = "WINE REGISTRY Version 2\n[Software\\\\A] 1\n";
    struct Case {
        const char* name;
        std::string reg;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"a long line before the value", key + huge + "\n\"Path\"=\"C:\\\\A\"\n", "C:\\A"},
        {"the value's own line too long", key + "\"Path\"=\"" + huge + "\"\n", std::nullopt},
        {"a long value line that goes on",
         key + "\"Blob\"=hex:" + huge + "\\\r\n\"Path\"=\"cont\"\n\"Path\"=\"C:\\\\B\"\n", "C:\\B"},
        {"a long line of no value, ending in a backslash",
         key + huge + "\\\n\"Path\"=\"C:\\\\C\"\n", "C:\\C"},
        {"a hex value with a long continuation line",
         key + "\"Path\"=hex(1):43,00,\\\n  " + huge + "\n", std::nullopt},
        {"lines around the size of the pieces read",
         key + "\"" + std::string(4089, 'n') + "\"=\"a\"\n\"" + std::string(4090, 'n') +
             "\"=\"b\"\n\"Path\"=\"" + longPath + "\"",
         "C:\\" + std::string(5000, 'p')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(find(c.reg, "Software\\A", "Path"), c.value) << c.name;
    const std::string exact = key + "\"" + std::string(4089, 'n') + "\"=\"a\"\r\n\"" +
                              std::string(4090, 'n') + "\"=\"b\"";
    EXPECT_EQ(find(exact, "Software\\A", std::string(4089, 'n')), "a");
    EXPECT_EQ(find(exact, "Software\\A", std::string(4090, 'n')), "b");
}

TEST(WineRegistryTest, DecodesWineEscapes) {
    struct Case {
        const char* escaped;
        std::u16string decoded;
    };
    const Case cases[] = {
        {"plain", u"plain"},
        {"a\\\\b\\\"c", u"a\\b\"c"},
        {"\\a\\b\\t\\n\\v\\f\\r\\e", u"\a\b\t\n\v\f\r\x1b"},
        // Octal: one to three digits.
        {"\\0", std::u16string(1, u'\0')},
        {"\\001x", u"\x01x"},
        {"\\0018", u"\x01"
                   u"8"},
        {"\\37", u"\x1f"},
        // Hex: one to four digits.
        {"\\xe9", u"\u00e9"},
        {"\\x00e9e", u"\u00e9e"},
        {"\\x20ac", u"\u20ac"},
        {"\\x20acd", u"\u20acd"},
        {"\\x1", u"\x01"},
        {"trailing\\", u"trailing\\"},
        {"\\[x\\]", u"[x]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeWineString(c.escaped), c.decoded) << c.escaped;
}

TEST(WineRegistryTest, ReaderUsesSystemRegAndUserRegOfThePrefix) {
    TempDir prefix;
    deckshift::test::writeBytes(prefix / "system.reg", kSystemReg);
    deckshift::test::writeBytes(prefix / "user.reg", kUserReg);
    const WineRegistryReader reader(prefix.path());

    EXPECT_EQ(reader.read(kHkeyLocalMachine, kFxRcKey, kFxRcValue), "C:\\FX\\RC\\");
    EXPECT_EQ(reader.read(kHkeyCurrentUser, kFxRcKey, kFxRcValue), std::nullopt);
    EXPECT_EQ(reader.read(kHkeyCurrentUser, kRedGroupKey, kRedGroupValue), "C:\\\\RED\\\\Soir\xE9"
                                                                           "e\\\\");
    EXPECT_EQ(reader.read(kHkeyLocalMachine, kRedGroupKey, kRedGroupValue), std::nullopt);
    EXPECT_EQ(reader.read(0x12345, kFxRcKey, kFxRcValue), std::nullopt);

    // A key absent under Software is looked up under Software\Wow6432Node.
    EXPECT_EQ(reader.read(kHkeyLocalMachine, "Software\\Only32\\Cfg", "Path"), "C:\\Only32\\");
    EXPECT_EQ(reader.read(kHkeyLocalMachine, "software\\only32\\cfg", "path"), "C:\\Only32\\");
    EXPECT_EQ(reader.read(kHkeyLocalMachine, "Software\\Only32\\Cfg", "Other"), std::nullopt);
    // A key that exists without the value is not redirected.
    EXPECT_EQ(reader.read(kHkeyLocalMachine, "Software\\Both\\Cfg", "Path"), std::nullopt);
    EXPECT_EQ(reader.read(kHkeyLocalMachine, "Software\\Both\\Cfg", "Other"), "x");

    const WineRegistryReader missing(prefix / "missing");
    EXPECT_EQ(missing.read(kHkeyLocalMachine, kFxRcKey, kFxRcValue), std::nullopt);
}

#ifndef _WIN32

TEST(WineRegistryTest, SettingsFromThePrefixLeadToItsDirectories) {
    WinePrefix prefix;
    prefix.writeSystemReg(kSystemReg);
    prefix.writeUserReg(kUserReg);
    deckshift::test::writeBytes(prefix.driveC() / "FX" / "RC" / "Groups.xml", "x");
    std::filesystem::create_directories(prefix.driveC() / "FX" / "RC" / "PlayLists");
    deckshift::test::writeBytes(prefix.driveC() / "red" /
                                    "Soir\xC3\xA9"
                                    "e" /
                                    "House.ini",
                                "x");

    const WineRegistryReader reader;
    std::string rc;
    ASSERT_TRUE(QueryRegistryValue(reader, kHkeyLocalMachine, kFxRcKey, kFxRcValue, rc));
    EXPECT_TRUE(presenceTest(rc));
    EXPECT_EQ(resolveSubdirectory(rc, "Playlists"), "C:\\FX\\RC\\PlayLists");

    std::string group;
    ASSERT_TRUE(QueryRegistryValue(reader, kHkeyCurrentUser, kRedGroupKey, kRedGroupValue, group));
    const std::string normalised = normalizeBackslashes(group);
    EXPECT_EQ(normalised, "C:\\RED\\Soir\xE9"
                          "e\\");
    EXPECT_TRUE(presenceTest(normalised));
    EXPECT_EQ(listFiles(normalised, "*.INI"), std::vector<std::string>{"House.ini"});
}

#endif

} // namespace
