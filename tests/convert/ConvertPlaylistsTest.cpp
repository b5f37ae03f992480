// The two playlist conversions: M3U to VRM and VRM to M3U.

#include "convert/ConvertM3uToVrm.h"
#include "convert/ConvertVrmToM3u.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace deckshift;
using convert::RunStatus;
using test::crlf;
using test::readBytes;
using test::snapshot;
using test::TempDir;
using test::vrmPlaylist;
using test::writeBytes;

namespace {

using Messages = test::DeckshiftErrors;

/// Records how the run went, as the engine reports it.
class Course : public convert::RunEvents {
public:
    std::vector<std::string> calls;
    void started() override { calls.emplace_back("started"); }
    void finished() override { calls.emplace_back("finished"); }
    void refused() override { calls.emplace_back("refused"); }
    void failed() override { calls.emplace_back("failed"); }
};

const std::vector<std::string> kFinished{"started", "finished"};
const std::vector<std::string> kFailed{"started", "failed"};
const std::vector<std::string> kRefused{"refused"};

std::string join(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

struct Dirs {
    TempDir source;
    TempDir output;
};

convert::M3uToVrmResult m3uToVrm(const Dirs& d, const std::string& name, const std::string& drive,
                                 Course& course, Messages& messages) {
    return convert::ConvertM3uToVrm({d.source.str(), name, drive, d.output.str()}, course,
                                    messages);
}

convert::VrmToM3uResult vrmToM3u(const Dirs& d, const std::string& name, Course& course,
                                 Messages& messages) {
    return convert::ConvertVrmToM3u({d.source.str(), name, d.output.str()}, course, messages);
}

TEST(M3uToVrm, ExtendedPlaylistGivesOneTrackPerPathLine) {
    Dirs d;
    writeBytes(d.source / "Party.m3u",
               crlf({"#EXTM3U", "#EXTINF:215,Artist - Title", "C:\\Music\\Tom & Jerry.mp3",
                     "#EXTINF:180,Other", "\\Music\\b.mp3"}));
    Course course;
    Messages messages;
    const auto result = m3uToVrm(d, "Party.m3u", "d: [MUSIC]", course, messages);
    ASSERT_EQ(result.status, RunStatus::Done);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(result.tracks, 2u);
    EXPECT_EQ(result.outputPath, d.output.str(true) + "Party.XML");
    EXPECT_EQ(course.calls, kFinished);
    EXPECT_EQ(readBytes(d.output / "Party.XML"),
              "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n"
              "<smil>\r\n"
              "   <body>\r\n"
              "      <seq>\r\n"
              "         <media src=\"C:\\Music\\Tom &amp; Jerry.mp3\">\r\n"
              "         </media>\r\n"
              "         <media src=\"d:\\Music\\b.mp3\">\r\n"
              "         </media>\r\n"
              "      </seq>\r\n"
              "   </body>\r\n"
              "</smil>\r\n");
    EXPECT_EQ(snapshot(d.output.path()).size(), 1u);
}

TEST(M3uToVrm, LinesAndTheirTracks) {
    struct Case {
        const char* name;
        std::string m3u;
        std::string drive;
        std::vector<std::string> media; // the src values written
    } cases[] = {
        {"empty file", "", "C:", {}},
        {"only directive lines", crlf({"#EXTM3U", "#EXTINF:1,x", "#"}), "C:", {}},
        {"an empty line is a track, a directive after it is not",
         crlf({"#EXTM3U", "a.mp3", "", "#EXTINF:1,x", "b.mp3"}),
         "C:",
         {"a.mp3", "", "b.mp3"}},
        {"only the very first character decides",
         crlf({" #EXTINF", "-#x", "x#"}),
         "C:",
         {" #EXTINF", "-#x", "x#"}},
        {"drive letter and colon, never the label",
         crlf({"\\Music\\a.mp3"}),
         "d: [MUSIC]",
         {"d:\\Music\\a.mp3"}},
        {"no drive letter: nothing in front", crlf({"\\Music\\a.mp3"}), "/", {"\\Music\\a.mp3"}},
        {"no drive at all", crlf({"\\Music\\a.mp3"}), "", {"\\Music\\a.mp3"}},
        {"not a letter", crlf({"\\a.mp3"}), "1:", {"\\a.mp3"}},
        {"only a rooted path is completed",
         crlf({"C:\\a.mp3", "rel\\b.mp3", " \\c.mp3"}),
         "d:",
         {"C:\\a.mp3", "rel\\b.mp3", " \\c.mp3"}},
        {"ampersands, angle brackets and double quotes escaped, nothing else",
         crlf({"R&B &amp; <x> \"q\" 'a'"}),
         "C:",
         {"R&amp;B &amp;amp; &lt;x&gt; &quot;q&quot; 'a'"}},
        {"UNC paths are not completed",
         crlf({"\\\\server\\share\\a.mp3", "file://server/share/b%20c.mp3"}),
         "d:",
         {"\\\\server\\share\\a.mp3", "\\\\server\\share\\b c.mp3"}},
        {"8-bit bytes pass unchanged",
         crlf({"caf\xE9\x80\xFF.mp3"}),
         "C:",
         {"caf\xE9\x80\xFF.mp3"}},
        {"byte-order mark at the start belongs to no line",
         "\xEF\xBB\xBF" + crlf({"#EXTM3U", "a.mp3"}),
         "C:",
         {"a.mp3"}},
        {"byte-order mark alone", "\xEF\xBB\xBF", "C:", {}},
        {"byte-order mark before an empty line", "\xEF\xBB\xBF\r\n", "C:", {""}},
        {"byte-order mark on a later line of an 8-bit file is part of it",
         crlf({"a\xE9.mp3", "\xEF\xBB\xBF#EXTINF"}),
         "C:",
         {"a\xE9.mp3", "\xEF\xBB\xBF#EXTINF"}},
        {"half a byte-order mark is a track", "\xEF\xBBx.mp3", "C:", {"\xEF\xBBx.mp3"}},
        {"LF line ends", "#EXTM3U\n#EXTINF:1,x\na.mp3\n\\b.mp3\n", "e:", {"a.mp3", "e:\\b.mp3"}},
        {"lone CR and mixed line ends",
         "a.mp3\rb.mp3\r\nc.mp3\nd.mp3",
         "C:",
         {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}},
        {"blanks at either end stay", crlf({"  a.mp3  "}), "C:", {"  a.mp3  "}},
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / "list.m3u", c.m3u);
        Course course;
        Messages messages;
        const auto result = m3uToVrm(d, "list.m3u", c.drive, course, messages);
        ASSERT_EQ(result.status, RunStatus::Done) << c.name;
        EXPECT_EQ(result.tracks, c.media.size()) << c.name;
        EXPECT_EQ(readBytes(d.output / "list.XML"), vrmPlaylist(c.media)) << c.name;
    }
}

TEST(PlaylistConversions, OutputNames) {
    struct Case {
        bool fromM3u;
        const char* source;
        const char* output;
    } cases[] = {
        {true, "Party.m3u", "Party.XML"}, {true, "PARTY.M3U", "PARTY.XML"},
        {true, ".m3u", ".XML"},           {false, "Rock_Live.XML", "Rock_Live.m3u"},
        {false, "set.xml", "set.m3u"},    {false, ".xml", ".m3u"},
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / c.source, c.fromM3u ? crlf({"a.mp3"}) : vrmPlaylist({"a.mp3"}));
        Course course;
        Messages messages;
        const auto status = c.fromM3u ? m3uToVrm(d, c.source, "C:", course, messages).status
                                      : vrmToM3u(d, c.source, course, messages).status;
        ASSERT_EQ(status, RunStatus::Done) << c.source;
        const auto files = snapshot(d.output.path());
        ASSERT_EQ(files.size(), 1u) << c.source;
        EXPECT_EQ(files.begin()->first, c.output);
    }
}

TEST(VrmToM3u, OneLinePerMediaLine) {
    struct Case {
        const char* name;
        std::string vrm;
        std::vector<std::string> m3u; // the lines after "#EXTM3U"
        // No "<smil>" line and no media line: not a VRM playlist, refused with nothing written.
        bool refused = false;
    } cases[] = {
        {"tracks in play order",
         vrmPlaylist({"C:\\Audio\\One.mp3", "D:\\Two.mp3"}),
         {"C:\\Audio\\One.mp3", "D:\\Two.mp3"}},
        {"no tracks", vrmPlaylist({}), {}},
        {"not a playlist at all", "hello\r\nworld", {}, true},
        {"empty path gives an empty line", vrmPlaylist({""}), {""}},
        {"entities: apostrophe, then ampersand",
         vrmPlaylist({"Tom &amp; Jerry&apos;s", "&amp;apos;"}),
         {"Tom & Jerry's", "&apos;"}},
        {"every entity and character reference is decoded",
         vrmPlaylist({"a&lt;b&gt;&quot;c&quot;", "caf&#233;&#xE9;&#x20AC;", "&#bogus; &x;"}),
         {"a<b>\"c\"", "caf\xE9\xE9\x80", "&#bogus; &x;"}},
        {"indented otherwise or in another case",
         crlf({"\t<media src=\"a\">", "        <media src=\"b\">", "          <media src=\"c\">",
               "         <MEDIA src=\"d\">", "         <media SRC=\"e\">"}),
         {},
         true},
        {"more after the quote loses only two characters; an empty element its three",
         crlf({"         <media src=\"a.mp3\" x=\"1\">", "         <media src=\"b.mp3\"/>",
               "         <media src=\"\"/>"}),
         {"a.mp3\" x=\"1", "b.mp3", ""}},
        {"too short to cut is skipped",
         crlf({"         <media src=", "         <media src=\"\"", "         <media src=\"\">"}),
         {""}},
        {"8-bit bytes", vrmPlaylist({"caf\xE9\xFF"}), {"caf\xE9\xFF"}},
        {"a lone LF ends a line, as tools on Linux write XML",
         "<smil>\n         <media src=\"a\">\n         </media>\n         <media src=\"b\"/>\n"
         "</smil>\n",
         {"a", "b"}},
        {"a lone CR does", "<smil>\r         <media src=\"a\">\r</smil>\r", {"a"}},
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / "list.XML", c.vrm);
        Course course;
        Messages messages;
        const auto result = vrmToM3u(d, "list.XML", course, messages);
        if (c.refused) {
            EXPECT_EQ(result.status, RunStatus::Refused) << c.name;
            EXPECT_EQ(course.calls, kRefused) << c.name;
            ASSERT_EQ(messages.texts.size(), 1u) << c.name;
            EXPECT_NE(messages.texts[0].find("is not a PCDJ FX VRM playlist"), std::string::npos);
            EXPECT_FALSE(fs::exists(d.output / "list.m3u")) << c.name;
            continue;
        }
        ASSERT_EQ(result.status, RunStatus::Done) << c.name;
        EXPECT_EQ(course.calls, kFinished) << c.name;
        EXPECT_EQ(result.tracks, c.m3u.size()) << c.name;
        std::vector<std::string> lines{"#EXTM3U"};
        lines.insert(lines.end(), c.m3u.begin(), c.m3u.end());
        EXPECT_EQ(readBytes(d.output / "list.m3u"), join(lines)) << c.name;
    }
}

// A track holding a control character once decoded (a percent escape, a character reference, a
// raw byte) names no file and would break the playlist written: it is skipped with a warning
// naming its line, as is a character reference the code page cannot hold.
TEST(PlaylistConversions, TracksWithControlCharactersAreSkipped) {
    Dirs d;
    writeBytes(
        d.source / "list.m3u",
        std::string("a.mp3\r\nfile:///C:/b%0D%0Ac.mp3\r\nd\0e.mp3\r\nf\tg.mp3\r\nh.mp3\r\n", 57));
    writeBytes(d.source / "list.XML",
               vrmPlaylist({"a.mp3", "b&#13;&#10;c.mp3", "d&#0;e.mp3", "&#x3042;.mp3", "h.mp3"}));
    Course course;
    test::RecordedMessages messages;
    const auto m3u = convert::ConvertM3uToVrm({d.source.str(), "list.m3u", "C:", d.output.str()},
                                              course, messages);
    ASSERT_EQ(m3u.status, RunStatus::Done);
    EXPECT_EQ(m3u.tracks, 2u);
    EXPECT_EQ(readBytes(d.output / "list.XML"), vrmPlaylist({"a.mp3", "h.mp3"}));
    const auto vrmRun =
        convert::ConvertVrmToM3u({d.source.str(), "list.XML", d.output.str()}, course, messages);
    ASSERT_EQ(vrmRun.status, RunStatus::Done);
    EXPECT_EQ(vrmRun.tracks, 2u);
    EXPECT_EQ(readBytes(d.output / "list.m3u"), join({"#EXTM3U", "a.mp3", "h.mp3"}));
    std::vector<std::string> texts;
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.kind, convert::MessageKind::Warning) << shown.text;
        texts.push_back(shown.text);
    }
    const std::string m3uPath = (d.source / "list.m3u").string();
    const std::string vrmPath = (d.source / "list.XML").string();
    const std::string control = ": the track holds the control character ";
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], m3uPath + ":2" + control +
                            "U+000D, which no file name holds; it was "
                            "skipped.");
    const std::string starts[] = {
        m3uPath + ":3" + control + "U+0000", m3uPath + ":4" + control + "U+0009",
        vrmPath + ":7" + control + "U+000D", vrmPath + ":9" + control + "U+0000",
        vrmPath + ":11: the track holds U+3042"};
    for (std::size_t i = 0; i < std::size(starts); ++i)
        EXPECT_EQ(texts[i + 1].rfind(starts[i], 0), 0u) << texts[i + 1];
}

TEST(PlaylistConversions, RoundTripM3uThroughVrm) {
    const std::string awkward[] = {
        "C:\\Music\\Tom & Jerry's.mp3", "&amp;apos;", "&apos;&&",
        "<a> \"b\" &lt;&#233;",         "",           "  blanks  ",
        "caf\xE9\x80\xFF.mp3",          "rel\\x.mp3", "\\rooted.mp3",
        "\\\\server\\share\\unc.mp3",
    };
    std::string m3u = "\xEF\xBB\xBF#EXTM3U\n";
    std::vector<std::string> expected{"#EXTM3U"};
    for (const auto& line : awkward) {
        m3u += "#EXTINF:1,title\n" + line + "\n";
        expected.push_back(line.starts_with('\\') && !line.starts_with("\\\\") ? "x:" + line
                                                                               : line);
    }
    Dirs d;
    writeBytes(d.source / "Mix.m3u", m3u);
    Course course;
    Messages messages;
    ASSERT_EQ(m3uToVrm(d, "Mix.m3u", "x: [DATA]", course, messages).status, RunStatus::Done);
    Dirs back;
    fs::copy_file(d.output / "Mix.XML", back.source / "Mix.XML");
    ASSERT_EQ(vrmToM3u(back, "Mix.XML", course, messages).status, RunStatus::Done);
    EXPECT_EQ(readBytes(back.output / "Mix.m3u"), join(expected));
    EXPECT_TRUE(messages.texts.empty());
}

TEST(PlaylistConversions, ASecondRunReplacesTheFirstOutput) {
    Dirs d;
    writeBytes(d.source / "a.m3u", crlf({"one.mp3"}));
    writeBytes(d.output / "a.XML", "older");
    Course course;
    Messages messages;
    ASSERT_EQ(m3uToVrm(d, "a.m3u", "C:", course, messages).status, RunStatus::Done);
    writeBytes(d.source / "a.m3u", crlf({"two.mp3"}));
    ASSERT_EQ(m3uToVrm(d, "a.m3u", "C:", course, messages).status, RunStatus::Done);
    EXPECT_EQ(readBytes(d.output / "a.XML"), vrmPlaylist({"two.mp3"}));
    EXPECT_EQ(snapshot(d.output.path()).size(), 1u);
}

std::string denyWrites(const fs::path&, formats::WriteStep, std::uint64_t) {
    return "Permission denied";
}

/// Runs one of the two conversions: source directory, source name, output directory.
using Conversion = std::function<RunStatus(const std::string&, const std::string&,
                                           const std::string&, Course&, Messages&)>;

enum class Into { Output, SourceDirectory, MissingDirectory };

TEST(PlaylistConversions, RefusalsAndFailuresWriteNothingAndLeaveNothingOpen) {
    const Conversion fromM3u = [](const std::string& dir, const std::string& name,
                                  const std::string& out, Course& b, Messages& m) {
        return convert::ConvertM3uToVrm({dir, name, "C:", out}, b, m).status;
    };
    const Conversion fromVrm = [](const std::string& dir, const std::string& name,
                                  const std::string& out, Course& b, Messages& m) {
        return convert::ConvertVrmToM3u({dir, name, out}, b, m).status;
    };
    struct Case {
        const char* name;
        Conversion convert;
        std::string sourceName;
        Into into;
        std::function<void(Dirs&)> setUp;
        RunStatus status;
        std::vector<std::string> events;
        const char* mentions;
    } cases[] = {
        {"M3U: no file chosen", fromM3u, "", Into::Output, [](Dirs&) {}, RunStatus::Refused,
         kRefused, "Please select"},
        {"VRM: no file chosen", fromVrm, "", Into::Output, [](Dirs&) {}, RunStatus::Refused,
         kRefused, "Please select"},
        {"M3U: output would be its own source", fromM3u, "same.XML", Into::SourceDirectory,
         [](Dirs& d) { writeBytes(d.source / "same.XML", crlf({"a.mp3"})); }, RunStatus::Refused,
         kRefused, "same.XML"},
        {"VRM: output would be its own source", fromVrm, "same.m3u", Into::SourceDirectory,
         [](Dirs& d) { writeBytes(d.source / "same.m3u", vrmPlaylist({"a"})); }, RunStatus::Refused,
         kRefused, "same.m3u"},
        {"M3U: output directory missing", fromM3u, "a.m3u", Into::MissingDirectory, [](Dirs&) {},
         RunStatus::Refused, kRefused, "does not exist"},
        {"M3U: source missing", fromM3u, "gone.m3u", Into::Output, [](Dirs&) {}, RunStatus::Failed,
         kFailed, "gone.m3u"},
        {"VRM: source is a directory", fromVrm, "dir.xml", Into::Output,
         [](Dirs& d) { fs::create_directory(d.source / "dir.xml"); }, RunStatus::Failed, kFailed,
         "dir.xml"},
        {"M3U: output cannot be written", fromM3u, "a.m3u", Into::Output,
         [](Dirs&) { formats::setWriteFaultHook(denyWrites); }, RunStatus::Failed, kFailed,
         "Permission denied"},
        {"VRM: output cannot be written", fromVrm, "a.xml", Into::Output,
         [](Dirs&) { formats::setWriteFaultHook(denyWrites); }, RunStatus::Failed, kFailed,
         "a.m3u"},
        {"M3U: a binary file, or UTF-16 without its byte-order mark", fromM3u, "wide.m3u",
         Into::Output,
         [](Dirs& d) {
             std::string wide;
             for (char c : std::string_view("#EXTM3U\r\na.mp3\r\nb.mp3\r\n"))
                 wide += std::string{c, '\0'};
             writeBytes(d.source / "wide.m3u", wide);
         },
         RunStatus::Refused, kRefused, "is not an M3U playlist"},
        {"VRM: a directory stands where the output goes", fromVrm, "a.xml", Into::Output,
         [](Dirs& d) {
             fs::remove(d.output / "a.m3u");
             fs::create_directory(d.output / "a.m3u");
         },
         RunStatus::Failed, kFailed, "a.m3u"},
    };
    for (const auto& c : cases) {
        Dirs d;
        writeBytes(d.source / "a.m3u", crlf({"a.mp3"}));
        writeBytes(d.source / "a.xml", vrmPlaylist({"a.mp3"}));
        writeBytes(d.output / "a.XML", "old playlist");
        writeBytes(d.output / "a.m3u", "old m3u");
        c.setUp(d);
        const std::string out = c.into == Into::Output            ? d.output.str()
                                : c.into == Into::SourceDirectory ? d.source.str()
                                                                  : (d.output / "gone").string();
        const auto sourceBefore = snapshot(d.source.path());
        const auto outputBefore = snapshot(d.output.path());
        Course course;
        Messages messages;
        const int open = test::openFileCount();
        const auto status = c.convert(d.source.str(), c.sourceName, out, course, messages);
        formats::setWriteFaultHook(nullptr);
        EXPECT_EQ(test::openFileCount(), open) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_EQ(course.calls, c.events) << c.name;
        ASSERT_EQ(messages.texts.size(), 1u) << c.name;
        EXPECT_NE(messages.texts[0].find(c.mentions), std::string::npos)
            << c.name << ": " << messages.texts[0];
        EXPECT_EQ(snapshot(d.source.path()), sourceBefore) << c.name;
        EXPECT_EQ(snapshot(d.output.path()), outputBefore) << c.name;
    }
}

} // namespace
