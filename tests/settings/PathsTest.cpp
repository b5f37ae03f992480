#include "settings/Paths.h"

#include "WinePrefixFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using deckshift::test::ScopedEnv;
using deckshift::test::TempDir;
using deckshift::test::WinePrefix;
using deckshift::test::writeBytes;
using namespace deckshift::settings;

namespace {

using Names = std::vector<std::string>;

/// Whether `dir` can hold two names that differ only in letter case.
bool caseSensitive(const TempDir& dir) {
    writeBytes(dir / "caseprobe", "x");
    const bool sensitive = !fs::exists(dir / "CASEPROBE");
    fs::remove(dir / "caseprobe");
    return sensitive;
}

TEST(PathsTest, WindowsFormIsADriveLetterAndColon) {
    struct Case {
        const char* path;
        bool windowsForm;
    };
    const Case cases[] = {
        {"C:\\FX\\RC\\", true}, {"d:", true},     {"z:/x", true}, {"/home/dj", false},
        {"C", false},           {"1:\\x", false}, {"", false},    {"\\\\server\\share", false},
        {"CD:\\x", false},      {"[:\\x", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isWindowsForm(c.path), c.windowsForm) << c.path;
}

TEST(PathsTest, JoinPathUsesTheDirectorysSeparator) {
    struct Case {
        const char* directory;
        const char* name;
        const char* joined;
    };
#ifdef _WIN32
    const Case cases[] = {
        {"C:\\FX\\RC", "Groups.xml", "C:\\FX\\RC\\Groups.xml"},
        {"C:\\", "x", "C:\\\\x"},
        {"\\\\server\\share", "a.ini", "\\\\server\\share\\a.ini"},
    };
#else
    const Case cases[] = {
        {"C:\\FX\\RC", "Groups.xml", "C:\\FX\\RC\\Groups.xml"},
        // A drive's root already ends in a separator; the doubled one is kept.
        {"C:\\", "x", "C:\\\\x"},
        {"/home/dj/Music", "a.ini", "/home/dj/Music/a.ini"},
        {"/", "a.ini", "//a.ini"},
        {"relative", "b", "relative/b"},
    };
#endif
    for (const auto& c : cases)
        EXPECT_EQ(joinPath(c.directory, c.name), c.joined) << c.directory << " + " << c.name;
}

TEST(PathsTest, WildcardMatchesStarAndQuestionMarkIgnoringAsciiCase) {
    struct Case {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"*.ini", "Group.INI", true},
        {"*.ini", "Group.ini.bak", false},
        {"*.ini", ".ini", true},
        {"*.INI", "ini", false},
        {"*", "", true},
        {"*", "anything", true},
        {"", "", true},
        {"", "a", false},
        {"a?c", "ABC", true},
        {"a?c", "ac", false},
        {"*_*.xml", "Rock_Live.XML", true},
        {"*_*.xml", "RockLive.xml", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"**a", "bba", true},
        {"Playlists", "PLAYLISTS", true},
        // Only a-z and A-Z fold; other bytes must be equal.
        {"caf\xE9.ini", "CAF\xE9.INI", true},
        {"caf\xE9.ini", "caf\xC9.ini", false},
        {"[a].ini", "[A].INI", true},
        {"[a].ini", "{a}.ini", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.text), c.matches)
            << "pattern " << c.pattern << " text " << c.text;
}

TEST(PathsTest, NtfsOrderComparesUpperCasedBytes) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        // "_" (0x5F) sorts after the upper-case letters, before the lower-case ones.
        {"a", "_a", true},
        {"_a", "a", false},
        {"a", "B", true},
        {"B", "a", false},
        {"Rock_Live.XML", "Rock_live.xml", false},
        {"Rock_live.xml", "Rock_Live.XML", false},
        {"ab", "abc", true},
        {"abc", "ab", false},
        {"a", "[", true},
        {"\xC9", "\xE9", true},
        {"\xE9", "\xC9", false},
        {"z", "\x80", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ntfsLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(PathsTest, StripExtensionDropsTheLastFourCharacters) {
    EXPECT_EQ(stripExtension("Group.ini"), "Group");
    EXPECT_EQ(stripExtension("Rock_Live.XML"), "Rock_Live");
    EXPECT_EQ(stripExtension("a.b"), "");
    EXPECT_EQ(stripExtension(".ini"), "");
    EXPECT_EQ(stripExtension("list.m3u8"), "list.");
}

TEST(PathsTest, ListFilesGivesOrdinaryMatchingFilesInNtfsOrder) {
    TempDir dir;
    const bool bothSpellings = caseSensitive(dir);
    for (const char* name :
         {"Rock_live.xml", "a.xml", "_a.xml", "Rock_Live.XML", "B.xml", "notes.txt"})
        writeBytes(dir / name, "x");
    fs::create_directory(dir / "folder.xml");
#ifdef _WIN32
    Names expected{"a.xml", "B.xml", "Rock_Live.XML", "Rock_live.xml", "_a.xml"};
#else
    // Outside Windows a leading dot hides a file; a link to a file lists as the file.
    writeBytes(dir / ".hidden.xml", "x");
    fs::create_symlink(dir / "a.xml", dir / "link.xml");
    fs::create_symlink(dir / "nowhere.xml", dir / "broken.xml");
    Names expected{"a.xml", "B.xml", "link.xml", "Rock_Live.XML", "Rock_live.xml", "_a.xml"};
#endif
    // A file system that ignores case keeps the first spelling only.
    if (!bothSpellings)
        std::erase(expected, "Rock_Live.XML");

    std::string error;
    EXPECT_EQ(listFiles(dir.str(), "*.xml", &error), expected);
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_EQ(listFiles(dir.str(true), "*.TXT"), (Names{"notes.txt"}));
    EXPECT_EQ(listFiles(dir.str(), "none*"), Names{});
}

TEST(PathsTest, ListFilesOfAMissingDirectoryIsEmptyWithAnError) {
    TempDir dir;
    std::string error;
    EXPECT_TRUE(listFiles((dir / "missing").string(), "*", &error).empty());
    EXPECT_FALSE(error.empty());

    writeBytes(dir / "file", "x");
    error.clear();
    EXPECT_TRUE(listDirectories((dir / "file").string(), &error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(PathsTest, ListDirectoriesLeavesOutFilesAndHiddenOnes) {
    TempDir dir;
    fs::create_directories(dir / "b");
    fs::create_directories(dir / "A");
    fs::create_directories(dir / "_c");
#ifndef _WIN32
    fs::create_directories(dir / ".git");
#endif
    writeBytes(dir / "file", "x");
    std::string error;
    EXPECT_EQ(listDirectories(dir.str(), &error), (Names{"A", "b", "_c"}));
    EXPECT_TRUE(error.empty()) << error;
}

TEST(PathsTest, FindNameIgnoringCasePrefersTheExactSpelling) {
    // Each directory scanned afresh, and listed once for a run: the same names either way.
    for (const bool listedOnce : {false, true}) {
        SCOPED_TRACE(listedOnce ? "listed once" : "scanned each time");
        std::optional<DirectoryListingScope> scope;
        if (listedOnce)
            scope.emplace();
        TempDir dir;
        writeBytes(dir / "Groups.xml", "x");
        EXPECT_EQ(findNameIgnoringCase(dir.str(), "GROUPS.XML"), "Groups.xml");
        EXPECT_EQ(findNameIgnoringCase(dir.str(), "Groups.xml"), "Groups.xml");
        EXPECT_EQ(findNameIgnoringCase(dir.str(), "Group.xml"), std::nullopt);

        if (!caseSensitive(dir))
            continue;
        writeBytes(dir / "GROUPS.XML", "x");
        // A file made by someone else is seen by the next run, which lists the directory anew.
        if (listedOnce) {
            scope.reset();
            scope.emplace();
        }
        EXPECT_EQ(findNameIgnoringCase(dir.str(), "Groups.xml"), "Groups.xml");
        EXPECT_EQ(findNameIgnoringCase(dir.str(), "GROUPS.XML"), "GROUPS.XML");
        // Neither is spelled as asked: the first in NTFS order, then byte order.
        EXPECT_EQ(findNameIgnoringCase(dir.str(), "groups.xml"), "GROUPS.XML");
    }
}

TEST(PathsTest, ResolveSubdirectoryTakesTheSpellingOnDisk) {
    TempDir dir;
    const std::string base = dir.str(true);

    // Nothing there: unchanged.
    EXPECT_EQ(resolveSubdirectory(base, "PlayLists"), base + "PlayLists");

    // A file of that name is not the directory.
    writeBytes(dir / "playlists", "x");
    EXPECT_EQ(resolveSubdirectory(base, "PlayLists"), base + "PlayLists");
    fs::remove(dir / "playlists");

    fs::create_directory(dir / "Playlists");
    EXPECT_EQ(resolveSubdirectory(base, "PlayLists"), base + "Playlists");
    EXPECT_EQ(resolveSubdirectory(base, "Playlists"), base + "Playlists");

    // Both spellings present: each resolves to itself.
    if (!caseSensitive(dir))
        return;
    fs::create_directory(dir / "PlayLists");
    EXPECT_EQ(resolveSubdirectory(base, "PlayLists"), base + "PlayLists");
    EXPECT_EQ(resolveSubdirectory(base, "Playlists"), base + "Playlists");
}

#ifndef _WIN32

TEST(PathsTest, NamesGoToTheDiskInUtf8AndComeBackInTheCodePage) {
    struct Case {
        const char* program;
        const char* disk;
    };
    const Case cases[] = {
        {"Plain.XML", "Plain.XML"},
        {"Caf\xE9 Classics.INI", "Caf\xC3\xA9 Classics.INI"},
        {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},
    };
    for (const auto& tc : cases) {
        EXPECT_EQ(diskName(tc.program), tc.disk) << tc.program;
        EXPECT_EQ(programName(tc.disk), tc.program) << tc.disk;
    }
    // A name that is not UTF-8 is taken byte for byte.
    EXPECT_EQ(programName("Caf\xE9.INI"), "Caf\xE9.INI");
    // One the code page cannot hold is refused, naming the character.
    char32_t bad = 0;
    EXPECT_EQ(programName("\xE3\x81\x82.INI", &bad), std::nullopt);
    EXPECT_EQ(bad, U'\x3042');
}

TEST(PathsTest, NativePathsOpenTheUtf8NameFirstThenTheBytes) {
    TempDir dir;
    const std::string base = dir.str() + "/";
    // Nothing there: created under the UTF-8 name.
    EXPECT_EQ(toFsPath(base + "Caf\xE9/x.XML"), dir / "Caf\xC3\xA9" / "x.XML");
    // A name left by an older tool in the code page's bytes is found as it is.
    writeBytes(dir / "Old\xE9.XML", "x");
    EXPECT_EQ(toFsPath(base + "Old\xE9.XML"), dir / "Old\xE9.XML");
    // Where both exist, the UTF-8 name wins.
    writeBytes(dir / "Old\xC3\xA9.XML", "x");
    EXPECT_EQ(toFsPath(base + "Old\xE9.XML"), dir / "Old\xC3\xA9.XML");
    EXPECT_EQ(toFsPath(base + "plain/x"), dir / "plain" / "x");
}

TEST(PathsTest, ListingsGiveNamesInTheCodePage) {
    TempDir dir;
    writeBytes(dir / "Caf\xC3\xA9 Classics.INI", "x");
    writeBytes(dir / "Legacy\xE9.INI", "x");
    writeBytes(dir / "\xE3\x81\x82.INI", "x");
    fs::create_directory(dir / "D\xC3\xA9j\xC3\xA0");
    EXPECT_EQ(listFiles(dir.str(), "*.INI"), (Names{"Caf\xE9 Classics.INI", "Legacy\xE9.INI"}));
    EXPECT_EQ(listDirectories(dir.str()), Names{"D\xE9j\xE0"});
    EXPECT_EQ(findNameIgnoringCase(dir.str(), "CAF\xE9 CLASSICS.ini"), "Caf\xE9 Classics.INI");
    EXPECT_EQ(resolveSubdirectory(dir.str() + "/", "D\xE9J\xE0"), dir.str() + "/D\xE9j\xE0");
}

class ToFsPathTest : public testing::TestWithParam<bool> {};

// Each directory scanned afresh (false) and listed once for a run (true) map every path alike.
INSTANTIATE_TEST_SUITE_P(PathsTest, ToFsPathTest, testing::Bool());

TEST_P(ToFsPathTest, MapsWindowsPathsThroughTheWinePrefix) {
    std::optional<DirectoryListingScope> scope;
    if (GetParam())
        scope.emplace();
    WinePrefix prefix;
    fs::create_directories(prefix.driveC() / "FX" / "RC" / "Playlists");
    // The name as Wine stores it on disk: UTF-8.
    fs::create_directories(prefix.driveC() / "FX" / "Caf\xC3\xA9");
    const fs::path c = prefix.dosC();

    struct Case {
        const char* windowsPath;
        fs::path expected;
    };
    const Case cases[] = {
        {"C:\\FX\\RC\\", c / "FX" / "RC" / ""},
        {"c:\\fx\\rc", c / "FX" / "RC"},
        {"C:\\\\Fx\\\\Rc\\\\PLAYLISTS\\\\", c / "FX" / "RC" / "Playlists" / ""},
        {"C:/fx/rc/playlists/x.xml", c / "FX" / "RC" / "Playlists" / "x.xml"},
        {"C:\\fx\\missing\\Sub\\", c / "FX" / "missing" / "Sub" / ""},
        {"C:\\", c / ""},
        {"C:", c},
        {"C:\\FX\\caf\xE9", c / "FX" / "Caf\xC3\xA9"},
    };
    for (const auto& tc : cases) {
        EXPECT_EQ(toFsPath(tc.windowsPath).string(), tc.expected.string()) << tc.windowsPath;
    }
    EXPECT_TRUE(fs::is_directory(toFsPath("c:\\FX\\rc\\playlists")));

    // Native paths are used as they are.
    EXPECT_EQ(toFsPath("/home/dj/Music/"), fs::path("/home/dj/Music/"));
    EXPECT_EQ(toFsPath("relative\\name"), fs::path("relative\\name"));
}

TEST(PathsTest, DirectoriesListedOnceStillFindWhatTheRunCreates) {
    WinePrefix prefix;
    const fs::path playlists = prefix.driveC() / "RC" / "Playlists";
    const fs::path mapped = prefix.dosC() / "RC" / "Playlists";
    fs::create_directories(playlists);
    writeBytes(playlists / "Rock_Live.XML", "x");
    const DirectoryListingScope scope;

    EXPECT_EQ(toFsPath("C:\\rc\\playlists\\ROCK_LIVE.xml"), mapped / "Rock_Live.XML");

    // A playlist the run is about to write: looked up before it exists, then written, then asked
    // for in another letter case, as a second subgroup of the same name in capitals would be.
    const fs::path created = toFsPath("C:\\RC\\Playlists\\Pop_Hits.XML");
    EXPECT_EQ(created, mapped / "Pop_Hits.XML");
    writeBytes(created, "x");
    EXPECT_EQ(toFsPath("C:\\RC\\Playlists\\POP_HITS.xml"), mapped / "Pop_Hits.XML");

    // One looked up but never written is no match for another spelling.
    EXPECT_EQ(toFsPath("C:\\RC\\Playlists\\Jazz.XML"), mapped / "Jazz.XML");
    EXPECT_EQ(toFsPath("C:\\RC\\Playlists\\JAZZ.xml"), mapped / "JAZZ.xml");

    // A file removed since the listing is not taken for one that exists.
    fs::remove(playlists / "Rock_Live.XML");
    EXPECT_EQ(toFsPath("C:\\RC\\Playlists\\ROCK_LIVE.xml"), mapped / "ROCK_LIVE.xml");
}

TEST(PathsTest, WindowsPathsBelowTheWinePrefixCanBeListed) {
    WinePrefix prefix;
    writeBytes(prefix.driveC() / "FX" / "RC" / "Playlists" / "Rock_Live.XML", "x");
    writeBytes(prefix.driveC() / "FX" / "RC" / "Playlists" / "a.xml", "x");
    EXPECT_EQ(listFiles("c:\\fx\\rc\\playlists\\", "*.XML"), (Names{"a.xml", "Rock_Live.XML"}));
    EXPECT_EQ(listDirectories("C:\\FX\\RC\\"), Names{"Playlists"});
    EXPECT_EQ(findNameIgnoringCase("C:\\FX\\RC\\PLAYLISTS", "rock_live.xml"), "Rock_Live.XML");
    EXPECT_EQ(resolveSubdirectory("C:\\FX\\RC\\", "PlayLists"), "C:\\FX\\RC\\Playlists");
}

TEST(PathsTest, WinePrefixComesFromWineprefixElseHome) {
    TempDir home;
    fs::create_directory(home / ".wine");
    ScopedEnv homeEnv("HOME", home.str());
    {
        ScopedEnv prefixEnv("WINEPREFIX", "");
        EXPECT_EQ(winePrefix(), home / ".wine");
    }
    TempDir other;
    {
        ScopedEnv prefixEnv("WINEPREFIX", other.str());
        EXPECT_EQ(winePrefix(), other.path());
    }
    {
        ScopedEnv prefixEnv("WINEPREFIX", (other / "missing").string());
        EXPECT_EQ(winePrefix(), std::nullopt);
    }
}

TEST(PathsTest, WithoutAPrefixDriveCIsTheRoot) {
    TempDir empty;
    ScopedEnv prefixEnv("WINEPREFIX", (empty / "no-prefix").string());
    ASSERT_EQ(winePrefix(), std::nullopt);
    EXPECT_EQ(toFsPath("C:\\"), fs::path("/"));
    EXPECT_EQ(toFsPath("C:\\\\"), fs::path("/"));

    // The temporary directory, spelled in upper case, is found through the root.
    const fs::path tmp = fs::canonical(empty.path());
    std::string windows = "C:";
    for (const auto& part : tmp.relative_path()) {
        windows += '\\';
        for (char ch : part.string())
            windows += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    EXPECT_EQ(toFsPath(windows), tmp);

    // Another drive names nothing.
    EXPECT_TRUE(toFsPath("D:\\x").empty());
    EXPECT_FALSE(fs::exists(toFsPath("D:\\")));
}

#endif

} // namespace

#ifndef _WIN32
TEST(PathsTest, NativePathsInWindowsFormThroughThePrefixsDrives) {
    WinePrefix prefix;
    TempDir music;
    fs::create_directories(prefix.driveC() / "Music" / "Rock");
    fs::create_directories(music / "Dance");
    const fs::path dosdevices = prefix.path() / "dosdevices";
    fs::create_directory_symlink(music.path(), dosdevices / "d:");
    // A device that is no drive is not taken for one.
    fs::create_directory_symlink(music.path(), dosdevices / "com1");

    const std::string driveC = fs::canonical(prefix.driveC()).string();
    const std::string driveD = fs::canonical(music.path()).string();
    struct Case {
        std::string native;
        std::optional<std::string> windows;
    };
    const Case cases[] = {
        {driveC + "/Music/Rock", "C:\\Music\\Rock"},
        {driveC + "/Music/Rock/", "C:\\Music\\Rock\\"},
        {driveC, "C:\\"},
        {driveD + "/Dance/a b.mp3", "D:\\Dance\\a b.mp3"}, // need not exist
        {driveD + "/Caf\xE9", "D:\\Caf\xE9"},              // in the code page, both ways
        {driveD + "-other/x", std::nullopt},               // a component boundary only
        {"/usr", std::nullopt},                            // on no drive
        {"E:\\Already\\Windows", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windowsFormThroughWine(c.native), c.windows) << c.native;

    // Through a symbolic link to the drive's target, and with "Z:" for "/": the longest target
    // wins.
    TempDir links;
    fs::create_directory_symlink(prefix.driveC() / "Music", links / "music");
    EXPECT_EQ(windowsFormThroughWine((links / "music" / "Rock").string()), "C:\\Music\\Rock");
    fs::create_directory_symlink("/", dosdevices / "z:");
    EXPECT_EQ(windowsFormThroughWine("/usr"), "Z:\\usr");
    EXPECT_EQ(windowsFormThroughWine(driveC + "/Music"), "C:\\Music");

    // No prefix: nothing.
    ScopedEnv noPrefix("WINEPREFIX", (music / "no-prefix").string());
    EXPECT_EQ(windowsFormThroughWine(driveC + "/Music"), std::nullopt);
}
#endif
