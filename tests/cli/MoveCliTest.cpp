// The options for moving a collection, through the command line: relocation, the track check,
// dry runs, group list backups, a group already listed, M3U and M3U8 encodings, and check.

#include "settings/WinePrefixFixture.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace deckshift;
using test::crlf;
using test::readBytes;
using test::runCapturedCli;
using test::snapshot;
using test::TempDir;
using test::vrmPlaylist;
using test::writeBytes;

namespace {

/// The separator of native paths: a relocation to a native directory writes it in the rest of the
/// path ("\" on Windows, "/" elsewhere), and files join their native directory with it.
const std::string kSep(1, static_cast<char>(fs::path::preferred_separator));

const std::string kGroupsXml =
    crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>", "</Groups>"});

/// A small collection: a RED group file, an M3U and a VRM playlist of the same three tracks, an
/// RC directory with its list and Playlists, and an output directory.
struct Collection {
    TempDir dir;
    fs::path red = dir / "red";
    fs::path rc = dir / "rc";
    fs::path out = dir / "out";
    fs::path music = dir / "music";
    Collection() {
        writeBytes(red / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\Music\\Dance\\|||",
                                           "Track 2=;;;;;;|b.mp3||c:\\music\\Dance\\|||",
                                           "Track 3=;;;;;;|c.mp3||D:\\Other\\|||"}));
        writeBytes(dir / "in" / "Mix.m3u", crlf({"#EXTM3U", "C:\\Music\\Dance\\a.mp3",
                                                 "c:\\music\\Dance\\b.mp3", "D:\\Other\\c.mp3"}));
        writeBytes(dir / "in" / "Rock_Live.XML",
                   vrmPlaylist(
                       {"C:\\Music\\Dance\\a.mp3", "c:\\music\\Dance\\b.mp3", "D:\\Other\\c.mp3"}));
        writeBytes(rc / "Groups.xml", kGroupsXml);
        fs::create_directories(rc / "Playlists");
        fs::create_directories(out);
        writeBytes(music / "Dance" / "a.mp3", "x");
    }
    std::string rcDir() const { return (rc / "").string(); }
    std::string musicDir() const { return (music / "").string(); }
};

TEST(MoveCli, RelocationInEveryConversion) {
    Collection c;
    const std::string relocate = "C:\\Music\\=" + c.musicDir();
    const std::string m = c.musicDir();
    const std::string a = m + "Dance" + kSep + "a.mp3";
    const std::string b = m + "Dance" + kSep + "b.mp3";
    struct Case {
        std::vector<std::string> args;
        std::string output;
        std::string expected;
    } cases[] = {
        {{"m3u2vrm", (c.dir / "in" / "Mix.m3u").string(), "-o", c.out.string()},
         "Mix.XML",
         vrmPlaylist({a, b, "D:\\Other\\c.mp3"})},
        {{"vrm2m3u", (c.dir / "in" / "Rock_Live.XML").string(), "-o", c.out.string()},
         "Rock_Live.m3u",
         crlf({"#EXTM3U", a, b, "D:\\Other\\c.mp3"})},
        {{"ini2vrm", (c.red / "Rock.INI").string(), "-o", c.out.string()},
         "Rock_Live.XML",
         vrmPlaylist({a, b, "D:\\Other\\c.mp3"})},
        // vrm2ini splits the relocated path at its last "\": a path relocated to "\" splits, one
        // relocated to "/" (a native directory outside Windows) is a file name of its own.
        {{"vrm2ini", (c.dir / "in" / "Rock_Live.XML").string(), "-o", c.out.string(), "--relocate",
          "D:\\Other=E:\\New"},
         "Rock.ini",
#ifdef _WIN32
         crlf({"[Live]", "Track 1=;;;;;;|a.mp3||" + m + "Dance\\|||",
               "Track 2=;;;;;;|b.mp3||" + m + "Dance\\|||", "Track 3=;;;;;;|c.mp3||E:\\New\\|||"})},
#else
         crlf({"[Live]", "Track 1=;;;;;;|" + a + "|||||", "Track 2=;;;;;;|" + b + "|||||",
               "Track 3=;;;;;;|c.mp3||E:\\New\\|||"})},
#endif
    };
    for (auto& k : cases) {
        k.args.push_back("--relocate");
        k.args.push_back(relocate);
        const auto r = runCapturedCli(k.args);
        ASSERT_EQ(r.status, 0) << k.args[0] << r.err;
        EXPECT_EQ(readBytes(c.out / k.output), k.expected) << k.args[0];
        const std::string relocated = k.args[0] == "vrm2ini" ? "3" : "2"; // two rules there
        EXPECT_NE(r.out.find("Relocated " + relocated + " track paths."), std::string::npos)
            << k.args[0] << r.out;
        fs::remove(c.out / k.output);
    }
}

TEST(MoveCli, RelocationUsageErrors) {
    Collection c;
    for (const char* bad : {"no-equals", "=D:\\", "C:\\=\xE3\x81\x82"}) {
        const auto r = runCapturedCli({"m3u2vrm", (c.dir / "in" / "Mix.m3u").string(), "-o",
                                       c.out.string(), "--relocate", bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--relocate"), std::string::npos) << r.err;
    }
    const auto r = runCapturedCli({"m3u2vrm", (c.dir / "in" / "Mix.m3u").string(), "-o",
                                   c.out.string(), "--relocate", "C:\\=\xE3\x81\x82"});
    EXPECT_NE(r.err.find("U+3042"), std::string::npos) << r.err;
    EXPECT_TRUE(snapshot(c.out).empty());
}

TEST(MoveCli, CheckTracksWarnsWithSourceAndLine) {
    Collection c;
    const auto r =
        runCapturedCli({"m3u2vrm", (c.dir / "in" / "Mix.m3u").string(), "-o", c.out.string(),
                        "--relocate", "C:\\Music\\=" + c.musicDir(), "--check-tracks"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string source = (c.dir / "in" / "Mix.m3u").string();
    EXPECT_NE(r.err.find("warning: 2 of 3 tracks not found\n" + source + ":3: " + c.musicDir() +
                         "Dance" + kSep + "b.mp3\n" + source + ":4: D:\\Other\\c.mp3\n"),
              std::string::npos)
        << r.err;
    // A rule that matched no path is a warning of its own.
    const auto unmatched = runCapturedCli({"vrm2m3u", (c.dir / "in" / "Rock_Live.XML").string(),
                                           "-o", c.out.string(), "--relocate", "Q:\\=/q/"});
    EXPECT_EQ(unmatched.status, 0);
    EXPECT_NE(unmatched.err.find("warning: The relocation Q:\\=/q/ matched no track path."),
              std::string::npos)
        << unmatched.err;
}

TEST(MoveCli, DryRunLeavesTheTreeByteIdentical) {
    Collection c;
    writeBytes(c.out / "Mix.XML", "an older one");
    writeBytes(c.dir / ".hidden", "kept");
    writeBytes(c.rc / ".Groups.xml.x.tmp", "not ours");
    const std::string list = c.rcDir() + "Groups.xml";
    const std::string playlists = c.rcDir() + "Playlists" + kSep;
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"m3u2vrm", (c.dir / "in" / "Mix.m3u").string(), "-o", c.out.string()},
         "replace " + (c.out / "Mix.XML").string() + "\n"},
        {{"vrm2m3u", (c.dir / "in" / "Rock_Live.XML").string(), "-o", c.out.string(), "--m3u8"},
         "create " + (c.out / "Rock_Live.m3u8").string() + "\n"},
        {{"vrm2ini", (c.dir / "in" / "Rock_Live.XML").string(), "-o", c.out.string()},
         "create " + (c.out / "Rock.ini").string() + "\n"},
        {{"ini2vrm", (c.red / "Rock.INI").string(), "--register", "--rc-dir", c.rcDir()},
         "create " + playlists + "Rock_Live.XML\nupdate " + list +
             ": add group Rock with 1 subgroup\n"},
        {{"ini2vrm", "--batch", c.red.string(), "--register", "--rc-dir", c.rcDir(),
          "--check-tracks", "--relocate", "C:\\=/"},
         "create " + playlists + "Rock_Live.XML\nupdate " + list +
             ": add group Rock with 1 subgroup\n"},
    };
    for (auto& k : cases) {
        k.args.push_back("--dry-run");
        const auto before = snapshot(c.dir.path());
        const auto r = runCapturedCli(k.args);
        EXPECT_EQ(r.status, 0) << k.args[0] << r.err;
        EXPECT_EQ(r.out, k.out) << k.args[0];
        EXPECT_EQ(snapshot(c.dir.path()), before) << k.args[0];
    }
    // A refusal is the real run's.
    const auto before = snapshot(c.dir.path());
    const auto refused = runCapturedCli({"m3u2vrm", (c.dir / "in" / "Mix.m3u").string(), "-o",
                                         (c.dir / "nowhere").string(), "--dry-run"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(snapshot(c.dir.path()), before);
}

TEST(MoveCli, BackupRotationOverSixRunsAndNoBackup) {
    Collection c;
    for (int n = 1; n <= 6; ++n) {
        const auto r = runCapturedCli({"ini2vrm", (c.red / "Rock.INI").string(), "--register",
                                       "--rc-dir", c.rcDir(), "--quiet"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    // Run n kept the list as it stood after n-1 runs; five are kept, the latest first.
    auto groups = [](const std::string& list) {
        std::size_t n = 0;
        for (auto at = list.find("<Group "); at != std::string::npos;
             at = list.find("<Group ", at + 1))
            ++n;
        return n;
    };
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(groups(readBytes(c.rc / ("Groups.xml." + std::to_string(k) + ".bak"))),
                  static_cast<std::size_t>(6 - k))
            << k;
    EXPECT_FALSE(fs::exists(c.rc / "Groups.xml.6.bak"));
    const auto oldest = readBytes(c.rc / "Groups.xml.5.bak");
    const auto r = runCapturedCli({"ini2vrm", (c.red / "Rock.INI").string(), "--register",
                                   "--rc-dir", c.rcDir(), "--no-backup", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBytes(c.rc / "Groups.xml.5.bak"), oldest);
    EXPECT_EQ(groups(readBytes(c.rc / "Groups.xml")), 7u);
}

TEST(MoveCli, ABackupThatCannotBeWrittenStopsTheRun) {
#ifdef _WIN32
    GTEST_SKIP() << "directory permissions are POSIX";
#else
    Collection c;
    writeBytes(c.rc / "Groups.xml.1.bak", "old");
    // A directory in the backup's way cannot be replaced by it.
    fs::remove(c.rc / "Groups.xml.1.bak");
    fs::create_directories(c.rc / "Groups.xml.1.bak");
    const auto r = runCapturedCli(
        {"ini2vrm", (c.red / "Rock.INI").string(), "--register", "--rc-dir", c.rcDir()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Groups.xml.1.bak"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(c.rc / "Groups.xml"), kGroupsXml);
#endif
}

TEST(MoveCli, AGroupAlreadyListed) {
    Collection c;
    const std::string rock = "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">";
    const std::string old = "      <SubGroup Name=\"Old\" pos=\"0\" src=\"C:\\x.XML\"/>";
    const std::string pop = "   <Group Name=\"Pop\" pos=\"2\" lastrow=\"-1\">";
    const std::string live = "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + c.rcDir() +
                             "Playlists" + kSep + "Rock_Live.XML\"/>";
    struct Case {
        const char* name;
        std::vector<std::string> list;
        bool replace;
        std::vector<std::string> expected;
        bool warned;
    } cases[] = {
        {"one earlier, added twice",
         {"<Groups>", rock, old, "   </Group>", "</Groups>"},
         false,
         {"<Groups>", rock, old, "   </Group>", rock, live, "   </Group>", "</Groups>"},
         true},
        {"one earlier, replaced",
         {"<Groups>", rock, old, "   </Group>", pop, "   </Group>", "</Groups>"},
         true,
         {"<Groups>", rock, live, "   </Group>", pop, "   </Group>", "</Groups>"},
         false},
        {"two earlier, replaced by one",
         {"<Groups>", pop, "   </Group>", rock, old, "   </Group>", rock, "   </Group>",
          "</Groups>"},
         true,
         {"<Groups>", pop, "   </Group>", rock, live, "   </Group>", "</Groups>"},
         false},
    };
    for (const auto& k : cases) {
        writeBytes(c.rc / "Groups.xml", [&] {
            std::string s;
            for (const auto& l : k.list)
                s += l + "\r\n";
            return s;
        }());
        std::vector<std::string> args = {"ini2vrm",    (c.red / "Rock.INI").string(),
                                         "--register", "--rc-dir",
                                         c.rcDir(),    "--quiet"};
        if (k.replace)
            args.push_back("--replace");
        const auto r = runCapturedCli(args);
        ASSERT_EQ(r.status, 0) << k.name << r.err;
        std::string expected;
        for (const auto& l : k.expected)
            expected += l + "\r\n";
        EXPECT_EQ(readBytes(c.rc / "Groups.xml"), expected) << k.name;
        EXPECT_EQ(r.err.find("warning: Group \"Rock\" was already in the group list; it is now "
                             "listed twice.") != std::string::npos,
                  k.warned)
            << k.name << r.err;
    }
}

std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

TEST(MoveCli, M3uEncodingsAndM3u8) {
    TempDir dir;
    fs::create_directories(dir / "out");
    struct Case {
        const char* what;
        const char* name;
        std::string bytes;
        std::vector<std::string> extra;
        std::string output;
        std::vector<std::string> media;
        const char* warning;
    } cases[] = {
        {"UTF-16 with a character outside the code page",
         "a.m3u",
         utf16le(u"#EXTM3U\r\nC:\\Caf\u00e9.mp3\r\nC:\\\u3042.mp3\r\nC:\\\u20ac.mp3\r\n"),
         {},
         "a.XML",
         {"C:\\Caf\xE9.mp3", "C:\\\x80.mp3"},
         ":3: the track holds U+3042, which the 8-bit code page of PCDJ cannot hold; it was "
         "skipped."},
        {"M3U8 by its name",
         "b.m3u8",
         "C:\\Caf\xC3\xA9.mp3\n",
         {},
         "b.XML",
         {"C:\\Caf\xE9.mp3"},
         nullptr},
        {"8-bit forced",
         "c.m3u",
         "C:\\Caf\xC3\xA9.mp3\n",
         {"--encoding", "8bit"},
         "c.XML",
         {"C:\\Caf\xC3\xA9.mp3"},
         nullptr},
        {"file URIs",
         "d.m3u",
         "file:///C:/Music/Caf%C3%A9%20One.mp3\r\nfile:///home/dj/a%26b.mp3\r\n",
         {},
         "d.XML",
         {"C:\\Music\\Caf\xE9 One.mp3", "/home/dj/a&amp;b.mp3"},
         nullptr},
    };
    for (const auto& k : cases) {
        writeBytes(dir / k.name, k.bytes);
        std::vector<std::string> args = {"m3u2vrm", (dir / k.name).string(), "-o",
                                         (dir / "out").string()};
        args.insert(args.end(), k.extra.begin(), k.extra.end());
        const auto r = runCapturedCli(args);
        ASSERT_EQ(r.status, 0) << k.what << r.err;
        EXPECT_EQ(readBytes(dir / "out" / k.output), vrmPlaylist(k.media)) << k.what;
        if (k.warning) {
            EXPECT_NE(r.err.find(k.warning), std::string::npos) << k.what << r.err;
        } else {
            EXPECT_EQ(r.err, "") << k.what;
        }
    }
    // And back out as M3U8: UTF-8 from the code page.
    const auto r = runCapturedCli(
        {"vrm2m3u", (dir / "out" / "a.XML").string(), "-o", (dir / "out").string(), "--m3u8"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBytes(dir / "out" / "a.m3u8"),
              crlf({"#EXTM3U", "C:\\Caf\xC3\xA9.mp3", "C:\\\xE2\x82\xAC.mp3"}));
}

TEST(MoveCli, RcDirIsNormalised) {
    Collection c;
    // Doubled separators and no trailing one.
    const std::string parent = c.rc.parent_path().string();
    const std::string doubled = parent + "//" + c.rc.filename().string();
    const auto r = runCapturedCli(
        {"ini2vrm", (c.red / "Rock.INI").string(), "--register", "--rc-dir", doubled, "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readBytes(c.rc / "Groups.xml")
                  .find("src=\"" + c.rcDir() + "Playlists" + kSep + "Rock_Live.XML\""),
              std::string::npos)
        << readBytes(c.rc / "Groups.xml");
}

TEST(MoveCli, CheckExitStatuses) {
    Collection c;
    writeBytes(c.dir / "ok" / "ok.m3u", crlf({"#EXTM3U", "../music/Dance/a.mp3"}));
    writeBytes(c.dir / "ok" / "notes.txt", "not a playlist");
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string summary;
    } cases[] = {
        {"all found, relative to the playlist",
         {"check", (c.dir / "ok").string()},
         0,
         "",
         "1 of 1 track found in 1 file\n"},
        {"some missing",
         {"check", (c.dir / "in" / "Mix.m3u").string()},
         3,
         (c.dir / "in" / "Mix.m3u").string() + ":2: C:\\Music\\Dance\\a.mp3\n" +
             (c.dir / "in" / "Mix.m3u").string() + ":3: c:\\music\\Dance\\b.mp3\n" +
             (c.dir / "in" / "Mix.m3u").string() + ":4: D:\\Other\\c.mp3\n",
         "0 of 3 tracks found in 1 file\n"},
        {"relocated first",
         {"check", (c.red / "Rock.INI").string(), "--relocate", "C:\\Music=" + c.music.string()},
         3,
         (c.red / "Rock.INI").string() + ":3: " + c.musicDir() + "Dance" + kSep + "b.mp3\n" +
             (c.red / "Rock.INI").string() + ":4: D:\\Other\\c.mp3\n",
         "1 of 3 tracks found in 1 file\n"},
        {"a file that cannot be read",
         {"check", (c.dir / "ok").string(), (c.dir / "gone.m3u").string()},
         1,
         "",
         "1 of 1 track found in 1 file\n"},
    };
    for (const auto& k : cases) {
        const auto r = runCapturedCli(k.args);
        EXPECT_EQ(r.status, k.status) << k.what << r.err;
        EXPECT_EQ(r.out, k.out) << k.what;
        EXPECT_TRUE(r.err.ends_with(k.summary)) << k.what << r.err;
    }
}

#ifndef _WIN32
TEST(MoveCli, CheckAGroupListThroughTheWinePrefix) {
    test::WinePrefix prefix;
    const auto c = prefix.driveC();
    writeBytes(c / "Music" / "a.mp3", "x");
    writeBytes(c / "FX" / "RC" / "Playlists" / "Rock_Live.XML",
               vrmPlaylist({"C:\\Music\\a.mp3", "C:\\Music\\gone.mp3"}));
    writeBytes(c / "FX" / "RC" / "Groups.xml",
               crlf({"<Groups>", "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
                     "      <SubGroup Name=\"Live\" pos=\"0\" "
                     "src=\"C:\\FX\\RC\\Playlists\\Rock_Live.XML\"/>",
                     "      <SubGroup Name=\"Gone\" pos=\"0\" "
                     "src=\"C:\\FX\\RC\\Playlists\\Rock_Gone.XML\"/>",
                     "   </Group>", "</Groups>"}));
    const auto r = runCapturedCli({"check", (c / "FX" / "RC" / "Groups.xml").string()});
    EXPECT_EQ(r.status, 3) << r.err;
    // Tracks only on stdout and in the count; a playlist the list names that is not there is
    // named apart.
    EXPECT_EQ(r.out, "C:\\FX\\RC\\Playlists\\Rock_Live.XML:7: C:\\Music\\gone.mp3\n");
    EXPECT_NE(r.err.find((c / "FX" / "RC" / "Groups.xml").string() +
                         ":4: the playlist \"C:\\FX\\RC\\Playlists\\Rock_Gone.XML\" of subgroup "
                         "\"Gone\" in group \"Rock\" was not found."),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(r.err.ends_with("1 of 2 tracks found in 2 files\n1 listed playlist not found\n"))
        << r.err;
}
#endif

// A group list is read as XML, as the export reads it: a relative src is taken from the list's
// directory, references are decoded, and LF line ends read as CR LF do.
TEST(MoveCli, CheckReadsAGroupListAsXml) {
    TempDir rc;
    writeBytes(rc / "music" / "R&B.mp3", "x");
    writeBytes(rc / "Playlists" / "R&B_Live.XML",
               vrmPlaylist({"../music/R&amp;B.mp3", "../music/gone.mp3"}));
    for (const std::string eol : {"\r\n", "\n"}) {
        writeBytes(rc / "Groups.xml",
                   "<Groups>" + eol + "<Group Name=\"R&amp;B\">" + eol +
                       "<SubGroup Name=\"Live\" src=\"Playlists/R&amp;B_Live.XML\"/>" + eol +
                       "</Group>" + eol + "</Groups>" + eol);
        const auto r = runCapturedCli({"check", (rc / "Groups.xml").string()});
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_EQ(r.out, (rc / "Playlists/R&B_Live.XML").string() + ":7: ../music/gone.mp3\n");
        EXPECT_TRUE(r.err.ends_with("1 of 2 tracks found in 2 files\n")) << r.err;
    }
}

// Files of the wrong kind: an .ini file that is no group file (binary, or with LF line ends) and
// an M3U file of NUL bytes fail the check with exit status 1, named; in a directory they are
// passed over with a warning. An M3U8 track the code page cannot hold is still looked up.
TEST(MoveCli, CheckSaysWhatIsNotAPlaylistAndChecksEveryM3u8Track) {
    TempDir dir;
    writeBytes(dir / "lf.ini", "[Live]\nTrack 1=;;;;;;|a.mp3||C:\\|||\n");
    writeBytes(dir / "binary.ini", std::string("\x7F"
                                               "ELF\x02\x01\x01\0\0\0\r\n\x03\0",
                                               14));
    std::string utf16; // UTF-16 LE without its byte-order mark
    for (char c : std::string_view("#EXTM3U\r\na.mp3\r\n"))
        utf16 += std::string{c, '\0'};
    writeBytes(dir / "wide.m3u", utf16);
    for (const char* name : {"lf.ini", "binary.ini", "wide.m3u"}) {
        const auto r = runCapturedCli({"check", (dir / name).string()});
        EXPECT_EQ(r.status, 1) << name << r.err;
        EXPECT_NE(r.err.find("The file \"" + (dir / name).string() + "\" is not a"),
                  std::string::npos)
            << name << r.err;
        EXPECT_TRUE(r.err.ends_with("0 of 0 tracks found in 0 files\n")) << name << r.err;
    }

    TempDir m3u8;
    writeBytes(m3u8.path() / fs::path(u8"here\u3042.mp3"), "x"); // "hereあ.mp3" on every system
    writeBytes(m3u8 / "list.m3u8", "#EXTM3U\nhere\xE3\x81\x82.mp3\ngone\xE3\x81\x82.mp3\n");
    const auto r = runCapturedCli({"check", m3u8.str()});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.out, (m3u8 / "list.m3u8").string() + ":3: gone\xE3\x81\x82.mp3\n");
    EXPECT_TRUE(r.err.ends_with("1 of 2 tracks found in 1 file\n")) << r.err;

    // In a directory, the files of the wrong kind are passed over.
    writeBytes(m3u8 / "lf.ini", "[Live]\nTrack 1=;;;;;;|a.mp3||C:\\|||\n");
    const auto inDir = runCapturedCli({"check", m3u8.str()});
    EXPECT_EQ(inDir.status, 3) << inDir.err;
    EXPECT_NE(inDir.err.find("is not a PCDJ RED group file"), std::string::npos) << inDir.err;
}

} // namespace
