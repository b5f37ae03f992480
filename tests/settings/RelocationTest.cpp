#include "settings/Relocation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace deckshift::settings;

namespace {

TEST(RelocationTest, ParsesFromAndToAtTheFirstEquals) {
    struct Case {
        const char* text;
        bool valid;
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        {"C:\\Music\\=/home/dj/Music/", true, "C:\\Music\\", "/home/dj/Music/"},
        {"C:\\Music=./", true, "C:\\Music", "./"},
        {"D:\\=", true, "D:\\", ""},         // an empty TO drops the matched part
        {"C:\\a=b=c", true, "C:\\a", "b=c"}, // TO may hold "="
        {"=D:\\", false, "", ""},            // FROM must not be empty
        {"C:\\Music", false, "", ""},        // no "="
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto rule = parseRelocationRule(c.text);
        ASSERT_EQ(rule.has_value(), c.valid) << c.text;
        if (rule) {
            EXPECT_EQ(rule->from, c.from) << c.text;
            EXPECT_EQ(rule->to, c.to) << c.text;
        }
    }
}

TEST(RelocationTest, MatchingAndRewriting) {
    const std::vector<RelocationRule> rules = {
        {"C:\\Music\\", "/home/dj/Music/"},
        {"C:\\Music\\Live", "E:\\Concerts"},
        {"D:\\Old", "./"},
        {"\\\\nas\\share\\", "N:\\"},
        {"F:/mixed", "G:\\a/b"},
        {"H:\\Tunes\\", "/srv/tunes"},
        {"J:\\Rel", ""},
    };
    struct Case {
        const char* path;
        const char* relocated; // nullptr: no rule matches
    };
    const Case cases[] = {
        // TO holds "/" only: the rest of the path takes "/".
        {"C:\\Music\\Dance\\Song One.mp3", "/home/dj/Music/Dance/Song One.mp3"},
        // Letter case does not matter, and "\" and "/" are the same separator.
        {"c:/MUSIC/Dance/a.mp3", "/home/dj/Music/Dance/a.mp3"},
        // The longest FROM wins, whatever the order of the rules; TO holds "\" only.
        {"C:\\Music\\Live\\Set 1/a.mp3", "E:\\Concerts\\Set 1\\a.mp3"},
        {"C:\\Music\\Live", "E:\\Concerts"},
        // Only at a component boundary: "Live" is not "LiveSets".
        {"C:\\Music\\LiveSets\\a.mp3", "/home/dj/Music/LiveSets/a.mp3"},
        {"D:\\Older\\a.mp3", nullptr},
        {"D:\\Old\\x\\a.mp3", "./x/a.mp3"},
        // One separator between TO and the rest, whichever of FROM and TO ends in one.
        {"H:\\Tunes\\a\\b.mp3", "/srv/tunes/a/b.mp3"},
        {"J:\\Rel\\a\\b.mp3", "a\\b.mp3"},
        {"D:\\old", "./"},
        // A path that matches nothing stays as it is.
        {"E:\\Other\\a.mp3", nullptr},
        {"", nullptr},
        {"C:", nullptr},
        {"\\\\NAS\\Share\\Pop\\b.mp3", "N:\\Pop\\b.mp3"},
        // TO holds both separators: the rest keeps its own.
        {"F:\\mixed\\x/y\\z.mp3", "G:\\a/b\\x/y\\z.mp3"},
        // Bytes above 0x7F compare as they are.
        {"C:\\Music\\Caf\xE9\\a.mp3", "/home/dj/Music/Caf\xE9/a.mp3"},
    };
    for (const auto& c : cases) {
        Relocator relocator(rules);
        std::string path = c.path;
        const bool matched = relocator.apply(path);
        EXPECT_EQ(matched, c.relocated != nullptr) << c.path;
        EXPECT_EQ(path, c.relocated ? c.relocated : c.path) << c.path;
    }
}

TEST(RelocationTest, CountsMatchesPerRule) {
    Relocator relocator({{"C:\\A", "/a"}, {"C:\\B", "/b"}, {"C:\\A\\X", "/x"}});
    for (const char* p : {"C:\\A\\1", "C:\\A\\X\\2", "C:\\A\\X", "C:\\Z\\3"}) {
        std::string path = p;
        relocator.apply(path);
    }
    EXPECT_EQ(relocator.relocated(), 3u);
    EXPECT_EQ(relocator.matches(), (std::vector<std::uint64_t>{1, 0, 2}));
}

} // namespace
