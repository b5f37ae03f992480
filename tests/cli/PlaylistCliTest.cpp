// deckshift-cli vrm2ini, m3u2vrm and vrm2m3u, run in process.

#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using namespace deckshift;
using test::CliOutcome;
using test::crlf;
using test::readBytes;
using test::snapshot;
using test::TempDir;
using test::vrmPlaylist;
using test::writeBytes;

namespace {

CliOutcome run(const std::vector<std::string>& args, bool terminal = false) {
    return test::runCapturedCli(args, terminal);
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args)
        text += a + " ";
    return text;
}

// A source of the wrong kind is refused before anything is written, so a good file of the user's
// at the output's name is never replaced by an empty one; an --output that names a file says so.
TEST(PlaylistCli, WrongKindOfSourceOrOutputIsRefused) {
    TempDir src, out;
    const std::string m3u = crlf({"#EXTM3U", "C:\\Music\\a.mp3"});
    writeBytes(src / "Party.m3u", m3u);
    writeBytes(src / "Rock_Live.XML", m3u); // named like a playlist, holds an M3U
    writeBytes(src / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
    writeBytes(out / "Party.m3u", "my good playlist\r\n");
    writeBytes(out / "Rock.XML", "my good VRM\r\n");
    writeBytes(src / "file", "not a directory");
    writeBytes(src / "Pop_Live.XML", vrmPlaylist({"C:\\Music\\b.mp3"}));
    const struct {
        std::vector<std::string> args;
        const char* mentions[2];
    } cases[] = {
        {{"vrm2m3u", (src / "Party.m3u").string(), "--output", out.str()},
         {"Party.m3u", "not a PCDJ FX VRM playlist"}},
        {{"vrm2ini", (src / "Rock_Live.XML").string(), "--output", out.str()},
         {"Rock_Live.XML", "not a PCDJ FX VRM playlist"}},
        {{"m3u2vrm", (src / "Rock.INI").string(), "--output", out.str()}, {"Rock.INI", ".m3u"}},
        {{"m3u2vrm", (src / "Party.m3u").string(), "--output", (src / "file").string()},
         {"file", "is a file, not a directory"}},
        {{"vrm2m3u", (src / "Pop_Live.XML").string(), "--output", (src / "file").string()},
         {"file", "is a file, not a directory"}},
        {{"vrm2ini", (src / "Pop_Live.XML").string(), "--output", (src / "file").string()},
         {"file", "is a file, not a directory"}},
        {{"ini2vrm", (src / "Rock.INI").string(), "--output", (src / "file").string()},
         {"file", "is a file, not a directory"}},
    };
    const auto srcBefore = snapshot(src.path());
    const auto outBefore = snapshot(out.path());
    for (const auto& k : cases) {
        const auto r = run(k.args);
        EXPECT_EQ(r.status, 1) << joined(k.args) << "\n" << r.err;
        for (const char* m : k.mentions)
            EXPECT_NE(r.err.find(m), std::string::npos) << joined(k.args) << "\n" << r.err;
        EXPECT_EQ(snapshot(src.path()), srcBefore) << joined(k.args);
        EXPECT_EQ(snapshot(out.path()), outBefore) << joined(k.args);
    }
    // Any letter case of the M3U extensions is taken.
    writeBytes(src / "Mix.M3U8", m3u);
    const auto r = run({"m3u2vrm", (src / "Mix.M3U8").string(), "--output", out.str(), "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
}

// Usage errors name what is wrong and show the usage of the sub-command, named with the program.
TEST(PlaylistCli, UsageErrorsNameTheProblem) {
    TempDir dir;
    writeBytes(dir / "a.m3u", crlf({"\\a.mp3"}));
    const struct {
        std::vector<std::string> args;
        const char* mentions[2];
    } cases[] = {
        {{"frobnicate"}, {"unknown sub-command", "frobnicate"}},
        {{"--quiet", "m3u2vrn", "a.m3u"}, {"unknown sub-command", "m3u2vrn"}},
        {{"m3u2vrm", (dir / "a.m3u").string(), "--output", dir.str(), "--drive", "music"},
         {"--drive", "Usage: deckshift-cli m3u2vrm"}},
        {{"m3u2vrm", (dir / "a.m3u").string(), "--output", dir.str(), "--drive", "1: [X]"},
         {"--drive", "Usage: deckshift-cli m3u2vrm"}},
        // The drive list's text for a root without a drive letter is no drive to put in front.
        {{"m3u2vrm", (dir / "a.m3u").string(), "--output", dir.str(), "--drive", "/"},
         {"--drive", "Usage: deckshift-cli m3u2vrm"}},
        {{"m3u2vrm"}, {"PLAYLIST", "Usage: deckshift-cli m3u2vrm"}},
        {{"vrm2ini", "--output", dir.str()}, {"PLAYLIST", "Usage: deckshift-cli vrm2ini"}},
        {{"ini2vrm"}, {"SOURCE", "Usage: deckshift-cli ini2vrm"}},
    };
    for (const auto& k : cases) {
        const auto r = run(k.args);
        EXPECT_EQ(r.status, 2) << joined(k.args);
        for (const char* m : k.mentions)
            EXPECT_NE(r.err.find(m), std::string::npos) << joined(k.args) << "\n" << r.err;
        EXPECT_EQ(snapshot(dir.path()).size(), 1u) << joined(k.args);
    }
    const auto drive =
        run({"m3u2vrm", (dir / "a.m3u").string(), "--output", dir.str(), "--drive", "d: [MUSIC]"});
    EXPECT_EQ(drive.status, 0) << drive.err;
    EXPECT_NE(readBytes(dir / "a.XML").find("d:\\a.mp3"), std::string::npos);
}

TEST(PlaylistCli, UsageErrorsExitWithTwoAndShowUsage) {
    TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"vrm2ini"},
        {"vrm2ini", "Rock_Live.XML"},
        {"vrm2ini", "Rock_Live.XML", "--output", dir.str(), "--drive", "d:"},
        {"m3u2vrm", "a.m3u"},
        {"m3u2vrm", "a.m3u", "--output", dir.str(), "--drive"},
        {"vrm2m3u", "--output", dir.str()},
        {"vrm2m3u", "a.XML", "--output", dir.str(), "--bogus"},
    };
    for (const auto& args : cases) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 2) << joined(args);
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << joined(args) << "\n" << r.err;
        EXPECT_TRUE(snapshot(dir.path()).empty()) << joined(args);
    }
    const auto help = run({"--help"});
    for (const char* name : {"vrm2ini", "m3u2vrm", "vrm2m3u"})
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
}

TEST(PlaylistCli, Vrm2IniConvertsThePickedPlaylistsGroup) {
    TempDir fx, out;
    writeBytes(fx / "Rock_Live.XML",
               vrmPlaylist({"C:\\Audio\\One.mp3", "C:\\Audio\\Tom &amp; Jerry&apos;s.mp3"}));
    writeBytes(fx / "Rock_Studio.XML", vrmPlaylist({"Song.mp3"}));
    writeBytes(fx / "Rockabilly_Hits.XML", vrmPlaylist({"C:\\Billy.mp3"}));
    const std::string expected = crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||",
                                       "Track 2=;;;;;;|Tom & Jerry's.mp3||C:\\Audio\\|||",
                                       "[Studio]", "Track 1=;;;;;;|Song.mp3|||||"});

    const auto r = run({"vrm2ini", (fx / "Rock_Studio.XML").string(), "--output", out.str()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "Converted 2 playlists with 3 entries into " + out.str(true) + "Rock.ini.\n");
    EXPECT_EQ(readBytes(out / "Rock.ini"), expected);

    TempDir quietOut;
    const auto quiet =
        run({"vrm2ini", (fx / "Rock_Live.XML").string(), "-o", quietOut.str(), "--quiet"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(snapshot(quietOut.path()),
              (std::map<std::string, std::string>{{"Rock.ini", expected}}));
}

TEST(PlaylistCli, M3u2VrmTakesTheDriveListsText) {
    TempDir src, out;
    writeBytes(src / "Party.m3u", "#EXTM3U\n#EXTINF:1,x\n\\Music\\a & b.mp3\nrel.mp3\n");
    struct Case {
        std::vector<std::string> driveArgs;
        std::string rooted;
    } cases[] = {
        {{"--drive", "d: [MUSIC]"}, "d:\\Music\\a &amp; b.mp3"},
#ifdef _WIN32
        {{}, src.str().substr(0, 2) + "\\Music\\a &amp; b.mp3"}, // the source's own drive
#else
        {{}, "\\Music\\a &amp; b.mp3"}, // a native path lends no drive
#endif
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"m3u2vrm", (src / "Party.m3u").string(), "--output",
                                      out.str()};
        args.insert(args.end(), c.driveArgs.begin(), c.driveArgs.end());
        const auto r = run(args);
        ASSERT_EQ(r.status, 0) << joined(args) << r.err;
        EXPECT_EQ(r.out, "Wrote 2 tracks to " + out.str(true) + "Party.XML.\n");
        EXPECT_EQ(readBytes(out / "Party.XML"), vrmPlaylist({c.rooted, "rel.mp3"})) << joined(args);
    }
}

TEST(PlaylistCli, RoundTripsThroughTheCommandLine) {
    // M3U -> VRM -> M3U: directives go, a rooted path gains the drive, every other byte stays.
    TempDir m3u, vrmDir, back;
    writeBytes(m3u / "Mix.m3u",
               "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,t\r\nC:\\R&B\\Tom's &amp; <x>.mp3\r\n"
               "\r\n\\root\\caf\xE9.mp3\r\n  blank  \r\n");
    ASSERT_EQ(
        run({"m3u2vrm", (m3u / "Mix.m3u").string(), "-o", vrmDir.str(), "--drive", "e:"}).status,
        0);
    ASSERT_EQ(run({"vrm2m3u", (vrmDir / "Mix.XML").string(), "-o", back.str()}).status, 0);
    EXPECT_EQ(readBytes(back / "Mix.m3u"), crlf({"#EXTM3U", "C:\\R&B\\Tom's &amp; <x>.mp3", "",
                                                 "e:\\root\\caf\xE9.mp3", "  blank  "}));

    // INI -> VRM -> INI.
    TempDir red, fx, red2;
    const std::string ini =
        crlf({"[A & B]", "Track 1=;;;;;;|Tom & Jerry's.mp3||C:\\R&B\\|||",
              "Track 2=;;;;;;|&amp;apos;.mp3||C:\\\"q\"\\|||", "Track 3=;;;;;;|Song.mp3|||||",
              "[Live_Set]", "Track 1=;;;;;;|caf\xE9\xFF.mp3||D:\\M\xFCsik\\|||"});
    writeBytes(red / "Rock.INI", ini);
    ASSERT_EQ(run({"ini2vrm", (red / "Rock.INI").string(), "-o", fx.str(), "-q"}).status, 0);
    ASSERT_EQ(run({"vrm2ini", (fx / "Rock_A & B.XML").string(), "-o", red2.str(), "-q"}).status, 0);
    EXPECT_EQ(readBytes(red2 / "Rock.ini"), ini);
}

TEST(PlaylistCli, RefusalsAndFailuresExitWithOneAndNameTheProblem) {
    TempDir fx, out;
    writeBytes(fx / "Rock_Live.XML", vrmPlaylist({"C:\\a.mp3"}));
    writeBytes(fx / "Loose.XML", vrmPlaylist({"C:\\a.mp3"}));
    writeBytes(fx / "same.m3u", vrmPlaylist({"C:\\a.mp3"}));
    writeBytes(fx / "list.m3u", crlf({"a.mp3"}));
    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    } cases[] = {
        {{"vrm2ini", (fx / "Loose.XML").string(), "-o", out.str()},
         "\"Loose.XML\" belongs to no group"},
        {{"vrm2ini", (fx / "Rock_Gone.XML").string(), "-o", out.str()}, "Rock_Gone.XML"},
        {{"vrm2ini", (fx / "Rock_Live.XML").string(), "-o", (out / "missing").string()},
         "does not exist"},
        {{"m3u2vrm", (fx / "gone.m3u").string(), "-o", out.str()}, "gone.m3u"},
        {{"m3u2vrm", (fx / "list.m3u").string(), "-o", (out / "missing").string()},
         "does not exist"},
        {{"vrm2m3u", (fx / "same.m3u").string(), "-o", fx.str()}, "same.m3u"},
    };
    const auto before = snapshot(fx.path());
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.status, 1) << joined(c.args);
        EXPECT_EQ(r.out, "") << joined(c.args);
        EXPECT_NE(r.err.find(c.mentions), std::string::npos) << joined(c.args) << "\n" << r.err;
        EXPECT_EQ(r.err.find("Usage"), std::string::npos) << joined(c.args);
        EXPECT_TRUE(snapshot(out.path()).empty()) << joined(c.args);
        EXPECT_EQ(snapshot(fx.path()), before) << joined(c.args);
    }
}

TEST(PlaylistCli, ProgressLineOnlyOnATerminalAndNotWhenQuiet) {
    TempDir fx, out;
    writeBytes(fx / "Rock_Live.XML", vrmPlaylist({"C:\\a.mp3"}));
    writeBytes(fx / "list.m3u", crlf({"a.mp3"}));
    const std::vector<std::vector<std::string>> commands = {
        {"vrm2ini", (fx / "Rock_Live.XML").string(), "-o", out.str()},
        {"m3u2vrm", (fx / "list.m3u").string(), "-o", out.str()},
        {"vrm2m3u", (fx / "Rock_Live.XML").string(), "-o", out.str()},
    };
    for (const auto& args : commands) {
        const auto terminal = run(args, true);
        EXPECT_EQ(terminal.status, 0) << joined(args);
        // Drawn, then removed again before the run ends.
        EXPECT_NE(terminal.err.find("\r\x1b[K"), std::string::npos) << joined(args);
        EXPECT_TRUE(terminal.err.ends_with("\r\x1b[K")) << joined(args);
        EXPECT_EQ(run(args, false).err, "") << joined(args);
        auto quietArgs = args;
        quietArgs.push_back("--quiet");
        const auto quiet = run(quietArgs, true);
        EXPECT_EQ(quiet.err, "") << joined(args);
        EXPECT_EQ(quiet.out, "") << joined(args);
    }
}

} // namespace
