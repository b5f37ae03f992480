// --search through the command line: every conversion, the export, check, dry runs and usage
// errors, on a collection whose music folder was reorganised.

#ifndef _WIN32
#include "settings/WinePrefixFixture.h"
#endif
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

const std::string kSep(1, static_cast<char>(fs::path::preferred_separator));

/// Three tracks of an old music folder, "Old": a.mp3 now lies in New/House, b.mp3 in two
/// folders of New that tie, c.mp3 nowhere. The same tracks as an M3U, a VRM playlist, a RED
/// group file, and a PCDJ FX library in a Wine prefix.
struct Reorganised {
    TempDir dir;
#ifdef _WIN32
    // Windows has no Wine prefix: the library lies in the test's directory, named as it is.
    fs::path rc = dir / "FX" / "RC";
    std::string rcDir = rc.string() + "\\";
#else
    test::WinePrefix prefix;
    fs::path rc = prefix.driveC() / "FX" / "RC";
    std::string rcDir = "C:\\FX\\RC\\";
#endif
    std::string listedLive = rcDir + "Playlists\\Rock_Live.XML";
    fs::path in = dir / "in";
    fs::path out = dir / "out";
    std::string oldDir = (dir / "Old").string() + kSep;
    std::string newDir = (dir / "New").string();
    std::string a = oldDir + "Dance" + kSep + "a.mp3";
    std::string b = oldDir + "Rock" + kSep + "b.mp3";
    std::string c = oldDir + "c.mp3";
    std::string foundA = newDir + kSep + "House" + kSep + "a.mp3";
    std::string tieB1 = newDir + kSep + "2019" + kSep + "b.mp3";
    std::string tieB2 = newDir + kSep + "2020" + kSep + "b.mp3";

    Reorganised() {
        writeBytes(dir / "New" / "House" / "a.mp3", "a");
        writeBytes(dir / "New" / "2019" / "b.mp3", "b");
        writeBytes(dir / "New" / "2020" / "b.mp3", "b");
        writeBytes(in / "Mix.m3u", crlf({"#EXTM3U", a, b, c}));
        writeBytes(in / "Rock_Live.XML", vrmPlaylist({a, b, c}));
        writeBytes(in / "red" / "Rock.INI",
                   crlf({"[Live]", "Track 1=;;;;;;|a.mp3||" + oldDir + "Dance" + kSep + "|||",
                         "Track 2=;;;;;;|b.mp3||" + oldDir + "Rock" + kSep + "|||",
                         "Track 3=;;;;;;|c.mp3||" + oldDir + "|||"}));
        writeBytes(rc / "Playlists" / "Rock_Live.XML", vrmPlaylist({a, b, c}));
        writeBytes(rc / "Groups.xml",
                   crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>",
                         "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
                         "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + listedLive + "\"/>",
                         "   </Group>", "</Groups>"}));
        fs::create_directories(out);
    }

    /// The warning about b.mp3, read from `source` at `line`.
    std::string tieWarning(const std::string& source, int line) const {
        return "warning: 1 track was found by name in more than one place and left as it was:\n" +
               source + ":" + std::to_string(line) + ": " + b + "\n    candidate: " + tieB1 +
               "\n    candidate: " + tieB2 + "\n";
    }
};

TEST(SearchCli, EveryConversionAndTheExportRelinkByName) {
    Reorganised r;
    const std::string mix = (r.in / "Mix.m3u").string();
    const std::string live = (r.in / "Rock_Live.XML").string();
    const std::string ini = (r.in / "red" / "Rock.INI").string();
    struct Case {
        std::vector<std::string> args;
        std::string output; ///< below out/
        std::string expected;
        std::string warning;
    } cases[] = {
        {{"m3u2vrm", mix, "-o", r.out.string()},
         "Mix.XML",
         vrmPlaylist({r.foundA, r.b, r.c}),
         r.tieWarning(mix, 3)},
        {{"vrm2m3u", live, "-o", r.out.string()},
         "Rock_Live.m3u",
         crlf({"#EXTM3U", r.foundA, r.b, r.c}),
         r.tieWarning(live, 7)},
        {{"ini2vrm", ini, "-o", r.out.string()},
         "Rock_Live.XML",
         vrmPlaylist({r.foundA, r.b, r.c}),
         r.tieWarning(ini, 3)},
        {{"export", "--rc-dir", r.rcDir, "-o", r.out.string()},
         "Rock/Live.m3u",
         crlf({"#EXTM3U", r.foundA, r.b, r.c}),
         r.tieWarning(r.listedLive, 7)},
    };
    for (auto& k : cases) {
        k.args.insert(k.args.end(), {"--search", r.newDir});
        const auto run = runCapturedCli(k.args);
        ASSERT_EQ(run.status, 0) << k.args[0] << run.err;
        EXPECT_EQ(readBytes(r.out / k.output), k.expected) << k.args[0];
        EXPECT_NE(run.out.find("1 of 3 missing tracks found by name.\n"), std::string::npos)
            << k.args[0] << run.out;
        EXPECT_NE(run.err.find(k.warning), std::string::npos) << k.args[0] << run.err;
        fs::remove_all(r.out);
        fs::create_directories(r.out);
    }

    // vrm2ini writes the path found, split as any other.
    const auto run = runCapturedCli({"vrm2ini", live, "-o", r.out.string(), "--search", r.newDir});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string written = readBytes(r.out / "Rock.ini");
    EXPECT_NE(written.find(r.foundA.substr(r.foundA.find_last_of(kSep) + 1)), std::string::npos)
        << written;
    EXPECT_NE(written.find(r.newDir), std::string::npos) << written;
    EXPECT_EQ(written.find((r.dir / "Old" / "Dance").string()), std::string::npos) << written;
    EXPECT_NE(run.out.find("1 of 3 missing tracks found by name.\n"), std::string::npos) << run.out;
}

TEST(SearchCli, DryRunReportsTheSameAndWritesNothing) {
    Reorganised r;
    const auto before = snapshot(r.dir.path());
    const std::string mix = (r.in / "Mix.m3u").string();
    const auto run = runCapturedCli({"m3u2vrm", mix, "-o", r.out.string(), "--search", r.newDir,
                                     "--dry-run", "--check-tracks"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "create " + (r.out / "Mix.XML").string() +
                           "\n1 of 3 missing tracks found by name.\n");
    EXPECT_NE(run.err.find(r.tieWarning(mix, 3)), std::string::npos) << run.err;
    // The check counts the track found as found.
    EXPECT_NE(run.err.find("warning: 2 of 3 tracks not found\n"), std::string::npos) << run.err;
    EXPECT_EQ(snapshot(r.dir.path()), before);
}

TEST(SearchCli, CheckPrintsWhereEachMissingTrackWouldBeRelinked) {
    Reorganised r;
    const std::string mix = (r.in / "Mix.m3u").string();
    const auto run = runCapturedCli({"check", mix, "--search", r.newDir});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_EQ(run.out, mix + ":2: " + r.a + "\n    found: " + r.foundA + "\n" + mix + ":3: " + r.b +
                           "\n    candidate: " + r.tieB1 + "\n    candidate: " + r.tieB2 + "\n" +
                           mix + ":4: " + r.c + "\n");
    EXPECT_TRUE(
        run.err.ends_with("1 of 3 tracks found in 1 file\n1 of 3 missing tracks found by name\n"))
        << run.err;

    // Once every missing track would be found, check is content.
    writeBytes(r.dir / "New" / "Archive" / "Rock" / "b.mp3", "b");
    writeBytes(r.dir / "New" / "c.mp3", "c");
    const auto all = runCapturedCli({"check", mix, "--search", r.newDir});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(
        all.err.ends_with("3 of 3 tracks found in 1 file\n3 of 3 missing tracks found by name\n"))
        << all.err;

    // A playlist a group list names is not searched for: it is no track to relink.
    const fs::path rc = r.rc;
    fs::remove(rc / "Playlists" / "Rock_Live.XML");
    writeBytes(r.dir / "New" / "Rock_Live.XML", vrmPlaylist({}));
    const auto list = runCapturedCli({"check", (rc / "Groups.xml").string(), "--search", r.newDir});
    EXPECT_EQ(list.status, 3) << list.err;
    // It is named apart from the tracks, as a playlist not found.
    EXPECT_EQ(list.out, "");
    EXPECT_NE(
        list.err.find((rc / "Groups.xml").string() + ":4: the playlist \"" + r.listedLive + "\""),
        std::string::npos)
        << list.err;
}

#ifndef _WIN32
// A folder to search whose own name is accented is read as the disk spells it (UTF-8 here), and
// what is found there is shown as typed.
TEST(SearchCli, AFolderWithAnAccentedNameIsSearched) {
    Reorganised r;
    const std::string accented = (r.dir / "M\xC3\xBAsica").string();
    writeBytes(fs::path(accented) / "Dance" / "c.mp3", "c");
    const std::string mix = (r.in / "Mix.m3u").string();
    const auto run = runCapturedCli({"check", mix, "--search", accented});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.out.find(mix + ":4: " + r.c + "\n    found: " + accented + "/Dance/c.mp3\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err.find("could not be listed"), std::string::npos) << run.err;
}
#endif

TEST(SearchCli, UsageErrors) {
    Reorganised r;
    const std::string mix = (r.in / "Mix.m3u").string();
    const auto missing =
        runCapturedCli({"m3u2vrm", mix, "-o", r.out.string(), "--search", r.newDir + "-gone"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("--search: the directory \"" + r.newDir + "-gone\" does not exist"),
              std::string::npos)
        << missing.err;
    const auto file = runCapturedCli({"check", mix, "--search", mix});
    EXPECT_EQ(file.status, 2);
    EXPECT_NE(file.err.find("--search: \"" + mix + "\" is a file, not a directory"),
              std::string::npos)
        << file.err;
#ifndef _WIN32
    fs::create_directories(r.dir / "\xE3\x81\x82");
    const auto unicode =
        runCapturedCli({"vrm2m3u", (r.in / "Rock_Live.XML").string(), "-o", r.out.string(),
                        "--search", (r.dir / "\xE3\x81\x82").string()});
    EXPECT_EQ(unicode.status, 2);
    EXPECT_NE(unicode.err.find("U+3042"), std::string::npos) << unicode.err;
#endif
    EXPECT_TRUE(snapshot(r.out).empty());
}

} // namespace
