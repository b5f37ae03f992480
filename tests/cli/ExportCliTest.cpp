// deckshift-cli export: a library registered by the group list update itself, read back as XML
// through a temporary Wine prefix.

#include "convert/ExportLibrary.h"
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
using test::writeBytes;

namespace {

#ifdef _WIN32
TEST(ExportCli, ALibraryRegisteredOnWindows) {
    TempDir dir;
    const fs::path rc = dir / "RC";
    writeBytes(rc / "Groups.xml",
               crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>", "</Groups>"}));
    fs::create_directories(rc / "Playlists");
    fs::create_directories(dir / "out");
    writeBytes(dir / "red" / "Rock & Roll.INI",
               crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\Music\\|||", "[Studio]",
                     "Track 1=;;;;;;|s.mp3||D:\\Studio\\|||"}));
    const auto registered = runCapturedCli({"ini2vrm", "--batch", (dir / "red").string(),
                                            "--register", "--rc-dir", rc.string(), "--quiet"});
    ASSERT_EQ(registered.status, 0) << registered.err;
    const std::string list = readBytes(rc / "Groups.xml");
    ASSERT_NE(list.find("Name=\"Rock & Roll\""), std::string::npos) << list; // the bare "&"

    const auto r =
        runCapturedCli({"export", "--rc-dir", rc.string(), "--output", (dir / "out").string(),
                        "--m3u8", "--relocate", "C:\\Music=E:/Tunes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("2 playlists and 2 tracks"), std::string::npos) << r.out;
    const std::map<std::string, std::string> expected = {
        {"Rock & Roll/Live.m3u8", crlf({"#EXTM3U", "E:/Tunes/a.mp3"})},
        {"Rock & Roll/Studio.m3u8", crlf({"#EXTM3U", "D:\\Studio\\s.mp3"})},
    };
    EXPECT_EQ(snapshot(dir / "out"), expected);
}
#else
/// A Wine prefix whose C:\FX\RC holds a library registered by ini2vrm itself: the group
/// "Rock & Roll" (a bare "&" in the list) with Live, Studio and a second Live, and "Caf\xC3\xA9"
/// (named after its file, so in UTF-8 as Linux names files).
struct Library {
    test::WinePrefix prefix;
    TempDir red;
    TempDir out;
    fs::path rc = prefix.driveC() / "FX" / "RC";
    Library() {
        writeBytes(rc / "Groups.xml", crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>",
                                            "<Groups>", "</Groups>"}));
        fs::create_directories(rc / "Playlists");
        writeBytes(prefix.driveC() / "Music" / "a.mp3", "x");
        writeBytes(red / "Rock & Roll.INI",
                   crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\Music\\|||",
                         "Track 2=;;;;;;|Tom & Jerry.mp3||C:\\Music\\|||", "[Studio]",
                         "Track 1=;;;;;;|s.mp3||D:\\Studio\\|||", "[Live]",
                         "Track 1=;;;;;;|second.mp3||C:\\Music\\|||"}));
        writeBytes(red / "Caf\xC3\xA9.INI",
                   crlf({"[Set*1]", "Track 1=;;;;;;|b.mp3||C:\\Music\\|||"}));
        const auto r = runCapturedCli(
            {"ini2vrm", "--batch", red.str(), "--register", "--rc-dir", "C:\\FX\\RC", "--quiet"});
        EXPECT_EQ(r.status, 0) << r.err;
    }
};

TEST(ExportCli, ASmallLibraryThroughAWinePrefix) {
    Library lib;
    const std::string list = readBytes(lib.rc / "Groups.xml");
    ASSERT_NE(list.find("Name=\"Rock & Roll\""), std::string::npos) << list; // the bare "&"
    const auto r =
        runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC\\", "--output", lib.out.str()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "Exported 2 groups, 4 playlists and 5 tracks to " + lib.out.str() + ".\n");
    const auto files = snapshot(lib.out.path());
    // The second Live of the group gets " (2)"; each points at its own playlist file, since
    // ini2vrm gave the second one "Rock & Roll_Live (2).XML".
    const std::map<std::string, std::string> expected = {
        {"Caf\xC3\xA9/Set-1.m3u", crlf({"#EXTM3U", "C:\\Music\\b.mp3"})},
        {"Rock & Roll/Live.m3u",
         crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Tom & Jerry.mp3"})},
        {"Rock & Roll/Live (2).m3u", crlf({"#EXTM3U", "C:\\Music\\second.mp3"})},
        {"Rock & Roll/Studio.m3u", crlf({"#EXTM3U", "D:\\Studio\\s.mp3"})},
    };
    EXPECT_EQ(files, expected);
}

TEST(ExportCli, TheRegistryRelocationM3u8AndTheTrackCheck) {
    Library lib;
    lib.prefix.writeSystemReg("WINE REGISTRY Version 2\n\n"
                              "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1796854322\n"
                              "\"CONFIG_RC_PATH\"=\"C:\\\\FX\\\\RC\\\\\"\n");
    const auto r = runCapturedCli({"export", "--output", lib.out.str(), "--m3u8", "--relocate",
                                   "C:\\Music=/srv/music", "--check-tracks"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBytes(lib.out / "Rock & Roll" / "Studio.m3u8"),
              crlf({"#EXTM3U", "D:\\Studio\\s.mp3"}));
    EXPECT_EQ(readBytes(lib.out / "Caf\xC3\xA9" / "Set-1.m3u8"),
              crlf({"#EXTM3U", "/srv/music/b.mp3"}));
    EXPECT_NE(r.out.find("Relocated 4 track paths."), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("warning: 5 of 5 tracks not found\n"), std::string::npos) << r.err;
}

TEST(ExportCli, AMissingOrUnreadablePlaylistIsAWarning) {
    Library lib;
    fs::remove(lib.rc / "Playlists" / "Rock & Roll_Studio.XML");
    // A directory where the playlist should be cannot be read as one.
    fs::remove(lib.rc / "Playlists" / "Caf\xC3\xA9_Set-1.XML");
    fs::create_directories(lib.rc / "Playlists" / "Caf\xC3\xA9_Set-1.XML");
    const auto r = runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC", "--output", lib.out.str()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: The playlist of subgroup \"Studio\" in group \"Rock & Roll\" "
                         "was left out. Cannot open \"C:\\FX\\RC\\Playlists\\Rock & "
                         "Roll_Studio.XML\""),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("in group \"Caf\xC3\xA9\" was left out."), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("2 playlists and 3 tracks"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(2 left out)"), std::string::npos) << r.out;
    const auto files = snapshot(lib.out.path());
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.count("Rock & Roll/Live.m3u"));
    EXPECT_TRUE(files.count("Rock & Roll/Live (2).m3u"));
}

TEST(ExportCli, DryRunAndRefusals) {
    Library lib;
    const auto before = snapshot(lib.prefix.path());
    const auto dry = runCapturedCli(
        {"export", "--rc-dir", "C:\\FX\\RC", "--output", lib.out.str(), "--dry-run"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    // The groups in the list's order: the batch registered Caf\xC3\xA9 before Rock & Roll.
    EXPECT_EQ(dry.out, "create " + lib.out.str() +
                           "/Caf\xC3\xA9/Set-1.m3u\n"
                           "create " +
                           lib.out.str() +
                           "/Rock & Roll/Live.m3u\n"
                           "create " +
                           lib.out.str() +
                           "/Rock & Roll/Studio.m3u\n"
                           "create " +
                           lib.out.str() + "/Rock & Roll/Live (2).m3u\n");
    EXPECT_TRUE(snapshot(lib.out.path()).empty());
    EXPECT_TRUE(fs::is_empty(lib.out.path()));
    EXPECT_EQ(snapshot(lib.prefix.path()), before);

    writeBytes(lib.rc / "Groups.xml", "<Groups><Group Name=\"x\"></Groups>");
    auto r = runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC", "--output", lib.out.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot be read as XML"), std::string::npos) << r.err;
    // A list far larger than any PCDJ FX writes is refused before it is read (a sparse file).
    fs::resize_file(lib.rc / "Groups.xml", (std::uintmax_t{64} << 20) + 1);
    r = runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC", "--output", lib.out.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Groups.xml\" is more than 64 MiB long, more than Deckshift reads. "
                         "Nothing was written."),
              std::string::npos)
        << r.err;
    r = runCapturedCli({"export", "--rc-dir", "C:\\FX\\Nowhere", "--output", lib.out.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--rc-dir"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(lib.out.path()));
}

// A playlist that cannot be written ends the export with exit status 1 and a message naming it;
// the playlists written before stay whole, and nothing half written is left.
TEST(ExportCli, AWriteFailureEndsTheExportAndNamesTheFile) {
    Library lib;
    fs::create_directories(lib.out / "Rock & Roll" / "Studio.m3u");
    const auto r = runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC", "--output", lib.out.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Cannot write \"" + lib.out.str() +
                         "/Rock & Roll/Studio.m3u\": a directory of that name exists\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("2 playlists were written to " + lib.out.str() +
                         " before the export stopped; each is whole.\n"),
              std::string::npos)
        << r.err;
    const std::map<std::string, std::string> expected = {
        {"Caf\xC3\xA9/Set-1.m3u", crlf({"#EXTM3U", "C:\\Music\\b.mp3"})},
        {"Rock & Roll/Live.m3u",
         crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Tom & Jerry.mp3"})},
    };
    EXPECT_EQ(snapshot(lib.out.path()), expected);
}

// The two collection files from the PCDJ FX library found through the registry, with relocation
// and the track check; the summary counts the distinct tracks and says what was left out.
TEST(ExportCli, RekordboxAndTraktorFilesFromTheFxLibrary) {
    Library lib;
    lib.prefix.writeSystemReg("WINE REGISTRY Version 2\n\n"
                              "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1796854322\n"
                              "\"CONFIG_RC_PATH\"=\"C:\\\\FX\\\\RC\\\\\"\n");
    for (const char* format : {"rekordbox", "traktor"}) {
        SCOPED_TRACE(format);
        const std::string file = (lib.out / (std::string(format) + ".xml")).string();
        const auto r = runCapturedCli({"export", "--format", format, "--output", file, "--relocate",
                                       "D:\\Studio=studio", "--check-tracks", "--no-tags"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "Exported 2 groups, 4 playlists and 4 tracks (4 distinct) to " + file +
                             ".\nLeft out: 1 track whose path is not absolute.\n"
                             "Relocated 1 track path.\n");
        EXPECT_NE(r.err.find(":5: a track of playlist \"Studio\" in group \"Rock & Roll\" was "
                             "left out: its path \"studio\\s.mp3\" is not absolute"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("warning: 4 of 5 tracks not found"), std::string::npos) << r.err;
        const std::string bytes = readBytes(file);
        EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\""));
        EXPECT_NE(bytes.find("Rock &amp; Roll"), std::string::npos);
        EXPECT_NE(bytes.find("Caf\xC3\xA9"), std::string::npos);
    }
}

TEST(ExportCli, PcdjRedGroupFilesFoundThroughTheRegistry) {
    Library lib;
    // The group files in C:\RED of the prefix, as PCDJ RED's setting names them.
    fs::copy(lib.red.path(), lib.prefix.driveC() / "RED");
    lib.prefix.writeUserReg("WINE REGISTRY Version 2\n\n"
                            "[Software\\\\Visiosonic\\\\PCDJ RED\\\\Directory] 1796854322\n"
                            "\"Grouppath\"=\"C:\\\\RED\\\\\"\n");
    const auto r = runCapturedCli(
        {"export", "--from", "red", "--m3u8", "--group", "Rock & Roll", "--output", lib.out.str()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Exported 1 group, 3 playlists and 4 tracks to " + lib.out.str() + ".\n");
    const std::map<std::string, std::string> expected = {
        {"Rock & Roll/Live.m3u8",
         crlf({"#EXTM3U", "C:\\Music\\a.mp3", "C:\\Music\\Tom & Jerry.mp3"})},
        {"Rock & Roll/Live (2).m3u8", crlf({"#EXTM3U", "C:\\Music\\second.mp3"})},
        {"Rock & Roll/Studio.m3u8", crlf({"#EXTM3U", "D:\\Studio\\s.mp3"})},
    };
    EXPECT_EQ(snapshot(lib.out.path()), expected);

    const auto missing =
        runCapturedCli({"export", "--from", "red", "--red-dir", (lib.red / "nowhere").string(),
                        "--output", lib.out.str()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
}

TEST(ExportCli, OptionsOfAnotherSourceOrFormatAreUsageErrors) {
    TempDir dir;
    const std::string out = dir.str();
    const std::vector<std::vector<std::string>> cases = {
        {"export", "--format", "serato", "--output", out},
        {"export", "--format", "traktor", "--m3u8", "--output", out},
        {"export", "--volume", "Disk", "--output", out},
        {"export", "--format", "rekordbox", "--volume", "Disk", "--output", out},
        {"export", "--from", "red", "--rc-dir", out, "--output", out},
        {"export", "--red-dir", out, "--output", out},
        {"export", "--from", "serato", "--output", out},
    };
    for (const auto& args : cases) {
        const auto r = runCapturedCli(args);
        EXPECT_EQ(r.status, 2) << args[2] << " " << r.err;
    }
    const auto toFile =
        runCapturedCli({"export", "--format", "rekordbox", "--rc-dir", out, "--output", out});
    EXPECT_EQ(toFile.status, 1);
    EXPECT_NE(toFile.err.find("is a directory, not a file"), std::string::npos) << toFile.err;
}

// Folder and file names are safe on Windows wherever the export runs: the folder may be copied
// there, and a name Windows takes as another (a device, a different letter case beyond ASCII, a
// trailing dot) must not overwrite it.
TEST(ExportCli, NamesAreSafeAndDistinctOnWindows) {
    test::WinePrefix prefix;
    TempDir out;
    const fs::path rc = prefix.driveC() / "FX" / "RC";
    writeBytes(rc / "Playlists" / "a.XML",
               crlf({"<smil>", "   <body>", "      <seq>", "         <media src=\"C:\\a.mp3\">",
                     "         </media>", "      </seq>", "   </body>", "</smil>"}));
    std::vector<std::string> lines = {"<Groups>",
                                      "   <Group Name=\"aux\" pos=\"2\" lastrow=\"-1\">"};
    for (const char* name : {"\xC9t\xE9", "\xE9t\xE9", "CON", "lpt1.live", "Live. ", "Live", "a*b"})
        lines.push_back(std::string("      <SubGroup Name=\"") + name +
                        "\" pos=\"0\" src=\"C:\\FX\\RC\\Playlists\\a.XML\"/>");
    lines.insert(lines.end(), {"   </Group>", "</Groups>"});
    std::string list;
    for (const auto& line : lines)
        list += line + "\r\n";
    writeBytes(rc / "Groups.xml", list);

    const auto r = runCapturedCli({"export", "--rc-dir", "C:\\FX\\RC", "--output", out.str()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> names;
    for (const auto& [name, bytes] : snapshot(out.path()))
        names.push_back(name);
    const std::vector<std::string> expected = {"aux-/CON-.m3u",
                                               "aux-/Live--.m3u",
                                               "aux-/Live.m3u",
                                               "aux-/a-b.m3u",
                                               "aux-/lpt1-.live.m3u",
                                               "aux-/\xC3\x89t\xC3\xA9.m3u",
                                               "aux-/\xC3\xA9t\xC3\xA9 (2).m3u"};
    EXPECT_EQ(names, expected);
}

// The registry is read as register mode reads it: one that cannot be read is named with the
// reason, not taken for a missing setting nor ending the run as an unexpected error.
TEST(ExportCli, AnUnreadableRegistryIsNamedAsInRegisterMode) {
    test::WinePrefix wine;
    TempDir out;
    fs::create_directory(wine.path() / "system.reg");
    const auto r = runCapturedCli({"export", "--output", out.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("system.reg\" cannot be read: it is a directory"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("stopped"), std::string::npos) << r.err;

    fs::remove(wine.path() / "system.reg");
    const auto missing = runCapturedCli({"export", "--output", out.str()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(
        missing.err.rfind("PCDJ FX RC Path is not defined propertly in Registry. Aborting!\n", 0),
        0u)
        << missing.err;
}
#endif

} // namespace
