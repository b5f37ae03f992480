#include "convert/ConvertGroupFile.h"
#include "formats/VrmPlaylist.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace deckshift;
using convert::ConvertGroupFile;
using test::crlf;
using test::snapshot;
using test::TempDir;

namespace {

/// Records every progress operation as a line of text.
class RecordingProgress : public convert::GroupFileProgress {
public:
    std::vector<std::string> calls;
    void showGroup(std::string_view g) override { calls.push_back("group " + std::string(g)); }
    void showSubgroup(std::string_view s) override { calls.push_back("sub " + std::string(s)); }
    void showPosition(std::uint64_t n, std::uint64_t c) override {
        calls.push_back(std::to_string(n) + " From " + std::to_string(c));
    }
    void setProgressRange(std::uint64_t c) override { calls.push_back("max " + std::to_string(c)); }
    void setProgress(std::uint64_t) override {}
    void showEntry(std::string_view p) override { calls.push_back("entry " + std::string(p)); }
};

class Recorder : public formats::GroupListRecorder {
public:
    std::vector<std::string> calls;
    void begin(std::string_view g) override { calls.push_back("begin " + std::string(g)); }
    void addSubgroup(std::string_view n, std::string_view p) override {
        calls.push_back("add " + std::string(n) + " " + std::string(p));
    }
};

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

convert::GroupFileResult convert(const std::string& bytes, const TempDir& out,
                                 convert::GroupFileProgress& progress,
                                 formats::GroupListRecorder* recorder = nullptr,
                                 const std::string& group = "Rock") {
    formats::StringSource source(bytes);
    formats::LineReader lines(source);
    return ConvertGroupFile(lines, group, out.str(), progress, recorder);
}

const std::string kRock = crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||",
                                "Track 2=;;;;;;|Tom & Jerry.mp3||C:\\A&B\\|||", "[Studio]",
                                "Track 1=;;;;;;|Three.mp3||D:\\|||"});

TEST(ConvertGroupFile, OnePlaylistPerSubgroup) {
    TempDir out;
    RecordingProgress progress;
    Recorder recorder;
    auto result = convert(kRock, out, progress, &recorder);
    EXPECT_TRUE(result.recognised);
    EXPECT_EQ(result.playlistsWritten, 2u);
    auto files = snapshot(out.path());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files["Rock_Live.XML"], playlist({"C:\\Audio\\One.mp3", "C:\\A&B\\Tom & Jerry.mp3"}));
    EXPECT_EQ(files["Rock_Studio.XML"], playlist({"D:\\Three.mp3"}));
    const std::string dir = out.str(true);
    EXPECT_EQ(progress.calls,
              (std::vector<std::string>{"max 5", "1 From 5", "group Rock", "sub Live", "2 From 5",
                                        "entry C:\\Audio\\One.mp3", "3 From 5",
                                        "entry C:\\A&B\\Tom & Jerry.mp3", "4 From 5", "group Rock",
                                        "sub Studio", "5 From 5", "entry D:\\Three.mp3"}));
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"begin Rock", "add Live " + dir + "Rock_Live.XML",
                                        "add Studio " + dir + "Rock_Studio.XML"}));
}

TEST(ConvertGroupFile, EmptyPlaylistsAndUnsafeNames) {
    TempDir out;
    RecordingProgress progress;
    auto result =
        convert(crlf({"[A/B?C:D]", "Track 1=;;;;;;|x.mp3||C:\\|||", "[Empty]", "[*&_]", "[Last]"}),
                out, progress);
    EXPECT_EQ(result.playlistsWritten, 4u);
    auto files = snapshot(out.path());
    EXPECT_EQ(files["Rock_A-B-C-D.XML"], playlist({"C:\\x.mp3"}));
    EXPECT_EQ(files["Rock_Empty.XML"], playlist({}));
    // "*" names no file on Windows, nor under Wine: a playlist PCDJ FX could never open.
    EXPECT_EQ(files["Rock_-&_.XML"], playlist({}));
    EXPECT_EQ(files["Rock_Last.XML"], playlist({}));
    EXPECT_EQ(files.size(), 4u);
}

// Two subgroups whose playlist names come out equal (letter case ignored, as Windows compares file
// names) never share a file: the later one takes the first free name of " (2)", " (3)" ...
TEST(ConvertGroupFile, SamePlaylistNameTwiceTakesAFreeName) {
    TempDir out;
    RecordingProgress progress;
    Recorder recorder;
    const auto result = convert(
        crlf({"[A:B]", "Track 1=;;;;;;|first.mp3||C:\\|||", "[A?B]",
              "Track 1=;;;;;;|second.mp3||C:\\|||", "[a|b]", "Track 1=;;;;;;|third.mp3||C:\\|||"}),
        out, progress, &recorder);
    auto files = snapshot(out.path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files["Rock_A-B.XML"], playlist({"C:\\first.mp3"}));
    EXPECT_EQ(files["Rock_A-B (2).XML"], playlist({"C:\\second.mp3"}));
    EXPECT_EQ(files["Rock_a-b (3).XML"], playlist({"C:\\third.mp3"}));
    const std::string dir = out.str(true);
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"begin Rock", "add A-B " + dir + "Rock_A-B.XML",
                                        "add A-B " + dir + "Rock_A-B (2).XML",
                                        "add a-b " + dir + "Rock_a-b (3).XML"}));
    ASSERT_EQ(result.renamed.size(), 2u);
    EXPECT_EQ(result.renamed[1].wantedPath, dir + "Rock_a-b.XML");
    EXPECT_EQ(result.renamed[1].writtenPath, dir + "Rock_a-b (3).XML");
    EXPECT_FALSE(result.renamed[1].listedElsewhere);
}

TEST(ConvertGroupFile, FilesThatAreNotGroupFilesWriteNothing) {
    const std::string cases[] = {"", crlf({"[Live]"}),
                                 crlf({"[Live]", "track 1=;;;;;;|a.mp3||C:\\|||"}),
                                 crlf({"[Live]", "Trac"}), "[Live]\nTrack 1=;;;;;;|a||C:\\|||\n"};
    for (const auto& bytes : cases) {
        TempDir out;
        RecordingProgress progress;
        Recorder recorder;
        auto result = convert(bytes, out, progress, &recorder);
        EXPECT_FALSE(result.recognised) << bytes;
        EXPECT_TRUE(snapshot(out.path()).empty()) << bytes;
        EXPECT_TRUE(recorder.calls.empty()) << bytes;
    }
}

TEST(ConvertGroupFile, MalformedLinesAreSkippedAndCounted) {
    TempDir out;
    RecordingProgress progress;
    auto result = convert(crlf({"Track 0=;;;;;;|early.mp3||C:\\|||", // before any header
                                "Track 1=;;;;;;|also-early.mp3||C:\\|||", "[Live]",
                                "Track 1=;;;;;;|good.mp3||C:\\|||", "no bars at all", "",
                                "Track 2=;;;;;;|a.mp3|", "Track 3=;;;;;;|b.mp3||C:\\x", "["}),
                          out, progress);
    EXPECT_TRUE(result.recognised);
    EXPECT_EQ(result.skipped.count, 5u);
    EXPECT_EQ(result.skipped.firstLineNumbers, (std::vector<std::uint64_t>{1, 2, 5, 6, 7}));
    auto files = snapshot(out.path());
    EXPECT_EQ(files["Rock_Live.XML"], playlist({"C:\\good.mp3", "C:\\xb.mp3"}));
    EXPECT_EQ(files["Rock_.XML"], playlist({}));
}

TEST(ConvertGroupFile, BytesPassThroughUnchanged) {
    TempDir out;
    RecordingProgress progress;
    const std::string name = "\x80\xe9\xff \"q\" <a>&amp;&apos;\n.mp3";
    convert("[Live\n]\r\nTrack 1=;;;;;;|" + name + "||C:\\\xe9\\|||\r", out, progress);
    auto files = snapshot(out.path());
    ASSERT_EQ(files.size(), 1u);
    // The file name is one Windows can open: a control character becomes "-".
    EXPECT_EQ(files.begin()->first, "Rock_Live-.XML");
    EXPECT_EQ(files.begin()->second, playlist({"C:\\\xe9\\" + name}));
}

TEST(ConvertGroupFile, PlaylistThatCannotBeCreatedKeepsEarlierOnesWhole) {
    TempDir out;
    std::filesystem::create_directory(out / "Rock_Studio.XML"); // stands where a playlist goes
    RecordingProgress progress;
    const int before = test::openFileCount();
    EXPECT_THROW(convert(kRock, out, progress), formats::FileError);
    EXPECT_EQ(test::openFileCount(), before);
    auto files = snapshot(out.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files["Rock_Live.XML"], playlist({"C:\\Audio\\One.mp3", "C:\\A&B\\Tom & Jerry.mp3"}));
}

} // namespace
