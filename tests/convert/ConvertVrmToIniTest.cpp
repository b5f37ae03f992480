#include "convert/ConvertVrmToIni.h"
#include "convert/ConvertGroupFile.h"
#include "formats/GroupIni.h"
#include "formats/HeldFile.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace deckshift;
using convert::RunStatus;
using test::crlf;
using test::readBytes;
using test::snapshot;
using test::TempDir;
using test::writeBytes;

namespace {

using Messages = test::DeckshiftErrors;

/// Records the window's operations as lines of text; the bar's value and the entry number only
/// when asked, as they come at every line.
class Window : public convert::VrmToIniProgress {
public:
    explicit Window(bool everyLine = false) : m_everyLine(everyLine) {}
    std::vector<std::string> calls;
    void showGroup(std::string_view g) override { calls.push_back("group " + std::string(g)); }
    void showSubgroup(std::string_view s) override { calls.push_back("sub " + std::string(s)); }
    void setProgressMaximum(std::uint64_t m) override {
        calls.push_back("max " + std::to_string(m));
    }
    void setProgress(std::uint64_t v) override {
        if (m_everyLine)
            calls.push_back("value " + std::to_string(v));
    }
    void showEntryNumber(std::uint64_t n) override {
        if (m_everyLine)
            calls.push_back("entry " + std::to_string(n));
    }
    void showPath(std::string_view p) override { calls.push_back("path " + std::string(p)); }
    void finished() override { calls.push_back("end"); }

private:
    bool m_everyLine;
};

/// A VRM playlist as the writers lay it out.
std::string playlist(std::initializer_list<std::string_view> paths) {
    std::string out;
    for (auto line : formats::kVrmHead)
        (out += line) += "\r\n";
    for (auto path : paths)
        formats::appendMediaLines(out, path);
    for (auto line : formats::kVrmTail)
        (out += line) += "\r\n";
    return out;
}

/// A playlist holding `mediaLines` verbatim between the head and the tail.
std::string rawPlaylist(std::initializer_list<std::string_view> mediaLines) {
    std::string out;
    for (auto line : formats::kVrmHead)
        (out += line) += "\r\n";
    for (auto line : mediaLines)
        (out += line) += "\r\n";
    for (auto line : formats::kVrmTail)
        (out += line) += "\r\n";
    return out;
}

struct Dirs {
    TempDir source;
    TempDir target;
    convert::VrmToIniInputs inputs(std::string group = "Rock") const {
        return {source.str(), std::move(group), target.str()};
    }
};

TEST(SplitTrackPath, CutsAfterTheLastOfAtMostSixtyBackslashes) {
    std::string sixty;
    for (int i = 0; i < 60; ++i)
        sixty += "d\\";
    struct Case {
        std::string path;
        std::string directory;
        std::string fileName;
    } cases[] = {
        {"C:\\Audio\\Dance\\Song One.mp3", "C:\\Audio\\Dance\\", "Song One.mp3"},
        {"Song.mp3", "", "Song.mp3"},
        {"C:/Audio/Song.mp3", "", "C:/Audio/Song.mp3"}, // only "\" separates
        {"C:\\Audio\\", "C:\\Audio\\", ""},
        {"\\", "\\", ""},
        {"", "", ""},
        {"\\\\server\\share\\a.mp3", "\\\\server\\share\\", "a.mp3"},
        {sixty + "f.mp3", sixty, "f.mp3"},       // exactly 60: split at the last
        {sixty + "e\\f.mp3", sixty, "e\\f.mp3"}, // 61: split after the 60th
        {sixty + "\\", sixty, "\\"},
        // The last "\\" at every place within and across the eight-byte steps taken from the
        // end, beside bytes that differ from it in one bit (0x5D "]", 0xDC, 0x5E "^").
        {"\\abcdefghijklmnopq", "\\", "abcdefghijklmnopq"},
        {"C:\\]]]]]]]\\]]]]]]]]", "C:\\]]]]]]]\\", "]]]]]]]]"},
        {"C:\\x\\\xDC\xDC^^^^^^^", "C:\\x\\", "\xDC\xDC^^^^^^^"},
        {"\xDC]^\xDC]^\xDC]^\xDC]^\xDC]^", "", "\xDC]^\xDC]^\xDC]^\xDC]^\xDC]^"},
        {"/home/dj/Music/Collection 5/Album 1/Track.mp3", "",
         "/home/dj/Music/Collection 5/Album 1/Track.mp3"},
    };
    for (const auto& c : cases) {
        const auto parts = convert::splitTrackPath(c.path);
        EXPECT_EQ(parts.directory, c.directory) << c.path;
        EXPECT_EQ(parts.fileName, c.fileName) << c.path;
    }
}

TEST(SplitTrackPath, FindsTheLastBackslashWhereverItStands) {
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string path(length, ']');
            path[at] = '\\';
            const auto parts = convert::splitTrackPath(path);
            EXPECT_EQ(parts.directory.size(), at + 1) << path;
            EXPECT_EQ(parts.fileName.size(), length - at - 1) << path;
        }
    }
}

TEST(VrmToIni, TheGroupsPlaylistsInListingOrderWithEntriesNumberedPerSection) {
    Dirs d;
    writeBytes(d.source / "Rock_Studio.XML", playlist({"D:\\Three.mp3"}));
    writeBytes(d.source / "Rock_Live.XML", playlist({"C:\\Audio\\One.mp3", "C:\\Audio\\Two.mp3"}));
    writeBytes(d.source / "Rock_Live_Set.XML", playlist({"E:\\x\\Encore.mp3"}));
    writeBytes(d.source / "Rock_.XML", playlist({}));
    writeBytes(d.source / "Rockabilly_Hits.XML", playlist({"C:\\Billy.mp3"}));
    writeBytes(d.source / "Rock_Notes.txt", "not a playlist");
    writeBytes(d.source / "Rock.XML", playlist({"C:\\NoUnderscore.mp3"}));
    fs::create_directory(d.source / "Rock_Dir.XML");
    writeBytes(d.target / "Rock.ini", "an older Rock.ini is replaced");

    Window window;
    Messages messages;
    const auto result = convert::ConvertVrmToIni(d.inputs(), window, messages);
    ASSERT_EQ(result.status, RunStatus::Done) << (messages.texts.empty() ? "" : messages.texts[0]);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(result.playlists, 4u);
    EXPECT_EQ(result.entries, 4u);
    EXPECT_EQ(result.outputPath, d.target.str(true) + "Rock.ini");

    // Listed as Windows lists them: "ROCK_.XML" < "ROCK_LIVE.XML" < "ROCK_LIVE_SET.XML" <
    // "ROCK_STUDIO.XML".
    EXPECT_EQ(readBytes(d.target / "Rock.ini"),
              crlf({"[]", "[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||",
                    "Track 2=;;;;;;|Two.mp3||C:\\Audio\\|||", "[Live_Set]",
                    "Track 1=;;;;;;|Encore.mp3||E:\\x\\|||", "[Studio]",
                    "Track 1=;;;;;;|Three.mp3||D:\\|||"}));
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"group Rock", "sub ", "max 7", "sub Live", "max 18",
                                        "path C:\\Audio\\One.mp3", "path C:\\Audio\\Two.mp3",
                                        "sub Live_Set", "max 27", "path E:\\x\\Encore.mp3",
                                        "sub Studio", "max 36", "path D:\\Three.mp3", "end"}));
    // Nothing but the output changed in the target; no temporary file is left.
    EXPECT_EQ(snapshot(d.target.path()).size(), 1u);
}

TEST(VrmToIni, RunGroupNameComesFromTheFirstListedFile) {
    Dirs d;
    writeBytes(d.source / "ROCK_Live.XML", playlist({"C:\\a.mp3"}));
    writeBytes(d.source / "rock_Acoustic.xml", playlist({"C:\\b.mp3"}));
    Window window;
    Messages messages;
    const auto result = convert::ConvertVrmToIni(d.inputs("Rock"), window, messages);
    ASSERT_EQ(result.status, RunStatus::Done);
    EXPECT_EQ(window.calls.front(), "group rock");
    EXPECT_EQ(readBytes(d.target / "rock.ini"), crlf({"[Acoustic]", "Track 1=;;;;;;|b.mp3||C:\\|||",
                                                      "[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
}

TEST(VrmToIni, WildcardCharactersInTheGroupNameMatchOnlyThemselves) {
#ifdef _WIN32
    GTEST_SKIP() << "\"?\" is not allowed in a Windows file name";
#endif
    Dirs d;
    writeBytes(d.source / "R?ck_Live.XML", playlist({"C:\\a.mp3"}));
    writeBytes(d.source / "Rock_Live.XML", playlist({"C:\\b.mp3"}));
    Window window;
    Messages messages;
    ASSERT_EQ(convert::ConvertVrmToIni(d.inputs("R?ck"), window, messages).status, RunStatus::Done);
    EXPECT_EQ(readBytes(d.target / "R?ck.ini"), crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||"}));
}

TEST(VrmToIni, WhichLinesBecomeEntries) {
    struct Case {
        const char* name;
        std::string playlist;
        std::string section; // the lines after "[Live]"
        std::vector<std::string> paths;
    } cases[] = {
        {"indented by a tab", rawPlaylist({"\t<media src=\"C:\\a.mp3\">"}), "", {}},
        {"indented by eight spaces", rawPlaylist({"        <media src=\"C:\\a.mp3\">"}), "", {}},
        {"indented by ten spaces", rawPlaylist({"          <media src=\"C:\\a.mp3\">"}), "", {}},
        {"another letter case", rawPlaylist({"         <Media src=\"C:\\a.mp3\">"}), "", {}},
        {"entities decoded, apostrophe first",
         rawPlaylist({"         <media src=\"C:\\Audio\\Tom &amp; Jerry&apos;s.mp3\">"}),
         crlf({"Track 1=;;;;;;|Tom & Jerry's.mp3||C:\\Audio\\|||"}),
         {"C:\\Audio\\Tom & Jerry's.mp3"}},
        {"&amp;apos; gives &apos;",
         rawPlaylist({"         <media src=\"C:\\&amp;apos;.mp3\">"}),
         crlf({"Track 1=;;;;;;|&apos;.mp3||C:\\|||"}),
         {"C:\\&apos;.mp3"}},
        {"every entity and character reference decoded",
         rawPlaylist({"         <media src=\"C:\\a&lt;b&#233;.mp3\">"}),
         crlf({"Track 1=;;;;;;|a<b\xE9.mp3||C:\\|||"}),
         {"C:\\a<b\xE9.mp3"}},
        {"an empty element",
         rawPlaylist({"         <media src=\"C:\\a.mp3\"/>"}),
         crlf({"Track 1=;;;;;;|a.mp3||C:\\|||"}),
         {"C:\\a.mp3"}},
        {"no backslash: five bars",
         playlist({"Song.mp3"}),
         crlf({"Track 1=;;;;;;|Song.mp3|||||"}),
         {"Song.mp3"}},
        {"empty path", playlist({""}), crlf({"Track 1=;;;;;;||||||"}), {""}},
        {"more after the quote stays in the path",
         rawPlaylist({"         <media src=\"C:\\a.mp3\" x=\"1\">"}),
         crlf({"Track 1=;;;;;;|a.mp3\" x=\"1||C:\\|||"}),
         {"C:\\a.mp3\" x=\"1"}},
        {"too short to cut is skipped, numbering goes on",
         rawPlaylist({"         <media src=", "         <media src=\"\"",
                      "         <media src=\"C:\\b.mp3\">"}),
         crlf({"Track 1=;;;;;;|b.mp3||C:\\|||"}),
         {"C:\\b.mp3"}},
        {"tenth entry",
         playlist({"1", "2", "3", "4", "5", "6", "7", "8", "9", "C:\\ten.mp3"}),
         crlf({"Track 1=;;;;;;|1|||||", "Track 2=;;;;;;|2|||||", "Track 3=;;;;;;|3|||||",
               "Track 4=;;;;;;|4|||||", "Track 5=;;;;;;|5|||||", "Track 6=;;;;;;|6|||||",
               "Track 7=;;;;;;|7|||||", "Track 8=;;;;;;|8|||||", "Track 9=;;;;;;|9|||||",
               "Track 10=;;;;;;|ten.mp3||C:\\|||"}),
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "C:\\ten.mp3"}},
        {"lone CR and lone LF line ends",
         "<smil>\r         <media src=\"C:\\a.mp3\">\n         </media>\n         <media "
         "src=\"C:\\b.mp3\">\r</smil>",
         crlf({"Track 1=;;;;;;|a.mp3||C:\\|||", "Track 2=;;;;;;|b.mp3||C:\\|||"}),
         {"C:\\a.mp3", "C:\\b.mp3"}},
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / "Rock_Live.XML", c.playlist);
        Window window;
        Messages messages;
        const auto result = convert::ConvertVrmToIni(d.inputs(), window, messages);
        ASSERT_EQ(result.status, RunStatus::Done) << c.name;
        EXPECT_EQ(readBytes(d.target / "Rock.ini"), "[Live]\r\n" + c.section) << c.name;
        std::vector<std::string> shown;
        for (const auto& call : window.calls)
            if (call.starts_with("path "))
                shown.push_back(call.substr(5));
        EXPECT_EQ(shown, c.paths) << c.name;
    }
}

TEST(VrmToIni, ProgressBarExampleOfTenAndThirtyLines) {
    Dirs d;
    std::string ten, thirty;
    for (int i = 0; i < 10; ++i)
        ten += "line\r\n";
    for (int i = 0; i < 30; ++i)
        thirty += "         <media src=\"C:\\t" + std::to_string(i) + ".mp3\">\r\n";
    writeBytes(d.source / "Rock_A.XML", ten);
    writeBytes(d.source / "Rock_B.XML", thirty);
    Window window(true);
    Messages messages;
    ASSERT_EQ(convert::ConvertVrmToIni(d.inputs(), window, messages).status, RunStatus::Done);

    std::vector<std::string> expected{"group Rock", "sub A", "max 10"};
    for (int v = 1; v <= 10; ++v)
        expected.push_back("value " + std::to_string(v));
    expected.insert(expected.end(), {"sub B", "max 40"});
    for (int v = 11; v <= 40; ++v) {
        const int entry = v - 10;
        expected.push_back("value " + std::to_string(v));
        expected.push_back("entry " + std::to_string(entry));
        expected.push_back("path C:\\t" + std::to_string(entry - 1) + ".mp3");
    }
    expected.push_back("end");
    EXPECT_EQ(window.calls, expected);
}

/// Checks the progress of a run as it goes: every value is at most the maximum shown at that
/// moment, and the values count up by one.
class BarWatch : public convert::VrmToIniProgress {
public:
    std::uint64_t maximum = 0;
    std::uint64_t value = 0;
    std::uint64_t overruns = 0; ///< values above the maximum shown
    std::uint64_t gaps = 0;     ///< values that were not the one before plus one
    std::vector<std::uint64_t> maximaAtFileEnds;
    void showSubgroup(std::string_view) override {
        if (value > 0)
            maximaAtFileEnds.push_back(maximum);
    }
    std::uint64_t raisedWithinAFile = 0; ///< maxima set after a value of the same file
    void setProgressMaximum(std::uint64_t m) override {
        raisedWithinAFile += value > 0 && maximum > value && m > maximum ? 1 : 0;
        maximum = m;
    }
    void setProgress(std::uint64_t v) override {
        gaps += v == value + 1 ? 0 : 1;
        overruns += v > maximum ? 1 : 0;
        value = v;
    }
    void finished() override { maximaAtFileEnds.push_back(maximum); }
};

TEST(VrmToIni, AFileTooLargeToHoldIsReadOnceAndEndsWithItsTrueLineTotal) {
    Dirs d;
    // Beside a small playlist, one over the size held in memory, whose lines are long at its
    // start and short later, so that the estimate of its lines must grow as it is read.
    const std::string small = playlist({"C:\\A\\one.mp3", "C:\\A\\two.mp3"});
    std::string big;
    std::vector<std::string> paths;
    for (auto line : formats::kVrmHead)
        (big += line) += "\r\n";
    std::uint64_t bigLines = 4;
    for (int n = 0; big.size() < 1024 * 1024; ++n) {
        paths.push_back("C:\\Music\\" + std::string(static_cast<std::size_t>(n % 300), 'd') +
                        "\\track " + std::to_string(n) + " & more.mp3");
        formats::appendMediaLines(big, paths.back());
        bigLines += 2;
    }
    for (; big.size() < formats::HeldFile::kHoldLimit + 1024 * 1024; ++bigLines)
        big += "x\r\n";
    for (auto line : formats::kVrmTail)
        (big += line) += "\r\n";
    bigLines += 3;
    writeBytes(d.source / "Rock_A.XML", small);
    writeBytes(d.source / "Rock_B.XML", big);

    BarWatch bar;
    Messages messages;
    ASSERT_EQ(convert::ConvertVrmToIni(d.inputs(), bar, messages).status, RunStatus::Done);
    const std::uint64_t smallLines = 4 + 2 * 2 + 3;
    EXPECT_EQ(bar.maximaAtFileEnds,
              (std::vector<std::uint64_t>{smallLines, smallLines + bigLines}));
    EXPECT_EQ(bar.value, smallLines + bigLines);
    EXPECT_EQ(bar.overruns, 0u);
    EXPECT_EQ(bar.gaps, 0u);
    EXPECT_GT(bar.raisedWithinAFile, 1u);

    std::string ini = "[A]\r\nTrack 1=;;;;;;|one.mp3||C:\\A\\|||\r\n"
                      "Track 2=;;;;;;|two.mp3||C:\\A\\|||\r\n[B]\r\n";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto parts = convert::splitTrackPath(paths[i]);
        formats::appendEntryLine(ini, i + 1, parts.fileName, parts.directory);
        ini += "\r\n";
    }
    EXPECT_TRUE(readBytes(d.target / "Rock.ini") == ini);
}

TEST(VrmToIni, RoundTripFromIniThroughVrmGivesTheSameBytes) {
    // Awkward bytes: ampersands and entity-like text, quotes and angle brackets, an apostrophe,
    // 8-bit characters, a UNC directory, an entry without directory, an empty subgroup,
    // "_" in a subgroup name. Subgroups in the order the listing gives them back.
    const std::string ini = crlf({"[A & B]", "Track 1=;;;;;;|Tom & Jerry's.mp3||C:\\R&B\\|||",
                                  "Track 2=;;;;;;|&amp;apos;&apos;.mp3||C:\\<dir>\\\"q\"\\|||",
                                  "Track 3=;;;;;;|Song.mp3|||||", "[Empty]", "[Live_Set]",
                                  "Track 1=;;;;;;|caf\xE9\x80\xFF.mp3||D:\\M\xFCsik\\|||",
                                  "Track 2=;;;;;;|two lines.mp3||\\\\server\\share\\|||",
                                  "[\xE9t\xE9]", "Track 1=;;;;;;|x.mp3||E:\\|||"});
    TempDir ini2vrm;
    {
        formats::StringSource source(ini);
        formats::LineReader lines(source);
        convert::GroupFileProgress quiet;
        const auto converted = convert::ConvertGroupFile(lines, "Rock", ini2vrm.str(), quiet);
        ASSERT_TRUE(converted.recognised);
        ASSERT_EQ(converted.playlistsWritten, 4u);
    }
    TempDir target;
    Window window;
    Messages messages;
    const auto result =
        convert::ConvertVrmToIni({ini2vrm.str(), "Rock", target.str()}, window, messages);
    ASSERT_EQ(result.status, RunStatus::Done);
    EXPECT_EQ(readBytes(target / "Rock.ini"), ini);
}

TEST(VrmToIni, RefusalsWriteNothing) {
    struct Case {
        const char* name;
        std::string group;
        bool targetMissing;
        const char* mentions;
    } cases[] = {
        {"no playlists of the group", "Jazz", false, "Jazz"},
        {"no group chosen", "", false, "Please select"},
        {"output directory missing", "Rock", true, "does not exist"},
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / "Rock_Live.XML", playlist({"C:\\a.mp3"}));
        writeBytes(d.source / "Jazz.XML", playlist({"C:\\a.mp3"}));
        writeBytes(d.target / "Jazz.ini", "keep");
        auto inputs = d.inputs(c.group);
        if (c.targetMissing)
            inputs.targetDirectory = (d.target / "gone").string();
        const auto sourceBefore = snapshot(d.source.path());
        const auto targetBefore = snapshot(d.target.path());
        Window window;
        Messages messages;
        const int open = test::openFileCount();
        const auto result = convert::ConvertVrmToIni(inputs, window, messages);
        EXPECT_EQ(test::openFileCount(), open) << c.name;
        EXPECT_EQ(result.status, RunStatus::Refused) << c.name;
        ASSERT_EQ(messages.texts.size(), 1u) << c.name;
        EXPECT_NE(messages.texts[0].find(c.mentions), std::string::npos)
            << c.name << ": " << messages.texts[0];
        EXPECT_TRUE(window.calls.empty()) << c.name;
        EXPECT_EQ(snapshot(d.source.path()), sourceBefore) << c.name;
        EXPECT_EQ(snapshot(d.target.path()), targetBefore) << c.name;
    }
}

TEST(VrmToIni, RefusesAnOutputThatIsOneOfItsSources) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    Dirs d;
    writeBytes(d.target / "Rock.ini", playlist({"C:\\a.mp3"}));
    fs::create_symlink(d.target / "Rock.ini", d.source / "Rock_Live.XML");
    Window window;
    Messages messages;
    const auto result = convert::ConvertVrmToIni(d.inputs(), window, messages);
    EXPECT_EQ(result.status, RunStatus::Refused);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("Rock.ini"), std::string::npos) << messages.texts[0];
    EXPECT_EQ(readBytes(d.target / "Rock.ini"), playlist({"C:\\a.mp3"}));
    EXPECT_EQ(snapshot(d.target.path()).size(), 1u);
}

std::string denyWrites(const fs::path&, formats::WriteStep, std::uint64_t) {
    return "Permission denied";
}

TEST(VrmToIni, FileFailuresLeaveTheOldOutputAndNothingOpen) {
    struct Case {
        const char* name;
        std::function<void(Dirs&)> setUp;
        const char* mentions;
    } cases[] = {
        {"output directory refuses writes", [](Dirs&) { formats::setWriteFaultHook(denyWrites); },
         "Permission denied"},
        {"a directory stands where the output goes",
         [](Dirs& d) {
             fs::remove(d.target / "Rock.ini");
             fs::create_directory(d.target / "Rock.ini");
         },
         "Rock.ini"},
#ifdef __linux__
        // A listed playlist whose reading fails halfway through the run.
        {"a source cannot be read",
         [](Dirs& d) { fs::create_symlink("/proc/self/mem", d.source / "Rock_Zed.XML"); },
         "Rock_Zed.XML"},
#endif
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / "Rock_Live.XML", playlist({"C:\\a.mp3"}));
        writeBytes(d.target / "Rock.ini", "old");
        c.setUp(d);
        const auto targetBefore = snapshot(d.target.path());
        Window window;
        Messages messages;
        const int open = test::openFileCount();
        const auto result = convert::ConvertVrmToIni(d.inputs(), window, messages);
        formats::setWriteFaultHook(nullptr);
        EXPECT_EQ(test::openFileCount(), open) << c.name;
        EXPECT_EQ(result.status, RunStatus::Failed) << c.name;
        ASSERT_EQ(messages.texts.size(), 1u) << c.name;
        EXPECT_NE(messages.texts[0].find(c.mentions), std::string::npos)
            << c.name << ": " << messages.texts[0];
        EXPECT_EQ(snapshot(d.target.path()), targetBefore) << c.name;
        EXPECT_TRUE(std::find(window.calls.begin(), window.calls.end(), "end") ==
                    window.calls.end())
            << c.name;
    }
}

} // namespace
