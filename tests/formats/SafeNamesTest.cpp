#include "formats/SafeNames.h"
#include "formats/VrmPlaylist.h"

#include <gtest/gtest.h>

namespace deckshift::formats {
namespace {

TEST(SafeNames, FileNamesAreSafeOnWindows) {
    struct Case {
        const char* name;
        const char* safe;
    };
    const Case cases[] = {
        {"Rock & Roll", "Rock & Roll"},
        {"Caf\xE9", "Caf\xE9"},
        {"a.b", "a.b"},
        {"A/B\\C?D:E", "A-B-C-D-E"},
        {"<x>|\"*", "-x----"},
        {"tab\there\x7F", "tab-here-"},
        {"", "-"},
        {".", "-"},
        {"..", "--"},
        {"Live.", "Live-"},
        {"Live. .", "Live---"},
        {"Encore ", "Encore-"},
        {"CON", "CON-"},
        {"con.live", "con-.live"},
        {"Aux", "Aux-"},
        {"NUL .x", "NUL- .x"},
        {"PRN", "PRN-"},
        {"COM1", "COM1-"},
        {"lpt9.x", "lpt9-.x"},
        {"COM0", "COM0"},
        {"COM10", "COM10"},
        {"CONCERT", "CONCERT"},
        {"Live CON", "Live CON"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(safeFileName(c.name), c.safe) << c.name;
}

TEST(SafeNames, PlaylistNamesChangeOnlyTheCharactersWindowsRefuses) {
    EXPECT_EQ(playlistName("a/b\\c?d:e<f>g|h\"i"), "a-b-c-d-e-f-g-h-i");
    EXPECT_EQ(playlistName("Set*1\x01"), "Set-1-");
    // A name already safe keeps its bytes, device names and trailing dots included: the group's
    // name and ".XML" surround it.
    EXPECT_EQ(playlistName("&_ Live. CON"), "&_ Live. CON");
    EXPECT_EQ(playlistName(""), "");
}

TEST(SafeNames, KeysIgnoreLetterCaseBeyondAscii) {
    EXPECT_EQ(fileNameKey("\xC9t\xE9"), fileNameKey("\xE9t\xE9"));
    EXPECT_EQ(fileNameKey("\x8A\x8C\x8E\x9F"), fileNameKey("\x9A\x9C\x9E\xFF"));
    EXPECT_EQ(fileNameKey("live.M3U"), fileNameKey("LIVE.m3u"));
    // Not letters: the multiplication and division signs, and the sharp s.
    EXPECT_NE(fileNameKey("\xD7"), fileNameKey("\xF7"));
    EXPECT_EQ(fileNameKey("\xDF"), "\xDF");
}

} // namespace
} // namespace deckshift::formats
