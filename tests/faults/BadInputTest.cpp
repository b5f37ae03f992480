// Bad input through the command line: binary files, NUL bytes, lone CR and lone LF line ends,
// mixed line ends, UTF-16 with a byte-order mark, lines far longer than the read block. No input
// crashes a conversion; each either passes its bytes through unchanged (a line too long to hold is
// skipped with a warning) or says plainly why it is refused.

#include "formats/TextIO.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace deckshift;
using test::CliOutcome;
using test::crlf;
using test::readBytes;
using test::snapshot;
using test::TempDir;
using test::writeBytes;

namespace {

CliOutcome runCli(const std::vector<std::string>& args) {
    return test::runCapturedCli(args);
}

std::string binaryBytes(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 2463534242u;
    for (auto& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    return s;
}

std::string utf16(std::string_view ascii, bool bigEndian) {
    std::string s = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        if (bigEndian)
            s += '\0';
        s += c;
        if (!bigEndian)
            s += '\0';
    }
    return s;
}

/// The M3U line rule: CR LF, a lone CR or a lone LF ends a line; a UTF-8 byte-order mark at the
/// start belongs to no line.
std::vector<std::string> m3uLines(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            lines.push_back(std::move(current));
            current.clear();
            open = false;
        } else {
            current += bytes[i];
            open = true;
        }
    }
    if (open)
        lines.push_back(current);
    return lines;
}

std::string playlist(const std::vector<std::string>& paths) {
    std::string s = crlf(
        {"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>", "      <seq>"});
    for (const auto& p : paths)
        s += crlf({"         <media src=\"" + p + "\">", "         </media>"});
    return s + crlf({"      </seq>", "   </body>", "</smil>"});
}

constexpr std::size_t kMaxLine = formats::LineReader::kMaxLineLength;

// A track line comes back when it holds no control character (no file name holds one) and
// neither it nor the media line it becomes is too long to hold.
bool holdable(const std::string& track) {
    std::size_t media = 23; // "         <media src=\"" and "\">"
    for (char c : track) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        media += c == '&' ? 5 : c == '<' || c == '>' ? 4 : c == '"' ? 6 : 1;
    }
    return track.size() <= kMaxLine && media <= kMaxLine;
}

const struct BadBytes {
    const char* name;
    std::string bytes;
} kBadInputs[] = {
    {"binary bytes", binaryBytes(64 * 1024)},
    {"NUL bytes", "a\0b.mp3\r\n\0\r\n#\0\r\n\0\0"s},
    {"CR only", "C:\\one.mp3\rC:\\two.mp3\r"},
    {"LF only", "C:\\one.mp3\nC:\\two.mp3\n"},
    {"mixed line ends", "a\r\nb\rc\nd\n\re\r\r\n\nf"},
    {"UTF-16 LE with BOM", utf16("#EXTM3U\r\nC:\\a & b.mp3\r\n", false)},
    {"UTF-16 BE with BOM", utf16("#EXTM3U\r\nC:\\a & b.mp3\r\n", true)},
    {"UTF-8 BOM", "\xEF\xBB\xBF#EXTM3U\r\n\xC3\xA9t\xC3\xA9.mp3\r\n"},
    {"a line just short of the limit", std::string(kMaxLine - 40, 'x') + "&\r\ny"},
    {"a 3 MB line", std::string(3 * 1024 * 1024, 'x') + "&\r\ny"},
    {"empty file", ""},
};

// Every input through M3U to VRM and back: the track lines come back byte for byte.
TEST(BadInput, M3uBytesPassThroughBothPlaylistConversions) {
    for (const auto& k : kBadInputs) {
        TempDir dir;
        writeBytes(dir / "in" / "Bad.m3u", k.bytes);
        fs::create_directories(dir / "vrm");
        fs::create_directories(dir / "back");
        auto outcome = runCli(
            {"m3u2vrm", (dir / "in" / "Bad.m3u").string(), "--output", (dir / "vrm").string()});
        ASSERT_EQ(outcome.status, cli::kExitDone) << k.name << ": " << outcome.err;
        outcome = runCli(
            {"vrm2m3u", (dir / "vrm" / "Bad.XML").string(), "--output", (dir / "back").string()});
        ASSERT_EQ(outcome.status, cli::kExitDone) << k.name << ": " << outcome.err;
        std::string want = "#EXTM3U\r\n";
        for (const auto& line : m3uLines(k.bytes))
            if ((line.empty() || line.front() != '#') && holdable(line))
                want += line + "\r\n";
        // Unicode sources come back in the 8-bit code page the VRM playlist holds.
        if (k.name == std::string_view("UTF-16 LE with BOM") ||
            k.name == std::string_view("UTF-16 BE with BOM"))
            want = "#EXTM3U\r\nC:\\a & b.mp3\r\n";
        else if (k.name == std::string_view("UTF-8 BOM"))
            want = "#EXTM3U\r\n\xE9t\xE9.mp3\r\n";
        EXPECT_TRUE(readBytes(dir / "back" / "Bad.m3u") == want) << k.name;

        // Read as a VRM playlist, none of them holds a media line: refused, and the M3U of the
        // same name in the output directory stays as it was.
        outcome = runCli(
            {"vrm2m3u", (dir / "in" / "Bad.m3u").string(), "--output", (dir / "back").string()});
        ASSERT_EQ(outcome.status, cli::kExitFailed) << k.name << ": " << outcome.err;
        EXPECT_NE(outcome.err.find("not a PCDJ FX VRM playlist"), std::string::npos) << k.name;
        EXPECT_TRUE(readBytes(dir / "back" / "Bad.m3u") == want) << k.name;
    }
}

TEST(BadInput, GroupFilesAreConvertedByteForByteOrRefusedWithAMessage) {
    // The longest name an entry line within the limit can hold, and one far beyond it.
    const std::string longName(kMaxLine - 23, 'n');
    const std::string tooLongName(3 * 1024 * 1024, 'n');
    struct Case {
        const char* name;
        std::string bytes;
        int status;
        std::vector<std::string> mentions;
        std::map<std::string, std::string> files;
    } cases[] = {
        {"binary bytes",
         binaryBytes(64 * 1024),
         cli::kExitFailed,
         {"Rock.INI: This is not a PCDJ .INI file. Nothing was written."},
         {}},
        {"NUL bytes in entries: the track is skipped",
         "[Live]\r\nTrack 1=;;;;;;|a\0b.mp3||C:\\\0\\|||\r\n"s,
         cli::kExitDone,
         {"Rock.INI:2: the track holds the control character U+0000"},
         {{"Rock_Live.XML", playlist({})}}},
        // Found by fuzzing: the name was cut at the NUL and the playlist written as "Rock_a".
        // A control character in a name becomes "-" in the file name, as Windows needs.
        {"NUL byte in a subgroup name",
         "[a\0b]\r\nTrack 1=;;;;;;|a.mp3||C:\\|||\r\n"s,
         cli::kExitDone,
         {},
         {{"Rock_a-b.XML", playlist({"C:\\a.mp3"})}}},
        {"CR only",
         "[Live]\rTrack 1=;;;;;;|a.mp3||C:\\|||\r[Dub]\r",
         cli::kExitDone,
         {},
         {{"Rock_Live.XML", playlist({"C:\\a.mp3"})}, {"Rock_Dub.XML", playlist({})}}},
        {"LF only: one line",
         "[Live]\nTrack 1=;;;;;;|a.mp3||C:\\|||\n",
         cli::kExitFailed,
         {"Rock.INI: This is not a PCDJ .INI file. Nothing was written."},
         {}},
        {"mixed line ends: a lone LF in a path is a control character",
         "[Live]\r\nTrack 1=;;;;;;|a.mp3||C:\\x\ny\\|||\r[Dub]\rTrack 1=;;;;;;|b.mp3||C:\\|||\n",
         cli::kExitDone,
         {"Rock.INI:2: the track holds the control character U+000A"},
         {{"Rock_Live.XML", playlist({})}, {"Rock_Dub.XML", playlist({"C:\\b.mp3"})}}},
        {"UTF-16 LE with BOM",
         utf16("[Live]\r\nTrack 1=;;;;;;|a.mp3||C:\\|||\r\n", false),
         cli::kExitFailed,
         {"Rock.INI: This is not a PCDJ .INI file. Nothing was written."},
         {}},
        {"UTF-16 BE with BOM",
         utf16("[Live]\r\nTrack 1=;;;;;;|a.mp3||C:\\|||\r\n", true),
         cli::kExitFailed,
         {"Rock.INI: This is not a PCDJ .INI file. Nothing was written."},
         {}},
        {"an entry line at the limit",
         "[Live]\r\nTrack 1=;;;;;;|" + longName + "||C:\\|||\r\n",
         cli::kExitDone,
         {},
         {{"Rock_Live.XML", playlist({"C:\\" + longName})}}},
        {"a 3 MB entry line",
         "[Live]\r\nTrack 1=;;;;;;|" + tooLongName +
             "||C:\\|||\r\nTrack 2=;;;;;;|b.mp3||C:\\|||\r\n",
         cli::kExitDone,
         {"Rock.INI: 1 line (line 2)"},
         {{"Rock_Live.XML", playlist({"C:\\b.mp3"})}}},
        {"empty file",
         "",
         cli::kExitFailed,
         {"Rock.INI: This is not a PCDJ .INI file. Nothing was written."},
         {}},
    };
    for (const auto& k : cases) {
        TempDir src;
        TempDir out;
        writeBytes(src / "Rock.INI", k.bytes);
        const int open = test::openFileCount();
        const auto outcome =
            runCli({"ini2vrm", (src / "Rock.INI").string(), "--output", out.str()});
        EXPECT_EQ(test::openFileCount(), open) << k.name;
        EXPECT_EQ(outcome.status, k.status) << k.name << ": " << outcome.err;
        for (const auto& m : k.mentions)
            EXPECT_NE(outcome.err.find(m), std::string::npos) << k.name << ": " << outcome.err;
        EXPECT_TRUE(snapshot(out.path()) == k.files) << k.name;
    }
}

} // namespace
