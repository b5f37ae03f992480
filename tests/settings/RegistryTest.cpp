#include "settings/Registry.h"
#include "settings/AutoDetect.h"

#include "WinePrefixFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using deckshift::test::TempDir;
using deckshift::test::writeBytes;
using namespace deckshift::settings;

namespace {

TEST(RegistryTest, NormalisationHalvesPairsOfBackslashesInOnePass) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"C:\\FX\\RC\\", "C:\\FX\\RC\\"},
        {"C:\\\\FX\\\\RC\\\\", "C:\\FX\\RC\\"},
        // Three in a row: the first two become one, the third stays.
        {"a\\\\\\b", "a\\\\b"},
        // Four in a row become two, not one: the output is not scanned again.
        {"a\\\\\\\\b", "a\\\\b"},
        {"\\\\\\\\\\", "\\\\\\"},
        {"\\", "\\"},
        {"/home/dj/", "/home/dj/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalizeBackslashes(c.in), c.out) << c.in;
}

/// Answers one hive/key/value with a value and records what it was asked.
class RecordingReader final : public RegistryReader {
public:
    std::optional<std::string> read(std::int32_t hive, std::string_view keyPath,
                                    std::string_view valueName) const override {
        asked.push_back(std::to_string(hive) + "|" + std::string(keyPath) + "|" +
                        std::string(valueName));
        if (hive == kHkeyLocalMachine && keyPath == kFxRcKey && valueName == kFxRcValue)
            return std::string("C:\\FX\\RC\\");
        if (valueName == "Empty")
            return std::string();
        return std::nullopt;
    }
    mutable std::vector<std::string> asked;
};

TEST(RegistryTest, QueryRegistryValueGivesTheFoundFlagAndTheValue) {
    RecordingReader reader;
    std::string value;
    EXPECT_TRUE(QueryRegistryValue(reader, kHkeyLocalMachine, kFxRcKey, kFxRcValue, value));
    EXPECT_EQ(value, "C:\\FX\\RC\\");
    ASSERT_EQ(reader.asked.size(), 1u);
    EXPECT_EQ(reader.asked[0],
              std::to_string(kHkeyLocalMachine) + "|" + std::string(kFxRcKey) + "|CONFIG_RC_PATH");

    // Not found: the flag is false and the value keeps what it held.
    std::string kept = "before";
    EXPECT_FALSE(QueryRegistryValue(reader, kHkeyCurrentUser, kFxRcKey, kFxRcValue, kept));
    EXPECT_EQ(kept, "before");

    // An empty value that exists is found.
    std::string empty = "before";
    EXPECT_TRUE(QueryRegistryValue(reader, kHkeyCurrentUser, "Key", "Empty", empty));
    EXPECT_EQ(empty, "");

    FixedRegistryReader fixed("D:\\Given\\");
    std::string given;
    EXPECT_TRUE(QueryRegistryValue(fixed, kHkeyCurrentUser, kRedGroupKey, kRedGroupValue, given));
    EXPECT_EQ(given, "D:\\Given\\");
    FixedRegistryReader none(std::nullopt);
    EXPECT_FALSE(QueryRegistryValue(none, kHkeyCurrentUser, kRedGroupKey, kRedGroupValue, given));
}

TEST(RegistryTest, PresenceTestNeedsAnOrdinaryFileBehindTheValue) {
    TempDir dir;
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "hiddenOnly");
#ifndef _WIN32
    writeBytes(dir / "hiddenOnly" / ".settings", "x");
#endif
    fs::create_directories(dir / "dirsOnly" / "sub");
    writeBytes(dir / "withFile" / "Groups.xml", "x");
    const std::string root = dir.str(true);

    struct Case {
        std::string path;
        bool passes;
    };
    const Case cases[] = {
        {"", false},
        {root + "missing/", false},
        {root + "empty/", false},
        {root + "hiddenOnly/", false},
        {root + "dirsOnly/", false},
        {root + "withFile/", true},
        {root + "withFile//", true},
        // A directory without its trailing separator names no file.
        {root + "withFile", false},
        // The last component is a pattern over the parent's files.
        {root + "withFile/Groups.xml", true},
        {root + "withFile/groups.XML", true},
        {root + "withFile/*.xml", true},
        {root + "withFile/*.ini", false},
        {root + "withFile/Groups.xml/", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(presenceTest(c.path), c.passes) << "'" << c.path << "'";
}

TEST(RegistryTest, DetectionTellsNotFoundMissingAndPresent) {
    TempDir dir;
    fs::create_directories(dir / "empty");
    writeBytes(dir / "withFile" / "Groups.xml", "x");
    const std::string root = dir.str(true);

    struct Case {
        std::optional<std::string> value;
        Detected state;
        std::string path;
    };
    const Case cases[] = {
        {std::nullopt, Detected::NotFound, ""},
        {root + "missing/", Detected::Missing, ""},
        {root + "empty/", Detected::Missing, ""},
        {root + "withFile", Detected::Missing, ""},
        {root + "withFile/", Detected::Present, root + "withFile/"},
    };
    for (const auto& c : cases) {
        for (const auto order : {DetectOrder::TestThenNormalise, DetectOrder::NormaliseThenTest}) {
            const FixedRegistryReader registry(c.value);
            const Detection fx = detectFxRc(order, registry);
            const Detection red = detectRedGroups(order, registry);
            EXPECT_EQ(fx.state, c.state) << c.value.value_or("(none)");
            EXPECT_EQ(fx.path, c.path) << c.value.value_or("(none)");
            EXPECT_EQ(red.state, c.state) << c.value.value_or("(none)");
            EXPECT_EQ(red.path, c.path) << c.value.value_or("(none)");
        }
    }
}

#ifndef _WIN32

TEST(RegistryTest, PresenceTestOfWindowsPathsGoesThroughTheWinePrefix) {
    deckshift::test::WinePrefix prefix;
    writeBytes(prefix.driveC() / "FX" / "RC" / "Groups.xml", "x");
    fs::create_directories(prefix.driveC() / "RED" / "Groups");

    EXPECT_TRUE(presenceTest("C:\\FX\\RC\\"));
    EXPECT_TRUE(presenceTest("c:\\fx\\rc\\"));
    // Doubled separators work before normalisation, as the file system takes them.
    EXPECT_TRUE(presenceTest("C:\\\\FX\\\\RC\\\\"));
    EXPECT_TRUE(presenceTest("C:\\FX\\RC\\groups.xml"));
    EXPECT_FALSE(presenceTest("C:\\FX\\RC"));
    EXPECT_FALSE(presenceTest("C:\\RED\\Groups\\"));
    EXPECT_FALSE(presenceTest("C:\\Missing\\"));
    EXPECT_FALSE(presenceTest("Q:\\FX\\RC\\"));
}

TEST(RegistryTest, SystemRegistryReadsTheWinePrefixInUse) {
    {
        deckshift::test::WinePrefix prefix;
        prefix.writeSystemReg("WINE REGISTRY Version 2\n"
                              ";; All keys relative to \\\\Machine\n"
                              "\n"
                              "#arch=win64\n"
                              "\n"
                              "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1796854322\n"
                              "#time=1d9a1b2c3d4e5f6\n"
                              "\"CONFIG_RC_PATH\"=\"C:\\\\FX\\\\RC\\\\\"\n");
        std::string value;
        EXPECT_TRUE(QueryRegistryValue(kHkeyLocalMachine, kFxRcKey, kFxRcValue, value));
        EXPECT_EQ(value, "C:\\FX\\RC\\");
        EXPECT_FALSE(QueryRegistryValue(kHkeyCurrentUser, kRedGroupKey, kRedGroupValue, value));
    }
    // Another prefix at the next lookup: nothing is kept from the last one.
    deckshift::test::WinePrefix other;
    std::string value;
    EXPECT_FALSE(QueryRegistryValue(kHkeyLocalMachine, kFxRcKey, kFxRcValue, value));
}

#endif

} // namespace
