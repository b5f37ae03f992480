// Names outside Windows: the DJ applications' files hold the 8-bit code page, the disk UTF-8.
#include "settings/WinePrefixFixture.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace deckshift;
using test::crlf;
using test::readBytes;
using test::runCapturedCli;
using test::snapshot;
using test::TempDir;
using test::writeBytes;

namespace {

#ifndef _WIN32

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// A Wine prefix with an empty library at C:\FX\RC.
struct Prefix {
    test::WinePrefix wine;
    TempDir red;
    fs::path rc = wine.driveC() / "FX" / "RC";
    Prefix() {
        writeBytes(rc / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
        fs::create_directories(rc / "Playlists");
    }
};

TEST(NamesOnDisk, RegisteredPlaylistsGetUtf8NamesThatCheckFinds) {
    Prefix lib;
    // The track as Wine stores it: its name in UTF-8.
    writeBytes(lib.wine.driveC() / "Music" / "Caf\xC3\xA9.mp3", "x");
    writeBytes(lib.red / "Set.INI",
               crlf({"[Caf\xE9 Live]", "Track 1=;;;;;;|Caf\xE9.mp3||C:\\Music\\|||"}));

    const auto r = runCapturedCli({"ini2vrm", (lib.red / "Set.INI").string(), "--register",
                                   "--rc-dir", "C:\\FX\\RC", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto playlists = snapshot(lib.rc / "Playlists");
    ASSERT_EQ(playlists.size(), 1u);
    ASSERT_EQ(playlists.begin()->first, "Set_Caf\xC3\xA9 Live.XML");
    // Inside the files, the code page.
    EXPECT_TRUE(contains(playlists.begin()->second, "<media src=\"C:\\Music\\Caf\xE9.mp3\">"));
    const std::string list = readBytes(lib.rc / "Groups.xml");
    EXPECT_TRUE(contains(list, "<SubGroup Name=\"Caf\xE9 Live\" pos=\"0\" "
                               "src=\"C:\\FX\\RC\\Playlists\\Set_Caf\xE9 Live.XML\"/>"))
        << list;

    const auto check = runCapturedCli({"check", "C:\\FX\\RC\\Groups.xml"});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(check.out, "");
}

TEST(NamesOnDisk, GroupFileNamesGoIntoTheGroupListInTheCodePage) {
    Prefix lib;
    writeBytes(lib.red / "Caf\xC3\xA9 Classics.INI",
               crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
    // A name left by an older tool in the code page's own bytes is taken as it is.
    writeBytes(lib.red / "D\xE9j\xE0.INI", crlf({"[Vu]", "Track 1=;;;;;;|b.mp3||C:\\|||"}));

    const auto r = runCapturedCli(
        {"ini2vrm", "--batch", lib.red.str(), "--register", "--rc-dir", "C:\\FX\\RC", "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string list = readBytes(lib.rc / "Groups.xml");
    EXPECT_TRUE(contains(list, "<Group Name=\"Caf\xE9 Classics\"")) << list;
    EXPECT_TRUE(contains(list, "<Group Name=\"D\xE9j\xE0\"")) << list;
    EXPECT_FALSE(contains(list, "\xC3")) << list;
    const auto playlists = snapshot(lib.rc / "Playlists");
    EXPECT_EQ(playlists.count("Caf\xC3\xA9 Classics_Live.XML"), 1u);
    EXPECT_EQ(playlists.count("D\xC3\xA9j\xC3\xA0_Vu.XML"), 1u);

    // The file typed on the command line: its name arrives in UTF-8.
    TempDir dir;
    const fs::path out = dir / "Sortie \xC3\xA0";
    fs::create_directory(out);
    const auto single = runCapturedCli(
        {"ini2vrm", (lib.red / "Caf\xC3\xA9 Classics.INI").string(), "--output", out.string()});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(snapshot(out).count("Caf\xC3\xA9 Classics_Live.XML"), 1u);
    // Messages print names in UTF-8.
    EXPECT_TRUE(contains(single.out, " in " + out.string() + ".")) << single.out;
}

TEST(NamesOnDisk, Vrm2M3u8WritesUnderAUtf8Name) {
    TempDir dir, out;
    const std::string vrm =
        crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>",
              "      <seq>", "         <media src=\"C:\\Caf\xE9.mp3\">", "         </media>",
              "      </seq>", "   </body>", "</smil>"});
    // One named in UTF-8, one left by an older tool in the code page's bytes.
    writeBytes(dir / "\xC3\x89t\xC3\xA9.XML", vrm);
    writeBytes(dir / "Caf\xE9.XML", vrm);
    const std::pair<const char*, const char*> runs[] = {
        {"\xC3\x89t\xC3\xA9.XML", "\xC3\x89t\xC3\xA9.m3u8"}, {"Caf\xE9.XML", "Caf\xC3\xA9.m3u8"}};
    for (const auto& [source, written] : runs) {
        const auto r =
            runCapturedCli({"vrm2m3u", (dir / source).string(), "--output", out.str(), "--m3u8"});
        ASSERT_EQ(r.status, 0) << source << r.err;
        // The summary names the file in UTF-8, as the terminal shows it.
        EXPECT_EQ(r.out, "Wrote 1 track to " + (out / written).string() + ".\n") << source;
    }
    const auto files = snapshot(out.path());
    const std::string m3u8 = crlf({"#EXTM3U", "C:\\Caf\xC3\xA9.mp3"});
    EXPECT_EQ(files, (std::map<std::string, std::string>{{"\xC3\x89t\xC3\xA9.m3u8", m3u8},
                                                         {"Caf\xC3\xA9.m3u8", m3u8}}));
}

TEST(NamesOnDisk, ANameTheCodePageCannotHoldIsRefusedByName) {
    TempDir dir, out;
    writeBytes(dir / "\xE3\x81\x82.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
    const auto r =
        runCapturedCli({"ini2vrm", (dir / "\xE3\x81\x82.INI").string(), "--output", out.str()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, "U+3042 \"\xE3\x81\x82\"")) << r.err;
    EXPECT_TRUE(fs::is_empty(out.path()));

    // In a batch it is left out with a warning; the others go on.
    writeBytes(dir / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
    const auto batch = runCapturedCli({"ini2vrm", "--batch", dir.str(), "--output", out.str()});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(batch.err, "warning: The group file \"?.INI\" was left out: its name holds U+3042, "
                         "which the 8-bit code page of PCDJ cannot hold. Please rename it.\n");
    EXPECT_EQ(snapshot(out.path()).count("Rock_Live.XML"), 1u);
}

/// Changes the current directory for the lifetime of the object.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const fs::path& dir) : m_old(fs::current_path()) {
        fs::current_path(dir);
    }
    ~ScopedCurrentDirectory() { fs::current_path(m_old); }

private:
    fs::path m_old;
};

/// The src value of the first subgroup in a group list.
std::string firstSrc(const fs::path& list) {
    const std::string text = readBytes(list);
    const auto at = text.find("src=\"");
    if (at == std::string::npos)
        return {};
    return text.substr(at + 5, text.find('"', at + 5) - at - 5);
}

TEST(NamesOnDisk, RegisterModeWritesAbsoluteSrcValuesInWindowsForm) {
    test::WinePrefix wine;
    TempDir data, red;
    fs::create_directory_symlink(data.path(), wine.path() / "dosdevices" / "d:");
    writeBytes(red / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
    auto makeRc = [](const fs::path& rc) {
        writeBytes(rc / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
        fs::create_directories(rc / "Playlists");
    };
    auto registerInto = [&](const std::string& rcDir) {
        return runCapturedCli(
            {"ini2vrm", (red / "Rock.INI").string(), "--register", "--rc-dir", rcDir});
    };

    // A native directory on drive D:, given as it is and relative to the current directory.
    makeRc(data / "RC");
    auto r = registerInto((data / "RC").string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(firstSrc(data / "RC" / "Groups.xml"), "D:\\RC\\Playlists\\Rock_Live.XML");
    makeRc(data / "Rel" / "RC");
    {
        ScopedCurrentDirectory cwd(data / "Rel");
        r = registerInto("RC");
    }
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(firstSrc(data / "Rel" / "RC" / "Groups.xml"),
              "D:\\Rel\\RC\\Playlists\\Rock_Live.XML");

    // Outside every drive: the absolute native path, with a warning.
    TempDir elsewhere;
    makeRc(elsewhere / "RC");
    {
        ScopedCurrentDirectory cwd(elsewhere.path());
        r = registerInto("RC/");
    }
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string native = (fs::canonical(elsewhere.path()) / "RC").string();
    EXPECT_EQ(firstSrc(elsewhere / "RC" / "Groups.xml"), native + "/Playlists/Rock_Live.XML");
    EXPECT_TRUE(contains(r.err, "warning: The RecordCase directory \"" + native + "/\"")) << r.err;
    EXPECT_TRUE(contains(r.err, "will not find")) << r.err;

    // Z: leads to "/": every directory has a Windows form, the closest drive first.
    fs::create_directory_symlink("/", wine.path() / "dosdevices" / "z:");
    makeRc(elsewhere / "Z");
    r = registerInto((elsewhere / "Z").string());
    ASSERT_EQ(r.status, 0) << r.err;
    std::string windows = "Z:";
    for (const auto& part : fs::canonical(elsewhere / "Z").relative_path())
        windows += "\\" + part.string();
    EXPECT_EQ(firstSrc(elsewhere / "Z" / "Groups.xml"), windows + "\\Playlists\\Rock_Live.XML");
    fs::remove_all(data / "RC" / "Playlists");
    makeRc(data / "RC");
    r = registerInto((data / "RC").string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(firstSrc(data / "RC" / "Groups.xml"), "D:\\RC\\Playlists\\Rock_Live.XML");
}

#endif

} // namespace
