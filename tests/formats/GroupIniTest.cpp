#include "formats/GroupIni.h"

#include <gtest/gtest.h>

using namespace deckshift::formats;

namespace {

TEST(GroupIni, RecognisesBySecondLinesFirstFiveCharacters) {
    struct Case {
        const char* line;
        bool recognised;
    } cases[] = {
        {"Track 1=;;;;;;|a.mp3||C:\\x\\|||", true},
        {"Track", true},
        {"Trackless", true},
        {"track 1=;;;;;;|a.mp3||C:\\x\\|||", false},
        {"Trac", false},
        {"", false},
        {" Track", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isGroupFileSecondLine(c.line), c.recognised) << c.line;
}

TEST(GroupIni, HeaderNameIsLineLessFirstAndLastCharacter) {
    EXPECT_TRUE(isHeaderLine("[Live]"));
    EXPECT_FALSE(isHeaderLine(" [Live]"));
    EXPECT_FALSE(isHeaderLine(""));
    EXPECT_EQ(subgroupName("[Live]"), "Live");
    EXPECT_EQ(subgroupName("[]"), "");
    EXPECT_EQ(subgroupName("["), "");
    EXPECT_EQ(subgroupName("[Live"), "Liv"); // by position, not by searching for "]"
    EXPECT_EQ(subgroupName("[a]b]"), "a]b");
}

TEST(GroupIni, EntryLineReading) {
    struct Case {
        const char* line;
        bool parsed;
        const char* fileName;
        const char* directory;
    } cases[] = {
        {"Track 3=;;;;;;|Song One.mp3||C:\\Audio\\Dance\\|||", true, "Song One.mp3",
         "C:\\Audio\\Dance\\"},
        {"Track 1=;;;;;;|a.mp3||C:\\x\\|||", true, "a.mp3", "C:\\x\\"},
        {"Track 1=;;;;;;|||C:\\x\\|||", true, "", "C:\\x\\"},
        // one character in field 2: the directory comes out empty
        {"Track 1=;;;;;;|a.mp3|x|C:\\x\\|||", true, "a.mp3", ""},
        // a longer field 2 gives its text less its first character
        {"Track 1=;;;;;;|a.mp3|xyz|C:\\x\\|||", true, "a.mp3", "yz"},
        // no "|" after the directory: the rest of the line is the directory
        {"Track 1=;;;;;;|a.mp3||C:\\x\\", true, "a.mp3", "C:\\x\\"},
        {"anything=|a.mp3||d\\|||", true, "a.mp3", "d\\"},
        {"Track 1=;;;;;;|a & \"b\" <c>.mp3||C:\\&\\|||", true, "a & \"b\" <c>.mp3", "C:\\&\\"},
        {"Track 1=;;;;;;", false, "", ""},
        {"Track 1=;;;;;;|a.mp3", false, "", ""},
        {"Track 1=;;;;;;|a.mp3|", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        auto entry = parseEntryLine(c.line);
        ASSERT_EQ(entry.has_value(), c.parsed) << c.line;
        if (entry) {
            EXPECT_EQ(entry->fileName, c.fileName) << c.line;
            EXPECT_EQ(entry->directory, c.directory) << c.line;
        }
    }
}

TEST(GroupIni, WrittenLinesReadBack) {
    std::string line;
    appendEntryLine(line, 3, "Song One.mp3", "C:\\Audio\\Dance\\");
    EXPECT_EQ(line, "Track 3=;;;;;;|Song One.mp3||C:\\Audio\\Dance\\|||");
    auto entry = parseEntryLine(line);
    ASSERT_TRUE(entry);
    EXPECT_EQ(std::string(entry->directory) + std::string(entry->fileName),
              "C:\\Audio\\Dance\\Song One.mp3");
    EXPECT_EQ(headerLine("Live & <Loud>"), "[Live & <Loud>]");
}

} // namespace
