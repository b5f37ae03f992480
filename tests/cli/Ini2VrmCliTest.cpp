#include "settings/WinePrefixFixture.h"
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
using test::writeBytes;

namespace {

CliOutcome run(const std::vector<std::string>& args, bool terminal = false) {
    return test::runCapturedCli(args, terminal);
}

const std::string kRockIni = crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||"});

TEST(Ini2VrmCli, UsageErrorsExitWithTwoAndShowUsage) {
    TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"ini2vrm"},
        {"ini2vrm", "x.INI"}, // neither --output nor --register
        {"ini2vrm", "x.INI", "--output", dir.str(), "--register"}, // both
        {"ini2vrm", "x.INI", "--output", dir.str(), "--rc-dir", dir.str(true)},
        {"ini2vrm", "x.INI", "--output", dir.str(), "--bogus"},
        {"frobnicate"},
    };
    for (const auto& args : cases) {
        auto r = run(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(r.status, 2) << joined;
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << joined << "\n" << r.err;
    }
}

// A subgroup whose playlist file name is exactly 255 bytes long, the most a file system allows,
// still gives its playlist, in register mode too.
TEST(Ini2VrmCli, PlaylistNameOfTheLongestLength) {
    TempDir red, rc;
    const std::string subgroup(255 - std::string("Rock_.XML").size(), 's');
    writeBytes(red / "Rock.INI",
               crlf({"[" + subgroup + "]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||"}));
    writeBytes(rc / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    fs::create_directory(rc / "Playlists");
    const std::string file = "Rock_" + subgroup + ".XML";
    ASSERT_EQ(file.size(), 255u);
    auto r = run({"ini2vrm", (red / "Rock.INI").string(), "--register", "--rc-dir", rc.str(true),
                  "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto files = snapshot(rc.path());
    EXPECT_NE(files["Playlists/" + file].find("One.mp3"), std::string::npos);
    EXPECT_NE(files["Groups.xml"].find(file), std::string::npos);
}

#ifndef _WIN32
// A group list kept elsewhere and linked into the RC directory stays linked after the update, and
// keeps its permissions.
TEST(Ini2VrmCli, GroupListLinkedIntoTheRcDirectoryStaysALink) {
    TempDir red, rc, elsewhere;
    writeBytes(red / "Rock.INI", kRockIni);
    writeBytes(elsewhere / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(elsewhere / "Groups.xml", perms);
    fs::create_symlink(elsewhere / "Groups.xml", rc / "Groups.xml");
    fs::create_directory(rc / "Playlists");
    auto r = run({"ini2vrm", (red / "Rock.INI").string(), "--register", "--rc-dir", rc.str(true),
                  "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(rc / "Groups.xml"));
    const std::string list = readBytes(elsewhere / "Groups.xml");
    EXPECT_NE(list.find("<Group Name=\"Rock\""), std::string::npos) << list;
    EXPECT_EQ(fs::status(elsewhere / "Groups.xml").permissions(), perms);
    EXPECT_EQ(snapshot(elsewhere.path()).size(), 1u);
}
#endif

// Messages say what happened: an error is printed on a line of its own, never inside the progress
// line; the batch summary names each file it skipped and why.
TEST(Ini2VrmCli, MessagesOnTheirOwnLineAndSkippedFilesNamed) {
    TempDir red, out;
    writeBytes(red / "Rock.INI", kRockIni);
    fs::create_directory(out / "Rock_Live.XML"); // a directory where the playlist goes
    auto r = run({"ini2vrm", (red / "Rock.INI").string(), "--output", out.str()}, true);
    EXPECT_EQ(r.status, 1);
    const auto at = r.err.find("Cannot write");
    ASSERT_NE(at, std::string::npos) << r.err;
    EXPECT_TRUE(at == 0 || r.err[at - 1] == '\n' ||
                (at >= 4 && r.err.compare(at - 4, 4, "\r\x1b[K") == 0))
        << r.err;

    TempDir out2;
    writeBytes(red / "CD AUDIO.INI", kRockIni);
    writeBytes(red / "Notes.INI", crlf({"just", "notes"}));
    r = run({"ini2vrm", "--batch", red.str(), "--output", out2.str()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("(2 skipped)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Skipped CD AUDIO.INI: PCDJ RED's CD audio group"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Skipped Notes.INI: not a group file\n"), std::string::npos) << r.out;
}

#ifndef _WIN32
// A registry file that is there but cannot be read is reported as such, with the reason, not as a
// setting that is missing.
TEST(Ini2VrmCli, UnreadableRegistryIsNamed) {
    test::WinePrefix wine;
    fs::create_directory(wine.path() / "system.reg");
    TempDir red;
    writeBytes(red / "Rock.INI", kRockIni);
    auto r = run({"ini2vrm", (red / "Rock.INI").string(), "--register"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("system.reg\" cannot be read: it is a directory"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("not defined"), std::string::npos) << r.err;
}

// Windows-form paths typed with "/" (as a shell under Wine invites) work in every sub-command,
// and the group list names the playlists in Windows form.
TEST(Ini2VrmCli, WindowsPathsTypedWithSlashes) {
    test::WinePrefix wine;
    const fs::path c = wine.driveC();
    writeBytes(c / "Red" / "Rock.INI", kRockIni);
    writeBytes(c / "FX" / "RC" / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    for (const char* dir : {"Out", "Batch", "M3u", "Vrm", "Ini", "FX/RC/Playlists"})
        fs::create_directories(c / dir);
    const std::vector<std::vector<std::string>> runs = {
        {"ini2vrm", "C:/Red/Rock.INI", "--output", "C:/Out"},
        {"ini2vrm", "--batch", "C:/Red", "--output", "C:/Batch"},
        {"vrm2m3u", "C:/Out/Rock_Live.XML", "--output", "C:/M3u"},
        {"m3u2vrm", "C:/M3u/Rock_Live.m3u", "--output", "C:/Vrm"},
        {"vrm2ini", "C:/Out/Rock_Live.XML", "--output", "C:/Ini"},
        {"ini2vrm", "C:/Red/Rock.INI", "--register", "--rc-dir", "C:/FX/RC/"},
    };
    for (const auto& args : runs) {
        auto r = run(args);
        EXPECT_EQ(r.status, 0) << args[0] << " " << args[1] << ": " << r.err;
    }
    for (const char* file : {"Out/Rock_Live.XML", "Batch/Rock_Live.XML", "M3u/Rock_Live.m3u",
                             "Vrm/Rock_Live.XML", "Ini/Rock.ini", "FX/RC/Playlists/Rock_Live.XML"})
        EXPECT_TRUE(fs::is_regular_file(c / file)) << file;
    EXPECT_NE(readBytes(c / "FX" / "RC" / "Groups.xml")
                  .find("src=\"C:\\FX\\RC\\Playlists\\Rock_Live.XML\""),
              std::string::npos)
        << readBytes(c / "FX" / "RC" / "Groups.xml");
}
#endif

TEST(Ini2VrmCli, HelpAndVersion) {
    auto help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("ini2vrm"), std::string::npos);
    auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "deckshift 2.2.3\n");
}

TEST(Ini2VrmCli, SingleFileBatchAndRegister) {
    TempDir red, out, rc;
    writeBytes(red / "Rock.INI", kRockIni);
    writeBytes(red / "Pop.INI", crlf({"[Hits]", "Track 1=;;;;;;|P.mp3||C:\\|||"}));
    writeBytes(rc / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    fs::create_directory(rc / "Playlists");

    auto single = run({"ini2vrm", (red / "Rock.INI").string(), "--output", out.str(), "--quiet"});
    EXPECT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(single.out, "");
    EXPECT_EQ(snapshot(out.path()).size(), 1u);

    TempDir out2;
    auto batch = run({"ini2vrm", "--batch", red.str(), "--output", out2.str()});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_NE(batch.out.find("Converted 2 group files into 2 playlists"), std::string::npos)
        << batch.out;
    EXPECT_EQ(snapshot(out2.path()).size(), 2u);

    auto reg = run({"ini2vrm", "--batch", red.str(), "--register", "--rc-dir", rc.str(true)});
    EXPECT_EQ(reg.status, 0) << reg.err;
    const std::string list = readBytes(rc / "Groups.xml");
    EXPECT_NE(list.find("<Group Name=\"Pop\""), std::string::npos) << list;
    EXPECT_NE(list.find("<Group Name=\"Rock\""), std::string::npos) << list;
}

TEST(Ini2VrmCli, RefusalsExitWithOneAndTheSystemsOwnText) {
    TempDir red, out, empty;
    writeBytes(red / "notes.INI", crlf({"not", "a group"}));
    writeBytes(red / "Rock.INI", kRockIni);
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"ini2vrm", (red / "notes.INI").string(), "--output", out.str()},
         (red / "notes.INI").string() + ": This is not a PCDJ .INI file. Nothing was written.\n"},
        // --rc-dir names the directory itself: no presence test, but a list to update.
        {{"ini2vrm", (red / "Rock.INI").string(), "--register", "--rc-dir", empty.str(true)},
         "Cannot open \"" + empty.str(true) +
             "Groups.xml\": No such file or directory. Nothing was written. Please check that "
             "this is the PCDJ FX RecordCase directory and that its group list Groups.xml is "
             "there, or convert without registering the group.\n"},
        {{"ini2vrm", (red / "Rock.INI").string(), "--register", "--rc-dir",
          (empty / "gone").string()},
         "--rc-dir: the directory \"" + (empty / "gone").string() +
             "\" does not exist. Please name the PCDJ FX RecordCase directory.\n"},
    };
    for (const auto& c : cases) {
        auto r = run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_TRUE(snapshot(out.path()).empty());
}

TEST(Ini2VrmCli, RegisterWithoutRegistrySettingFails) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows reads its own registry, not a Wine prefix";
#endif
    TempDir red, prefix;
    writeBytes(red / "Rock.INI", kRockIni);
    test::ScopedEnv env("WINEPREFIX", prefix.str()); // a prefix with no registry files
    auto r = run({"ini2vrm", (red / "Rock.INI").string(), "--register"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.starts_with("PCDJ FX RC Path is not defined propertly in Registry. "
                                  "Aborting!\nTo go on, name the PCDJ FX RecordCase directory"))
        << r.err;
}

TEST(Ini2VrmCli, SkippedLinesAreAWarningNotAFailure) {
    TempDir red, out;
    writeBytes(red / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|a||C:\\|||", "oops"}));
    auto r = run({"ini2vrm", (red / "Rock.INI").string(), "--output", out.str()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err.rfind("warning: ", 0), 0u) << r.err;
}

} // namespace

namespace {

TEST(Ini2VrmCli, RegisterModeThroughAWinePrefixRegistry) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows reads its own registry, not a Wine prefix";
#endif
    test::WinePrefix prefix;
    // The RC directory as PCDJ FX set it up, in other letter case on disk than in the registry,
    // and with the playlist directory spelled "PlayLists".
    const auto rc = prefix.driveC() / "fx" / "rc";
    fs::create_directories(rc / "PlayLists");
    writeBytes(rc / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    // A value written with doubled separators: Wine's .reg escapes each of them once more.
    prefix.writeSystemReg("WINE REGISTRY Version 2\n"
                          ";; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
                          "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1796854322\n"
                          "#time=1d9f1e2a3b4c5d6\n"
                          "\"CONFIG_RC_PATH\"=\"C:\\\\\\\\FX\\\\\\\\RC\\\\\\\\\"\n");
    TempDir red;
    writeBytes(red / "Rock & Roll.INI",
               crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||", "[Studio]"}));

    auto r = run({"ini2vrm", (red / "Rock & Roll.INI").string(), "--register"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBytes(rc / "Groups.xml"),
              crlf({"<Groups>", "   <Group Name=\"Rock & Roll\" pos=\"2\" lastrow=\"-1\">",
                    "      <SubGroup Name=\"Live\" pos=\"0\" "
                    "src=\"C:\\FX\\RC\\PlayLists\\Rock & Roll_Live.XML\"/>",
                    "      <SubGroup Name=\"Studio\" pos=\"0\" "
                    "src=\"C:\\FX\\RC\\PlayLists\\Rock & Roll_Studio.XML\"/>",
                    "   </Group>", "</Groups>"}));
    auto playlists = snapshot(rc / "PlayLists");
    ASSERT_EQ(playlists.size(), 2u);
    EXPECT_EQ(playlists["Rock & Roll_Live.XML"],
              crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>",
                    "      <seq>", "         <media src=\"C:\\Audio\\One.mp3\">",
                    "         </media>", "      </seq>", "   </body>", "</smil>"}));
}

} // namespace
