// Finding moved tracks by name: the file-name index, the choice among candidates, and what a
// conversion writes and reports.

#include "convert/TrackSearch.h"
#include "convert/ConvertVrmToM3u.h"
#include "settings/FileNameIndex.h"

#include "../settings/WinePrefixFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace deckshift;
using test::readBytes;
using test::TempDir;
using test::vrmPlaylist;
using test::WinePrefix;
using test::writeBytes;

namespace {

/// Replaces every "{NAME}" of `text` by its value.
[[maybe_unused]] std::string expand(std::string text,
                                    const std::vector<std::pair<std::string, std::string>>& vars) {
    for (const auto& [name, value] : vars) {
        const std::string key = "{" + name + "}";
        for (auto at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    }
    return text;
}

[[maybe_unused]] std::string allMessages(const test::RecordedMessages& messages) {
    std::string all;
    for (const auto& shown : messages.shown)
        all += shown.text + "\n";
    return all;
}

#ifndef _WIN32
TEST(TrackSearchTest, ConversionsRelinkTracksFoundByName) {
    struct Case {
        const char* name;
        std::vector<std::string> files; ///< below {new}, in UTF-8 as on disk
        std::string track;              ///< the path the playlist holds, in Windows-1252
        std::string search;             ///< the folder searched
        std::string written;            ///< the path the M3U gets
        std::uint64_t found;
        std::uint64_t ambiguous;
        std::string report; ///< a message that must be shown, empty for none
    };
    const Case cases[] = {
        {"one candidate",
         {"Dance/a.mp3"},
         "{old}/Rock/a.mp3",
         "{new}",
         "{new}/Dance/a.mp3",
         1,
         0,
         ""},
        {"two at different depths: more trailing folders shared wins",
         {"Deep/b.mp3", "Archive/House/Deep/b.mp3"},
         "{old}/House/Deep/b.mp3",
         "{new}",
         "{new}/Archive/House/Deep/b.mp3",
         1,
         0,
         ""},
        {"a true tie stays as it was",
         {"x/Rock/c.mp3", "y/Rock/c.mp3", "z/Jazz/c.mp3"},
         "{old}/Rock/c.mp3",
         "{new}",
         "{old}/Rock/c.mp3",
         0,
         1,
         "1 track was found by name in more than one place and left as it was:\n"
         "{in}/list.XML:5: {old}/Rock/c.mp3\n"
         "    candidate: {new}/x/Rock/c.mp3\n"
         "    candidate: {new}/y/Rock/c.mp3\n"},
        {"letter case ignored",
         {"Dance/Song One.MP3"},
         "{old}/dance/song one.mp3",
         "{new}",
         "{new}/Dance/Song One.MP3",
         1,
         0,
         ""},
        {"accented names: Windows-1252 content, UTF-8 on disk",
         {"M\xC3\xBAsica/Caf\xC3\xA9.mp3"},
         "{old}/M\xFAsica/CAF\xE9.mp3",
         "{new}",
         "{new}/M\xFAsica/Caf\xE9.mp3",
         1,
         0,
         ""},
        {"a Windows-form path, searched in a native folder, stays in Windows form",
         {},
         "C:\\Music\\Rock\\d.mp3",
         "{driveC}/NewMusic",
         "C:\\NewMusic\\Rock\\d.mp3",
         1,
         0,
         ""},
        {"a Windows-form path, searched in a folder typed in Windows form",
         {},
         "C:\\Music\\Rock\\d.mp3",
         "C:\\NEWMUSIC\\",
         "C:\\NEWMUSIC\\Rock\\d.mp3",
         1,
         0,
         ""},
        {"a Windows-form path found on no drive of the prefix is written native, with a warning",
         {"Rock/e.mp3"},
         "C:\\Music\\Rock\\e.mp3",
         "{new}",
         "{new}/Rock/e.mp3",
         1,
         0,
         "1 track found by name lies on no drive of the Wine prefix"},
        {"a native path", {"f.mp3"}, "{old}/f.mp3", "{new}", "{new}/f.mp3", 1, 0, ""},
        {"no file of that name stays missing",
         {"other.mp3"},
         "{old}/g.mp3",
         "{new}",
         "{old}/g.mp3",
         0,
         0,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WinePrefix prefix;
        TempDir dir;
        writeBytes(prefix.driveC() / "NewMusic" / "Rock" / "d.mp3", "d");
        const std::vector<std::pair<std::string, std::string>> vars{
            {"old", (dir / "old").string()},
            {"new", (dir / "new").string()},
            {"in", (dir / "in").string()},
            {"driveC", prefix.driveC().string()}};
        for (const auto& file : c.files)
            writeBytes(dir / "new" / file, "x");
        writeBytes(dir / "in" / "list.XML", vrmPlaylist({expand(c.track, vars)}));
        fs::create_directories(dir / "out");

        convert::EngineOptions options;
        options.searchDirectories = {expand(c.search, vars)};
        test::RecordedMessages messages;
        convert::RunEvents events;
        const auto result = convert::ConvertVrmToM3u(
            {(dir / "in").string(), "list.XML", (dir / "out").string()}, events, messages, options);
        ASSERT_EQ(result.status, convert::RunStatus::Done);
        EXPECT_EQ(readBytes(dir / "out" / "list.m3u"),
                  "#EXTM3U\r\n" + expand(c.written, vars) + "\r\n");
        EXPECT_EQ(result.pipeline.searched, 1u);
        EXPECT_EQ(result.pipeline.foundByName, c.found);
        EXPECT_EQ(result.pipeline.ambiguous, c.ambiguous);
        EXPECT_EQ(convert::searchSummaryLine(result.pipeline),
                  std::to_string(c.found) + " of 1 missing track found by name");
        const std::string shown = allMessages(messages);
        if (c.report.empty())
            EXPECT_EQ(shown, "");
        else
            EXPECT_NE(shown.find(expand(c.report, vars)), std::string::npos) << shown;
    }
}
#endif

TEST(TrackSearchTest, TracksThatExistAreNotSearchedAndTheFoldersAreListedOnlyWhenNeeded) {
    TempDir dir;
    writeBytes(dir / "here" / "a.mp3", "x");
    writeBytes(dir / "new" / "a.mp3", "x");
    convert::EngineOptions options;
    options.searchDirectories = {(dir / "new").string()};
    options.checkTracks = true;
    test::RecordedMessages messages;
    convert::TrackPipeline pipeline(options, messages);
    std::string path = (dir / "here" / "a.mp3").string();
    EXPECT_TRUE(pipeline.track(path, 1));
    EXPECT_EQ(path, (dir / "here" / "a.mp3").string());
    EXPECT_EQ(pipeline.summary().searched, 0u);
    EXPECT_EQ(pipeline.summary().checked, 1u);
    EXPECT_EQ(pipeline.summary().missing, 0u);

    // A track found by name counts as found for the check; one that is not stays missing.
    std::string moved = (dir / "old" / "a.mp3").string();
    pipeline.track(moved, 2);
    EXPECT_EQ(moved, (dir / "new" / "a.mp3").string());
    std::string gone = (dir / "old" / "b.mp3").string();
    pipeline.track(gone, 3);
    EXPECT_EQ(pipeline.summary().searched, 2u);
    EXPECT_EQ(pipeline.summary().foundByName, 1u);
    EXPECT_EQ(pipeline.summary().checked, 3u);
    EXPECT_EQ(pipeline.summary().missing, 1u);
}

TEST(FileNameIndexTest, ListsFilesBelowEveryFolderOnce) {
    TempDir dir;
    writeBytes(dir / "music" / "a.mp3", "x");
    writeBytes(dir / "music" / "Sub" / "A.MP3", "x");
    writeBytes(dir / "music" / ".hidden" / "a.mp3", "x");
    writeBytes(dir / "music" / ".a.mp3", "x");
    writeBytes(dir / "elsewhere" / "a.mp3", "x");
    fs::create_directories(dir / "music" / "Empty");
#ifndef _WIN32
    // A link to a folder is not followed; a link to a file is a file.
    fs::create_directory_symlink(dir / "elsewhere", dir / "music" / "link");
    fs::create_symlink(dir / "elsewhere" / "a.mp3", dir / "music" / "Sub" / "linked.mp3");
#endif
    settings::FileNameIndex::Problems problems;
    // The same folder twice, and a folder inside it, are listed once.
    const auto index =
        settings::FileNameIndex::build({(dir / "music").string(), (dir / "music" / "Sub").string(),
                                        (dir / "music").string() + "/"},
                                       &problems);
    EXPECT_EQ(index.find("a.mp3").size(), 2u);
    EXPECT_EQ(index.find("A.Mp3").size(), 2u);
    EXPECT_TRUE(index.find("b.mp3").empty());
    EXPECT_TRUE(index.find(".a.mp3").empty());
#ifndef _WIN32
    EXPECT_EQ(index.size(), 3u);
    ASSERT_EQ(index.find("linked.mp3").size(), 1u);
    EXPECT_EQ(index.path(index.find("linked.mp3").front(), false),
              (dir / "music" / "Sub" / "linked.mp3").string());
#endif
    EXPECT_TRUE(problems.roots.empty());
    EXPECT_EQ(problems.folderCount, 0u);
    EXPECT_GT(index.memoryBytes(), 0u);

    // A folder that does not exist is a problem, not a failure.
    const auto none = settings::FileNameIndex::build({(dir / "missing").string()}, &problems);
    EXPECT_EQ(none.size(), 0u);
    EXPECT_EQ(problems.roots.size(), 1u);
}

TEST(FileNameIndexTest, TrailingFoldersAreComparedFromTheInnermost) {
    TempDir dir;
    writeBytes(dir / "new" / "House" / "Deep" / "a.mp3", "x");
    const auto index = settings::FileNameIndex::build({(dir / "new").string()});
    const auto files = index.find("a.mp3");
    ASSERT_EQ(files.size(), 1u);
    using Folders = std::vector<std::string_view>;
    EXPECT_EQ(index.sharedTrailingFolders(files[0], Folders{"Old", "house", "DEEP"}), 2u);
    EXPECT_EQ(index.sharedTrailingFolders(files[0], Folders{"House", "Other"}), 0u);
    // The root's own name counts.
    EXPECT_EQ(index.sharedTrailingFolders(files[0], Folders{"x", "new", "House", "Deep"}), 3u);
    EXPECT_EQ(index.sharedTrailingFolders(files[0], Folders{}), 0u);
}

#ifndef _WIN32
// A UTF-8 name on disk is taken into the code page once: "\xC3\x83\xC2\xA9.mp3" on disk is the
// track named "\xC3\xA9.mp3" in the code page, not the one named "\xE9.mp3".
TEST(FileNameIndexTest, NamesOnDiskAreConvertedOnce) {
    TempDir dir;
    writeBytes(dir / "new" / "\xC3\x83\xC2\xA9.mp3", "x");
    const auto index = settings::FileNameIndex::build({(dir / "new").string()});
    EXPECT_EQ(index.find("\xC3\xA9.mp3").size(), 1u);
    EXPECT_TRUE(index.find("\xE9.mp3").empty());
}
#endif

TEST(TrackSearchTest, ATieListsThreeCandidatesInOrder) {
    TempDir dir;
    for (const char* folder : {"e", "D", "c", "b", "a"})
        writeBytes(dir / "new" / folder / "Rock" / "x.mp3", "x");
    convert::TrackSearch search({(dir / "new").string()});
    const auto result = search.find((dir / "old" / "Rock" / "x.mp3").string());
    ASSERT_EQ(result.kind, convert::SearchResult::Kind::Ambiguous);
    EXPECT_EQ(result.tied, 5u);
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    const std::string n = (dir / "new").string() + sep;
    EXPECT_EQ(result.candidates,
              (std::vector<std::string>{n + "a" + sep + "Rock" + sep + "x.mp3",
                                        n + "b" + sep + "Rock" + sep + "x.mp3",
                                        n + "c" + sep + "Rock" + sep + "x.mp3"}));
    convert::MissingTrack track{"list.m3u", 4, "old.mp3", "", result.candidates, result.tied};
    const std::string text = convert::missingTrackLine(track);
    EXPECT_EQ(text.substr(0, text.find('\n')), "list.m3u:4: old.mp3");
    EXPECT_NE(text.find("\n    (5 candidates in all)"), std::string::npos);
}

} // namespace
