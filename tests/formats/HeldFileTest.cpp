#include "formats/HeldFile.h"
#include "formats/M3uEncoding.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using deckshift::test::TempDir;
using deckshift::test::writeBytes;
using namespace deckshift::formats;

namespace {

// Line ends of every kind, at the start, the end and beside each other.
const char* const kTexts[] = {
    "",
    "a",
    "\r",
    "\n",
    "\r\n",
    "\n\r",
    "one\r\ntwo\r\n",
    "one\r\ntwo",
    "one\rtwo\r",
    "one\r\n\r\ntwo\r\n",
    "one\r\n\n",
    "one\r\n\nx",
    "one\r\r\n\r",
    "lf\nonly\n",
    "\r\n\r\n\n",
};

std::uint64_t linesByReader(const std::string& text, LineEnds ends) {
    StringSource source(text);
    LineReader reader(source, ends);
    std::uint64_t count = 0;
    for (std::string line; reader.next(line);)
        ++count;
    return count;
}

std::string readAll(ByteSource& source) {
    std::string bytes;
    char block[7];
    for (std::size_t n; (n = source.read(block, sizeof block)) > 0;)
        bytes.append(block, n);
    return bytes;
}

TEST(HeldFileTest, CountsTheLinesTheReaderGivesWhereverTheBlocksEnd) {
    for (const LineEnds ends : {LineEnds::CrOrCrLf, LineEnds::CrOrCrLfOrLf}) {
        for (const char* text : kTexts) {
            const std::string bytes = text;
            const std::uint64_t expected = linesByReader(bytes, ends);
            for (std::size_t step = 1; step <= bytes.size() + 1; ++step) {
                LineCounter counter(ends);
                for (std::size_t at = 0; at < bytes.size(); at += step)
                    counter.feed(bytes.data() + at, std::min(step, bytes.size() - at));
                EXPECT_EQ(counter.finish(), expected)
                    << testing::PrintToString(bytes) << " in blocks of " << step << " with LF "
                    << (ends == LineEnds::CrOrCrLfOrLf);
            }
        }
    }
}

TEST(HeldFileTest, EveryPassGivesTheWholeFileHeldOrNot) {
    TempDir dir;
    const std::string bytes = "[Sub]\r\nTrack 1=;;;;;;|a.mp3||C:\\A\\|||\r\nlast";
    writeBytes(dir / "g.INI", bytes);
    struct Case {
        std::size_t limit;
        bool held;
    } cases[] = {{bytes.size(), true}, {bytes.size() - 1, false}, {0, false}};
    for (const auto& c : cases) {
        HeldFile file("g.INI", dir / "g.INI", c.limit);
        EXPECT_EQ(file.held(), c.held) << c.limit;
        EXPECT_EQ(file.countLines(), 3u) << c.limit;
        EXPECT_EQ(readAll(file), bytes) << c.limit;
        file.rewind();
        EXPECT_EQ(readAll(file), bytes) << c.limit;
        EXPECT_EQ(file.countLines(), 3u) << c.limit;
        EXPECT_EQ(readAll(file), bytes) << c.limit;
    }
}

/// Each line with its length and whether it was too long, as `reader` gives them (views where it
/// can), read twice with a rewind between.
std::vector<std::string> linesOf(LineReader& reader) {
    std::vector<std::string> lines;
    for (int pass = 0; pass < 2; ++pass) {
        reader.rewind();
        std::string_view line;
        std::string storage;
        while (reader.next(line, storage))
            lines.push_back(std::to_string(reader.lastLineLength()) +
                            (reader.lastLineTooLong() ? "!" : ":") + std::string(line));
        lines.push_back("--");
    }
    return lines;
}

TEST(HeldFileTest, AReaderGivesTheSameLinesFromAHeldFileAsFromBlocksReadFromDisk) {
    TempDir dir;
    std::vector<std::string> texts(std::begin(kTexts), std::end(kTexts));
    // Lines across the reader's 64 KiB blocks, and one too long to keep.
    texts.push_back(std::string(70000, 'x') + "\r\n" + std::string(70000, 'y') + "\r");
    texts.push_back("a\r\n" + std::string(LineReader::kMaxLineLength + 5, 'z') + "\r\nb");
    for (const auto& text : texts) {
        writeBytes(dir / "f.XML", text);
        HeldFile held("f.XML", dir / "f.XML");
        FileSource fromDisk("f.XML", dir / "f.XML");
        ASSERT_TRUE(held.held());
        LineReader heldLines(held);
        LineReader diskLines(fromDisk);
        EXPECT_EQ(linesOf(heldLines), linesOf(diskLines)) << testing::PrintToString(text);
    }
}

TEST(HeldFileTest, AHeldM3uLosesItsByteOrderMarkAsOneReadFromDisk) {
    TempDir dir;
    const std::string texts[] = {"\xEF\xBB\xBF#EXTM3U\r\nC:\\a.mp3\n", "\xEF\xBB", "",
                                 "#EXTM3U\nb.mp3"};
    for (const auto& text : texts) {
        writeBytes(dir / "l.m3u", text);
        for (auto encoding : {TextEncoding::EightBit, TextEncoding::Utf8}) {
            HeldFile held("l.m3u", dir / "l.m3u");
            FileSource fromDisk("l.m3u", dir / "l.m3u");
            DecodingSource heldBytes(held, encoding);
            DecodingSource diskBytes(fromDisk, encoding);
            LineReader heldLines(heldBytes, LineEnds::CrOrCrLfOrLf);
            LineReader diskLines(diskBytes, LineEnds::CrOrCrLfOrLf);
            EXPECT_EQ(linesOf(heldLines), linesOf(diskLines)) << testing::PrintToString(text);
        }
    }
}

TEST(HeldFileTest, AHeldM3uIsDetectedAsTheSameBytesReadFromDisk) {
    TempDir dir;
    const std::string ascii(40, 'a');
    std::vector<std::string> texts = {
        "ab\xC3\xA9",       "\xF0\x9F\x8E\xB5x",   "a\xC3", "\xE9", "",
        ascii + "\xC3\xA9", ascii + "\xE9" + ascii};
    // A sequence, sound or not, on each side of the 3-byte head and of 32- and 8-byte steps.
    for (std::size_t at = 0; at < 40; ++at) {
        texts.push_back(ascii.substr(0, at) + "\xE2\x82\xAC" + ascii);
        texts.push_back(ascii.substr(0, at) + "\xE2\x82" + ascii);
    }
    for (const auto& text : texts) {
        writeBytes(dir / "l.m3u", text);
        HeldFile held("l.m3u", dir / "l.m3u");
        FileSource fromDisk("l.m3u", dir / "l.m3u");
        ASSERT_TRUE(held.held());
        EXPECT_EQ(detectM3uEncoding(held, "l.m3u", EncodingChoice::Auto),
                  detectM3uEncoding(fromDisk, "l.m3u", EncodingChoice::Auto))
            << testing::PrintToString(text);
        // Rewound for the reader.
        EXPECT_EQ(readAll(held), text);
    }
}

TEST(HeldFileTest, AMissingFileIsAFileError) {
    TempDir dir;
    EXPECT_THROW(HeldFile("gone.INI", dir / "gone.INI"), FileError);
}

} // namespace
