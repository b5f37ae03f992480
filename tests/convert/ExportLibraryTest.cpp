// The library export as a front end drives it: progress after each playlist and a cancel that
// stops between playlists.

#include "convert/ExportLibrary.h"
#include "formats/TextIO.h"
#include "settings/WinePrefixFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace deckshift::test {
namespace {

// The library lies in a Wine prefix's C:, which only a system that maps drives through a prefix
// reaches; on Windows C: is the machine's own.
#ifndef _WIN32

/// C:\FX\RC in a Wine prefix with two groups: "Rock" (Live, Studio) and "Jazz" (Club), each
/// playlist holding one track.
struct SmallLibrary {
    WinePrefix prefix;
    TempDir out;
    fs::path rc = prefix.driveC() / "FX" / "RC";
    SmallLibrary() {
        writeBytes(rc / "Groups.xml", smallLibraryGroupList());
        for (const char* name : {"Rock_Live", "Rock_Studio", "Jazz_Club"})
            writeBytes(rc / "Playlists" / (std::string(name) + ".XML"),
                       crlf({"<smil>", "   <body>", "      <seq>",
                             std::string("         <media src=\"C:\\Music\\") + name + ".mp3\">",
                             "         </media>", "      </seq>", "   </body>", "</smil>"}));
    }
    convert::ExportInputs inputs() const {
        convert::ExportInputs in;
        in.rcDirectory = "C:\\FX\\RC\\";
        in.output = out.str();
        return in;
    }
};

TEST(ExportLibrary, ReportsEachPlaylistDoneOfTheListed) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    SmallLibrary lib;
    auto in = lib.inputs();
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    in.progress = [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    };
    RecordedMessages messages;
    const auto result = convert::ExportLibrary(in, messages);
    ASSERT_EQ(result.status, convert::RunStatus::Done);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.playlistsListed, 3u);
    const std::vector<std::pair<std::uint64_t, std::uint64_t>> expected = {{1, 3}, {2, 3}, {3, 3}};
    EXPECT_EQ(reports, expected);
}

// A cancel is looked at between playlists: set while a playlist is written, that playlist is
// finished whole and nothing after it is started, not even the next group's folder.
TEST(ExportLibrary, CancelStopsAfterTheCurrentPlaylist) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    struct Case {
        std::uint64_t cancelAfter; // playlists done when the cancel is set
        std::map<std::string, std::string> files;
        std::uint64_t groups;
    };
    const Case cases[] = {
        {1, {{"Rock/Live.m3u", crlf({"#EXTM3U", "C:\\Music\\Rock_Live.mp3"})}}, 1},
        {2,
         {{"Rock/Live.m3u", crlf({"#EXTM3U", "C:\\Music\\Rock_Live.mp3"})},
          {"Rock/Studio.m3u", crlf({"#EXTM3U", "C:\\Music\\Rock_Studio.mp3"})}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cancelAfter);
        SmallLibrary lib;
        std::atomic<bool> cancel{false};
        auto in = lib.inputs();
        in.cancel = &cancel;
        in.progress = [&](std::uint64_t done, std::uint64_t) {
            if (done == c.cancelAfter)
                cancel = true;
        };
        RecordedMessages messages;
        const auto result = convert::ExportLibrary(in, messages);
        EXPECT_EQ(result.status, convert::RunStatus::Done);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(result.playlists, c.cancelAfter);
        EXPECT_EQ(result.groups, c.groups);
        EXPECT_EQ(snapshot(lib.out.path()), c.files);
        EXPECT_FALSE(fs::exists(lib.out / "Jazz"));
    }
}

// A relocation rule for tracks that a cancelled export never reached is not called unused; after
// a whole export a rule that matched nothing still is.
TEST(ExportLibrary, UnusedRelocationsAreReportedOnlyAfterAWholeExport) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    struct Case {
        bool cancelAfterFirst;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {false, {"The relocation Q:\\=/q matched no track path."}},
        {true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cancelAfterFirst);
        SmallLibrary lib;
        std::atomic<bool> cancel{false};
        auto in = lib.inputs();
        in.cancel = &cancel;
        in.progress = [&](std::uint64_t, std::uint64_t) { cancel = c.cancelAfterFirst; };
        convert::EngineOptions options;
        options.relocations = {{"C:\\Music\\Jazz_Club.mp3", "/jazz/club.mp3"}, {"Q:\\", "/q"}};
        RecordedMessages messages;
        const auto result = convert::ExportLibrary(in, messages, options);
        ASSERT_EQ(result.status, convert::RunStatus::Done);
        EXPECT_EQ(result.cancelled, c.cancelAfterFirst);
        std::vector<std::string> warnings;
        for (const auto& shown : messages.shown)
            if (shown.kind == convert::MessageKind::Warning)
                warnings.push_back(shown.text);
        EXPECT_EQ(warnings, c.warnings);
    }
}

TEST(ExportLibrary, ACancelSetBeforeTheStartWritesNothing) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    SmallLibrary lib;
    std::atomic<bool> cancel{true};
    auto in = lib.inputs();
    in.cancel = &cancel;
    RecordedMessages messages;
    const auto result = convert::ExportLibrary(in, messages);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.playlists, 0u);
    EXPECT_TRUE(fs::is_empty(lib.out.path()));
}

// A playlist that cannot be written (here a full disk once its first block goes out) ends the
// export as failed, naming the file; it is not taken for a playlist left out. The playlist before
// stays whole, and no temporary file is left.
TEST(ExportLibrary, AWriteFailureEndsTheExport) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    SmallLibrary lib;
    // Rock_Studio holds enough tracks that its playlist is written in blocks while it is read.
    std::vector<std::string> lines = {"<smil>", "   <body>", "      <seq>"};
    for (int i = 0; i < 3000; ++i) {
        lines.push_back("         <media src=\"C:\\Music\\Track number " + std::to_string(i) +
                        " of a long playlist.mp3\">");
        lines.push_back("         </media>");
    }
    for (const char* end : {"      </seq>", "   </body>", "</smil>"})
        lines.push_back(end);
    std::string vrm;
    for (const auto& line : lines)
        vrm += line + "\r\n";
    writeBytes(lib.rc / "Playlists" / "Rock_Studio.XML", vrm);
    formats::setWriteFaultHook(
        [](const fs::path& target, formats::WriteStep step, std::uint64_t) -> std::string {
            return target.filename() == "Studio.m3u" && step == formats::WriteStep::Write
                       ? "No space left on device"
                       : "";
        });
    RecordedMessages messages;
    const auto result = convert::ExportLibrary(lib.inputs(), messages);
    formats::setWriteFaultHook(nullptr);
    EXPECT_EQ(result.status, convert::RunStatus::Failed);
    EXPECT_EQ(result.playlists, 1u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, convert::MessageKind::Error);
    EXPECT_EQ(messages.shown[0].text, "Cannot write \"" +
                                          (lib.out / "Rock" / "Studio.m3u").string() +
                                          "\": No space left on device");
    const std::map<std::string, std::string> expected = {
        {"Rock/Live.m3u", crlf({"#EXTM3U", "C:\\Music\\Rock_Live.mp3"})}};
    EXPECT_EQ(snapshot(lib.out.path()), expected);
}

// The group list is read as XML by the reader a check uses too: a src relative to the RC
// directory is found there whatever the working directory, and references are decoded (in the
// code page, so "&#233;" reads as the byte E9 does). A VRM playlist with LF line ends and empty
// media elements reads as one written by PCDJ FX.
TEST(ExportLibrary, RelativeSrcValuesAndTheirReferences) {
    if (!convert::exportAvailable())
        GTEST_SKIP() << "this build has no export";
    SmallLibrary lib;
    writeBytes(
        lib.rc / "Groups.xml",
        crlf({"<Groups>", "<Group Name=\"Caf&#233;\">",
              "<SubGroup Name=\"R&amp;B\" src=\"Playlists\\Rock_Live.XML\"/>",
              "<SubGroup Name=\"LF\" src=\"Playlists\\Lf.XML\"/>", "</Group>", "</Groups>"}));
    writeBytes(lib.rc / "Playlists" / "Lf.XML",
               "<smil>\n         <media src=\"C:\\a&lt;1&gt;.mp3\"/>\n</smil>\n");
    RecordedMessages messages;
    const auto result = convert::ExportLibrary(lib.inputs(), messages);
    ASSERT_EQ(result.status, convert::RunStatus::Done);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    EXPECT_EQ(result.playlists, 2u);
    EXPECT_EQ(result.playlistsMissing, 0u);
    const auto files = snapshot(lib.out.path());
    EXPECT_EQ(files.at("Caf\xC3\xA9/R&B.m3u"), crlf({"#EXTM3U", "C:\\Music\\Rock_Live.mp3"}));
    EXPECT_EQ(files.at("Caf\xC3\xA9/LF.m3u"), crlf({"#EXTM3U", "C:\\a<1>.mp3"}));
}

#endif

} // namespace
} // namespace deckshift::test
