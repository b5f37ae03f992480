// What the command line says: messages that name their file, a second line saying how to go on
// after a registry message, why a file of a batch was skipped, and progress on a terminal.

#include "convert/ExportLibrary.h"
#include "settings/WinePrefixFixture.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace deckshift;
using test::crlf;
using test::runCapturedCli;
using test::snapshot;
using test::TempDir;
using test::writeBytes;

namespace {

const std::string kRockIni = crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||"});

TEST(MessagesCli, AFileThatIsNoGroupFileIsNamed) {
    TempDir red, out;
    writeBytes(red / "notes.INI", crlf({"not", "a group"}));
    const auto r = runCapturedCli({"ini2vrm", (red / "notes.INI").string(), "--output", out.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, (red / "notes.INI").string() +
                         ": This is not a PCDJ .INI file. Nothing was written.\n");
    EXPECT_TRUE(snapshot(out.path()).empty());
}

TEST(MessagesCli, SkippedCdAudioGroupSaysWhy) {
    TempDir red, out;
    writeBytes(red / "CD AUDIO.INI", kRockIni);
    writeBytes(red / "Rock.INI", kRockIni);
    const auto r = runCapturedCli({"ini2vrm", "--batch", red.str(), "--output", out.str()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Skipped CD AUDIO.INI: PCDJ RED's CD audio group, which names no files "
                         "to convert\n"),
              std::string::npos)
        << r.out;
}

#ifndef _WIN32
// Without a usable registry setting, register mode and the export say how to go on.
TEST(MessagesCli, RegistryMessagesSayHowToGoOn) {
    test::WinePrefix prefix; // with no registry files
    TempDir red, out;
    writeBytes(red / "Rock.INI", kRockIni);
    const std::string next =
        "To go on, name the PCDJ FX RecordCase directory with --rc-dir DIR, or set WINEPREFIX to "
        "the Wine prefix PCDJ FX is installed in (~/.wine when it is not set).\n";
    auto r = runCapturedCli({"ini2vrm", (red / "Rock.INI").string(), "--register"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "PCDJ FX RC Path is not defined propertly in Registry. Aborting!\n" + next);

    prefix.writeSystemReg("WINE REGISTRY Version 2\n\n"
                          "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1\n"
                          "\"CONFIG_RC_PATH\"=\"C:\\\\Gone\\\\RC\\\\\"\n");
    r = runCapturedCli({"ini2vrm", (red / "Rock.INI").string(), "--register"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), next) << r.err;
    EXPECT_TRUE(r.err.starts_with("PCDJ FX RC Directory listed in Registry")) << r.err;

    if (convert::exportAvailable()) {
        r = runCapturedCli({"export", "--output", out.str()});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.ends_with("\n" + next)) << r.err;
    }
}
#endif

TEST(MessagesCli, ExportToAFileSaysItIsNoDirectory) {
    TempDir dir;
    writeBytes(dir / "list.m3u", "mine");
    const auto r = runCapturedCli(
        {"export", "--rc-dir", dir.str(true), "--output", (dir / "list.m3u").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is a file, not a directory"), std::string::npos) << r.err;
    EXPECT_EQ(test::readBytes(dir / "list.m3u"), "mine");
}

// On a terminal a batch names the file it is at among all, and export and check show how far they
// have come.
TEST(MessagesCli, ProgressOnATerminal) {
    TempDir red, out;
    writeBytes(red / "Pop.INI", kRockIni);
    writeBytes(red / "Rock.INI", kRockIni);
    auto r = runCapturedCli({"ini2vrm", "--batch", red.str(), "--output", out.str()}, true);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("file 1 of 2, Pop.INI: line"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("file 2 of 2, Rock.INI: line"), std::string::npos) << r.err;

    // The line is cut to the terminal's width: the file's name may not show whole.
    r = runCapturedCli({"check", (red / "Rock.INI").string()}, true);
    EXPECT_NE(r.err.find("0 tracks looked up in 0 files; reading "), std::string::npos) << r.err;

    // Quiet, or not on a terminal: no progress line.
    r = runCapturedCli({"check", (red / "Rock.INI").string()}, false);
    EXPECT_EQ(r.err.find("looked up"), std::string::npos) << r.err;
}

#ifndef _WIN32
TEST(MessagesCli, ExportProgressOnATerminal) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    test::WinePrefix prefix;
    TempDir out;
    const fs::path rc = prefix.driveC() / "FX" / "RC";
    writeBytes(rc / "Groups.xml", test::smallLibraryGroupList());
    for (const char* name : {"Rock_Live", "Rock_Studio", "Jazz_Club"})
        writeBytes(rc / "Playlists" / (std::string(name) + ".XML"),
                   crlf({"<smil>", "   <body>", "      <seq>",
                         std::string("         <media src=\"C:\\Music\\") + name + ".mp3\">",
                         "         </media>", "      </seq>", "   </body>", "</smil>"}));
    const auto r =
        runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC\\", "--output", out.str()}, true);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Exporting: playlist 1 of 3"), std::string::npos) << r.err;
}
#endif

TEST(MessagesCli, CheckHelpNamesItsExitStatuses) {
    const auto r = runCapturedCli({"check", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("3 when some were not"), std::string::npos) << r.out;
}

} // namespace
