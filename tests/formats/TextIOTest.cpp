#include "formats/TextIO.h"
#include "formats/FilePlan.h"
#include "formats/TemporaryFiles.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;
using namespace deckshift::formats;
using deckshift::test::TempDir;
using deckshift::test::TrickleSource;

namespace {

std::vector<std::string> splitLines(const std::string& bytes, LineEnds ends) {
    StringSource source(bytes);
    LineReader reader(source, ends);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    return lines;
}

// The same lines read with nextPiece(), each put together from its pieces.
std::vector<std::string> splitInPieces(const std::string& bytes, LineEnds ends) {
    StringSource source(bytes);
    LineReader reader(source, ends);
    std::vector<std::string> lines;
    std::string piece;
    bool lineEnds = true;
    bool open = false; // the last line read goes on in the next piece
    while (reader.nextPiece(piece, lineEnds)) {
        EXPECT_LE(piece.size(), LineReader::kPieceLength);
        if (!open)
            lines.emplace_back();
        lines.back() += piece;
        open = !lineEnds;
    }
    EXPECT_FALSE(open);
    return lines;
}

// The same lines read as views, from a source that hands out `step` bytes at a time (all at once
// by default).
std::vector<std::string> splitInViews(const std::string& bytes, LineEnds ends,
                                      std::size_t step = std::string::npos) {
    TrickleSource source(bytes, step);
    LineReader reader(source, ends);
    std::vector<std::string> lines;
    std::string_view line;
    std::string storage;
    while (reader.next(line, storage)) {
        EXPECT_FALSE(reader.lastLineTooLong());
        EXPECT_EQ(reader.lastLineLength(), line.size());
        lines.emplace_back(line);
    }
    return lines;
}

struct SplitCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> crRule; // CR LF or lone CR ends a line
    std::vector<std::string> lfToo;  // a lone LF ends one as well
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class LineSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineSplitting, SplitsAsTheLineRuleSays) {
    const auto& c = GetParam();
    EXPECT_EQ(splitLines(c.bytes, LineEnds::CrOrCrLf), c.crRule);
    EXPECT_EQ(splitLines(c.bytes, LineEnds::CrOrCrLfOrLf), c.lfToo);
    EXPECT_EQ(splitInPieces(c.bytes, LineEnds::CrOrCrLf), c.crRule);
    EXPECT_EQ(splitInPieces(c.bytes, LineEnds::CrOrCrLfOrLf), c.lfToo);
    for (const std::size_t step :
         {std::string::npos, std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{1000}}) {
        EXPECT_EQ(splitInViews(c.bytes, LineEnds::CrOrCrLf, step), c.crRule) << step;
        EXPECT_EQ(splitInViews(c.bytes, LineEnds::CrOrCrLfOrLf, step), c.lfToo) << step;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSplitting,
    ::testing::Values(SplitCase{"empty", "", {}, {}},
                      SplitCase{"crlf", "a\r\nb\r\n", {"a", "b"}, {"a", "b"}},
                      SplitCase{"noFinalEnd", "a\r\nb", {"a", "b"}, {"a", "b"}},
                      SplitCase{"loneCr", "a\rb\r", {"a", "b"}, {"a", "b"}},
                      SplitCase{"loneLfIsPartOfLine", "a\nb\r\nc", {"a\nb", "c"}, {"a", "b", "c"}},
                      SplitCase{"lfOnly", "a\nb\n", {"a\nb\n"}, {"a", "b"}},
                      SplitCase{"emptyLines", "\r\n\r\nx\r\n", {"", "", "x"}, {"", "", "x"}},
                      SplitCase{"crCrLf", "a\r\r\nb", {"a", "", "b"}, {"a", "", "b"}},
                      SplitCase{"lfCr", "a\n\rb", {"a\n", "b"}, {"a", "", "b"}},
                      SplitCase{
                          "longerThanAPiece",
                          std::string(150000, 'p') + "\r\n\r\n" +
                              std::string(LineReader::kPieceLength, 'q') + "\r" +
                              std::string(LineReader::kPieceLength - 1, 'r') + "\r\n",
                          {std::string(150000, 'p'), "", std::string(LineReader::kPieceLength, 'q'),
                           std::string(LineReader::kPieceLength - 1, 'r')},
                          {std::string(150000, 'p'), "", std::string(LineReader::kPieceLength, 'q'),
                           std::string(LineReader::kPieceLength - 1, 'r')}},
                      SplitCase{"highBytesAndNul",
                                std::string("\x80\xff\0z\r\n", 6),
                                {std::string("\x80\xff\0z", 4)},
                                {std::string("\x80\xff\0z", 4)}}),
    [](const auto& testCase) { return testCase.param.name; });

TEST(LineReader, CrLfSplitAcrossBlocksIsOneLineEnd) {
    // A CR as the last byte of one read block and its LF as the first of the next.
    std::string first(64 * 1024 - 1, 'x');
    std::string bytes = first + "\r\nsecond\r\n";
    auto lines = splitLines(bytes, LineEnds::CrOrCrLf);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], "second");
    EXPECT_EQ(splitInViews(bytes, LineEnds::CrOrCrLf), lines);
}

TEST(LineReader, ViewsOfLinesBeyondTheLimitAreFlagged) {
    constexpr std::size_t kMax = LineReader::kMaxLineLength;
    StringSource source(std::string(kMax + 1, 'a') + "\r\nnext\r\n");
    LineReader reader(source);
    std::string_view line;
    std::string storage;
    ASSERT_TRUE(reader.next(line, storage));
    EXPECT_TRUE(reader.lastLineTooLong());
    EXPECT_EQ(reader.lastLineLength(), kMax + 1);
    EXPECT_EQ(line.size(), kMax);
    ASSERT_TRUE(reader.next(line, storage));
    EXPECT_FALSE(reader.lastLineTooLong());
    EXPECT_EQ(line, "next");
    EXPECT_FALSE(reader.next(line, storage));
}

TEST(LineReader, LineLongerThanTheBufferIsWhole) {
    std::string longLine(300 * 1024, 'y');
    auto lines = splitLines(longLine + "\rz", LineEnds::CrOrCrLf);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longLine);
    EXPECT_EQ(lines[1], "z");
}

TEST(LineReader, LinesBeyondTheLimitAreNotHeld) {
    constexpr std::size_t kMax = LineReader::kMaxLineLength;
    struct Case {
        const char* name;
        std::size_t length; // of the first line
        std::string end;    // its line end
        bool tooLong;
    } cases[] = {
        {"at the limit", kMax, "\r\n", false},
        {"one byte over", kMax + 1, "\r\n", true},
        {"over, CR LF across a block's end", kMax + 64 * 1024 - 1, "\r\n", true},
        {"far over, lone CR", 3 * kMax + 5, "\r", true},
        {"far over, LF", 2 * kMax, "\n", true},
    };
    for (const auto& c : cases) {
        for (auto ends : {LineEnds::CrOrCrLf, LineEnds::CrOrCrLfOrLf}) {
            if (c.end == "\n" && ends == LineEnds::CrOrCrLf)
                continue;
            std::string first(c.length, 'a');
            first[0] = 'b';
            StringSource source(first + c.end + "next\r\n" + first);
            LineReader reader(source, ends);
            std::string line;
            ASSERT_TRUE(reader.next(line)) << c.name;
            EXPECT_EQ(reader.lastLineTooLong(), c.tooLong) << c.name;
            EXPECT_EQ(reader.lastLineLength(), c.length) << c.name;
            EXPECT_EQ(line, first.substr(0, kMax)) << c.name;
            EXPECT_LE(line.capacity(), 2 * kMax) << c.name;
            ASSERT_TRUE(reader.next(line)) << c.name;
            EXPECT_FALSE(reader.lastLineTooLong()) << c.name;
            EXPECT_EQ(reader.lastLineLength(), 4u) << c.name;
            EXPECT_EQ(line, "next") << c.name;
            // The last line, without a line end.
            ASSERT_TRUE(reader.next(line)) << c.name;
            EXPECT_EQ(reader.lastLineTooLong(), c.tooLong) << c.name;
            EXPECT_EQ(line, first.substr(0, kMax)) << c.name;
            EXPECT_FALSE(reader.next(line)) << c.name;
        }
    }
}

TEST(LineReader, RewindStartsAgain) {
    StringSource source("a\rb\r\nc");
    LineReader reader(source);
    std::string line;
    ASSERT_TRUE(reader.next(line));
    ASSERT_TRUE(reader.next(line));
    reader.rewind();
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "a");
}

TEST(FileSource, MissingFileNamesFileAndReason) {
    TempDir dir;
    try {
        FileSource source("My Group.INI", dir / "missing.INI");
        FAIL() << "opened a missing file";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("My Group.INI"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
    }
}

TEST(AtomicFile, CommitReplacesTargetAndLeavesNoTemporary) {
    TempDir dir;
    deckshift::test::writeBytes(dir / "out.XML", "old");
    {
        AtomicFile file("out.XML", dir / "out.XML");
        file.writeLine("a&b");
        file.write("\x80\xff");
        // Until the commit the old bytes stand.
        EXPECT_EQ(deckshift::test::readBytes(dir / "out.XML"), "old");
        file.commit();
    }
    auto files = deckshift::test::snapshot(dir.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files["out.XML"], "a&b\r\n\x80\xff");
}

TEST(AtomicFile, WithoutCommitTargetIsUntouchedAndTemporaryRemoved) {
    TempDir dir;
    deckshift::test::writeBytes(dir / "Groups.xml", "keep me");
    const int before = deckshift::test::openFileCount();
    {
        AtomicFile file("Groups.xml", dir / "Groups.xml");
        file.write(std::string(200 * 1024, 'z')); // more than one block reaches the disk
    }
    EXPECT_EQ(deckshift::test::openFileCount(), before);
    auto files = deckshift::test::snapshot(dir.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files["Groups.xml"], "keep me");
}

#ifndef _WIN32
// The id of a process that has ended.
std::uint64_t endedProcess() {
    const pid_t pid = deckshift::test::startChild({"/bin/true"});
    deckshift::test::waitChild(pid);
    return static_cast<std::uint64_t>(pid);
}

TEST(AtomicFile, RemovesTheTemporaryFilesOfEndedRunsOnlyBesideItsTarget) {
    TempDir dir;
    const std::uint32_t here = machineNumber();
    const std::uint64_t ended = endedProcess();
    ASSERT_FALSE(processRuns(ended));
    ASSERT_TRUE(processRuns(currentProcessId()));
    const std::string stale = temporaryFileName(here, ended, 7);
    const std::vector<std::string> kept{
        temporaryFileName(here, currentProcessId(), 1000000), // a run that still goes
        temporaryFileName(here + 1, ended, 7),                // another machine's run
        ".Groups.xml.x.tmp",                                  // files of the user's
        ".123-4.tmp",
        "." + std::to_string(here) + "-" + std::to_string(ended) + "-x.tmp",
        std::to_string(here) + "-" + std::to_string(ended) + "-7.tmp",
        stale + ".bak",
    };
    deckshift::test::writeBytes(dir / stale, "left by a killed run");
    for (const auto& name : kept)
        deckshift::test::writeBytes(dir / name, "not to be removed");
    {
        AtomicFile file("out.XML", dir / "out.XML");
        file.writeLine("new");
        file.commit();
    }
    auto files = deckshift::test::snapshot(dir.path());
    EXPECT_EQ(files.count(stale), 0u);
    for (const auto& name : kept)
        EXPECT_EQ(files[name], "not to be removed") << name;
    EXPECT_EQ(files["out.XML"], "new\r\n");
    EXPECT_EQ(files.size(), kept.size() + 1);
}

TEST(AtomicFile, OpenTemporaryFilesAreRemovedForASignalHandler) {
    TempDir dir;
    AtomicFile first("a.XML", dir / "a.XML");
    AtomicFile second("b.XML", dir / "b.XML");
    first.write("partial");
    first.flush();
    ASSERT_TRUE(fs::exists(first.temporaryPath()));
    ASSERT_TRUE(fs::exists(second.temporaryPath()));
    removeOpenTemporaryFiles();
    EXPECT_FALSE(fs::exists(first.temporaryPath()));
    EXPECT_FALSE(fs::exists(second.temporaryPath()));
    EXPECT_TRUE(deckshift::test::snapshot(dir.path()).empty());
}
#endif

TEST(AtomicFile, MissingDirectoryIsAFileError) {
    TempDir dir;
    EXPECT_THROW(AtomicFile("x.XML", dir / "nowhere" / "x.XML"), FileError);
}

std::string failAfterFirstBlock(const fs::path&, WriteStep, std::uint64_t written) {
    return written > 0 ? "No space left on device" : "";
}

TEST(AtomicFile, WriteFailureKeepsTheOldFile) {
    TempDir dir;
    deckshift::test::writeBytes(dir / "out.XML", "old");
    setWriteFaultHook(failAfterFirstBlock);
    try {
        AtomicFile file("out.XML", dir / "out.XML");
        file.write(std::string(100 * 1024, 'z'));
        file.write(std::string(100 * 1024, 'z')); // the second block meets a full disk
        setWriteFaultHook(nullptr);
        FAIL() << "the failing write went unnoticed";
        file.commit();
        FAIL() << "the failing write went unnoticed";
    } catch (const FileError& e) {
        setWriteFaultHook(nullptr);
        EXPECT_NE(std::string(e.what()).find("No space left"), std::string::npos);
    }
    auto files = deckshift::test::snapshot(dir.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files["out.XML"], "old");
}

} // namespace

// A name as long as the file system allows (255 bytes) must be writable: the temporary file beside
// it takes a short name of its own, whatever the target's.
TEST(AtomicFile, NameOfTheLongestLengthIsWritten) {
    TempDir dir;
    for (const bool replacing : {false, true}) {
        const std::string name = std::string(251, replacing ? 'r' : 'n') + ".XML";
        ASSERT_EQ(name.size(), 255u);
        if (replacing)
            deckshift::test::writeBytes(dir / name, "old");
        AtomicFile file(name, dir / name);
        file.writeLine("new");
        file.commit();
        EXPECT_EQ(deckshift::test::readBytes(dir / name), "new\r\n") << replacing;
    }
    EXPECT_EQ(deckshift::test::snapshot(dir.path()).size(), 2u);
}

WriteStep g_failingStep = WriteStep::Write;
std::string failAtStep(const fs::path&, WriteStep step, std::uint64_t) {
    return step == g_failingStep ? "Input/output error" : "";
}

// A failure at any step of writing, the last ones included, keeps the target as it was, removes
// the temporary file and leaves nothing open.
TEST(AtomicFile, FailureAtEveryStepKeepsTheOldFile) {
    const struct {
        WriteStep step;
        const char* name;
    } steps[] = {{WriteStep::Write, "write"},
                 {WriteStep::Flush, "flush"},
                 {WriteStep::Sync, "sync"},
                 {WriteStep::Close, "close"},
                 {WriteStep::Rename, "rename"}};
    for (const auto& k : steps) {
        TempDir dir;
        deckshift::test::writeBytes(dir / "Groups.xml", "old");
        const int open = deckshift::test::openFileCount();
        g_failingStep = k.step;
        setWriteFaultHook(failAtStep);
        std::string error;
        try {
            AtomicFile file("Groups.xml", dir / "Groups.xml", AtomicFile::Durability::SyncToDisk);
            file.writeLine("new");
            file.commit();
        } catch (const FileError& e) {
            error = e.what();
        }
        setWriteFaultHook(nullptr);
        EXPECT_NE(error.find("Groups.xml\": Input/output error"), std::string::npos)
            << k.name << ": " << error;
        EXPECT_EQ(deckshift::test::openFileCount(), open) << k.name;
        auto files = deckshift::test::snapshot(dir.path());
        EXPECT_EQ(files.size(), 1u) << k.name;
        EXPECT_EQ(files["Groups.xml"], "old") << k.name;
    }
    // Forcing a directory to disk goes through the seam as well.
    TempDir dir;
    g_failingStep = WriteStep::SyncDirectory;
    setWriteFaultHook(failAtStep);
    EXPECT_THROW(syncDirectory("dir", dir.path(), DirectorySync::Entries), FileError);
    setWriteFaultHook(nullptr);
    EXPECT_NO_THROW(syncDirectory("dir", dir.path(), DirectorySync::EntriesAndFiles));
}

std::vector<std::uint64_t> g_writeOffsets;
std::string recordWrites(const fs::path&, WriteStep step, std::uint64_t written) {
    if (step == WriteStep::Write)
        g_writeOffsets.push_back(written);
    return "";
}

// Whatever the sizes of the pieces handed in, every byte arrives in order, and every write to the
// file starts at a multiple of the 64 KiB block (all but the last are whole blocks), directly or
// through an OutputFile that builds its lines in place.
TEST(AtomicFile, WritesEveryByteInWholeBlocks) {
    constexpr std::size_t kBlock = 64 * 1024;
    const std::vector<std::vector<std::size_t>> cases = {
        {1, kBlock - 1, 2, 2 * kBlock + 5, kBlock + 7000, 3},
        {kBlock, kBlock, 1},
        {3 * kBlock - 1},
        {100, 200},
    };
    for (const bool throughOutputFile : {false, true}) {
        for (const auto& pieces : cases) {
            SCOPED_TRACE(testing::Message() << throughOutputFile << " " << pieces.size());
            TempDir dir;
            std::string expected;
            g_writeOffsets.clear();
            setWriteFaultHook(recordWrites);
            auto piece = [&expected](std::size_t size) {
                std::string bytes(size, '\0');
                for (std::size_t i = 0; i < size; ++i)
                    bytes[i] = static_cast<char>('a' + (expected.size() + i) % 23);
                expected += bytes;
                return bytes;
            };
            if (throughOutputFile) {
                OutputFile out("out", dir / "out", nullptr);
                for (const std::size_t size : pieces) {
                    out.buffer() += piece(size);
                    out.appended();
                }
                out.commit();
            } else {
                AtomicFile out("out", dir / "out");
                for (const std::size_t size : pieces)
                    out.write(piece(size));
                out.commit();
            }
            setWriteFaultHook(nullptr);
            EXPECT_EQ(deckshift::test::readBytes(dir / "out"), expected);
            ASSERT_FALSE(g_writeOffsets.empty());
            for (const std::uint64_t offset : g_writeOffsets)
                EXPECT_EQ(offset % kBlock, 0u) << offset;
        }
    }
}

#ifndef _WIN32
// Replacing a file keeps what the user set up: a symbolic link stays a link and its target gets
// the new bytes (through a chain of links too); the replaced file keeps its permissions.
TEST(AtomicFile, ReplacingKeepsLinksAndPermissions) {
    TempDir dir;
    fs::create_directory(dir / "real");
    deckshift::test::writeBytes(dir / "real" / "list.xml", "old");
    fs::permissions(dir / "real" / "list.xml",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real/list.xml", dir / "middle.xml");
    fs::create_symlink(dir / "middle.xml", dir / "Groups.xml");
    {
        AtomicFile file("Groups.xml", dir / "Groups.xml", AtomicFile::Durability::SyncToDisk);
        file.writeLine("new");
        file.commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir / "Groups.xml"));
    EXPECT_EQ(fs::read_symlink(dir / "Groups.xml"), dir / "middle.xml");
    EXPECT_EQ(fs::read_symlink(dir / "middle.xml"), fs::path("real/list.xml"));
    EXPECT_EQ(deckshift::test::readBytes(dir / "real" / "list.xml"), "new\r\n");
    EXPECT_EQ(fs::status(dir / "real" / "list.xml").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // No temporary file is left: the two links, the directory and the file they lead to.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir.path()),
                            fs::recursive_directory_iterator()),
              4);

    // A file that is not there yet gets the usual permissions for a new file.
    deckshift::test::writeBytes(dir / "probe", "");
    AtomicFile fresh("fresh.XML", dir / "fresh.XML");
    fresh.commit();
    EXPECT_EQ(fs::status(dir / "fresh.XML").permissions(), fs::status(dir / "probe").permissions());
}
#endif
