// Memory stays bounded whatever the input: the built deckshift-cli converts files holding a line of
// gigabytes with its address space limited to far less, as `ulimit -v` limits it. A line longer
// than a reader may hold is skipped with a warning naming it; the group list update copies such
// lines in pieces, the last one included.
//
// The long lines are holes of sparse files: they take no disk and are quick to write.

#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace deckshift;
using test::crlf;
using test::readBytes;
using test::TempDir;
using test::vrmPlaylist;

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
// Far below the long lines, far above what a run needs.
constexpr std::uint64_t kAddressSpaceLimit = 96 * kMiB;
constexpr std::uint64_t kHugeLine = 2048 * kMiB;
// The group list is written out twice: its long lines are shorter, yet still beyond the limit.
constexpr std::uint64_t kListLine = 112 * kMiB;

/// Bytes, or a run of NUL bytes (a hole where a file is written).
struct Segment {
    std::string bytes;
    std::uint64_t zeros = 0;
};
using Content = std::vector<Segment>;

Segment hole(std::uint64_t size) {
    return {{}, size};
}

void writeSparse(const fs::path& path, const Content& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    off_t size = 0;
    for (const auto& s : content) {
        size += static_cast<off_t>(s.zeros);
        if (s.bytes.empty())
            continue;
        ASSERT_EQ(::lseek(fd, size, SEEK_SET), size);
        ASSERT_EQ(::write(fd, s.bytes.data(), s.bytes.size()),
                  static_cast<ssize_t>(s.bytes.size()));
        size += static_cast<off_t>(s.bytes.size());
    }
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

/// Whether the file holds exactly `content`, read in blocks.
testing::AssertionResult holds(const fs::path& path, const Content& content) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return testing::AssertionFailure() << "cannot open " << path;
    static const std::string zeros(256 * 1024, '\0');
    std::string block(zeros.size(), '\0');
    std::uint64_t offset = 0;
    // Compares the next `size` bytes of the file with `expected` (which repeats when shorter).
    auto compare = [&](const std::string& expected, std::uint64_t size) {
        while (size > 0) {
            const auto want =
                static_cast<std::size_t>(std::min<std::uint64_t>(size, expected.size()));
            if (block.size() < want)
                block.resize(want);
            std::size_t got = 0;
            for (ssize_t n; got < want && (n = ::read(fd, block.data() + got, want - got)) > 0;)
                got += static_cast<std::size_t>(n);
            if (got < want || std::memcmp(block.data(), expected.data(), want) != 0)
                return false;
            offset += want;
            size -= want;
        }
        return true;
    };
    auto result = testing::AssertionSuccess();
    for (const auto& s : content) {
        if (!compare(zeros, s.zeros) || !compare(s.bytes, s.bytes.size())) {
            result = testing::AssertionFailure() << path << " differs after byte " << offset;
            break;
        }
    }
    char extra = 0;
    if (result && ::read(fd, &extra, 1) > 0)
        result = testing::AssertionFailure() << path << " is longer than expected";
    ::close(fd);
    return result;
}

struct Outcome {
    int status = -1;
    std::string err;
};

/// Runs the built deckshift-cli with its address space limited.
Outcome runLimited(const std::vector<std::string>& args, const fs::path& scratch) {
    std::vector<std::string> all{DECKSHIFT_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    test::ChildSetup setup;
    setup.stderrPath = scratch / "stderr";
    setup.addressSpaceLimit = kAddressSpaceLimit;
    const pid_t pid = test::startChild(all, setup);
    if (pid < 0)
        return {};
    const test::ChildEnd end = test::waitChild(pid);
    return {end.signal != 0 ? 128 + end.signal : end.exitCode, readBytes(setup.stderrPath)};
}

/// A directory for the long files: on a memory file system where the system has one, whose holes
/// read many times faster than a disk's.
fs::path scratchParent() {
    std::error_code ec;
    const fs::path memory = "/dev/shm";
    if (fs::is_directory(memory, ec) && ::access(memory.c_str(), W_OK) == 0)
        return memory;
    return fs::temp_directory_path();
}

const std::string kVrmHead =
    crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>", "      <seq>",
          "         <media src=\"C:\\M\\a.mp3\">", "         </media>"});
const std::string kVrmTail = crlf({"         <media src=\"C:\\M\\b.mp3\">", "         </media>",
                                   "      </seq>", "   </body>", "</smil>"});

struct Case {
    const char* name;
    std::vector<std::pair<std::string, Content>> inputs; ///< paths below the scratch directory
    std::vector<std::string> args;                       ///< "@" stands for the scratch directory
    std::string warning;                                 ///< on stderr
    std::vector<std::pair<std::string, Content>> outputs;
};

TEST(LongLines, ConvertWithBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    const std::string huge = std::to_string(kHugeLine);
    const std::string groupList = "<?xml version=\"1.0\"?>\r\n<Groups>\r\n<!--";
    const Case cases[] = {
        {"group file",
         {{"G.INI",
           {{"[Live]\r\nTrack 1=;;;;;;|a.mp3||C:\\M\\|||\r\n"},
            hole(kHugeLine),
            {"\r\nTrack 2=;;;;;;|b.mp3||C:\\M\\|||\r\n"}}}},
         {"ini2vrm", "@/G.INI", "--output", "@/out"},
         "G.INI: 1 line (line 3)",
         {{"out/G_Live.XML", {{vrmPlaylist({"C:\\M\\a.mp3", "C:\\M\\b.mp3"})}}}}},
        {"M3U playlist",
         // A comment line first, so that the playlist does not begin with the hole's NUL bytes,
         // which would make it a binary file.
         {{"L.m3u",
           {{"#EXTM3U\r\nC:\\M\\a.mp3\r\n#" + std::string(70000, 'x') + "\r\n"},
            hole(kHugeLine),
            {"\nC:\\M\\b.mp3\r\n"}}}},
         {"m3u2vrm", "@/L.m3u", "--output", "@/out"},
         "L.m3u:4: the line is " + huge + " bytes long",
         {{"out/L.XML", {{vrmPlaylist({"C:\\M\\a.mp3", "C:\\M\\b.mp3"})}}}}},
        {"VRM playlist to M3U",
         {{"P_S.XML", {{kVrmHead}, hole(kHugeLine), {"\r\n" + kVrmTail}}}},
         {"vrm2m3u", "@/P_S.XML", "--output", "@/out"},
         "P_S.XML:7: the line is " + huge + " bytes long",
         {{"out/P_S.m3u", {{"#EXTM3U\r\nC:\\M\\a.mp3\r\nC:\\M\\b.mp3\r\n"}}}}},
        {"VRM playlist to INI",
         {{"P_S.XML", {{kVrmHead}, hole(kHugeLine), {"\r\n" + kVrmTail}}}},
         {"vrm2ini", "@/P_S.XML", "--output", "@/out"},
         "P_S.XML:7: the line is " + huge + " bytes long",
         {{"out/P.ini",
           {{"[S]\r\nTrack 1=;;;;;;|a.mp3||C:\\M\\|||\r\nTrack 2=;;;;;;|b.mp3||C:\\M\\|||\r\n"}}}}},
        // A line in the middle of the list, and the last line, which holds the list's end.
        {"group list",
         {{"G.INI", {{"[Live]\r\nTrack 1=;;;;;;|a.mp3||C:\\M\\|||\r\n"}}},
          {"rc/Groups.xml",
           {{groupList}, hole(kListLine), {"-->\r\n<Old/>"}, hole(kListLine), {"</Groups>\r\n"}}}},
         {"ini2vrm", "@/G.INI", "--register", "--rc-dir", "@/rc", "--no-backup"},
         "",
         {{"rc/Groups.xml",
           {{groupList},
            hole(kListLine),
            {"-->\r\n<Old/>"},
            hole(kListLine),
            {"\r\n   <Group Name=\"G\" pos=\"2\" lastrow=\"-1\">\r\n"
             "      <SubGroup Name=\"Live\" pos=\"0\" src=\"@/rc/Playlists/G_Live.XML\"/>\r\n"
             "   </Group>\r\n</Groups>\r\n"}}},
          {"rc/Playlists/G_Live.XML", {{vrmPlaylist({"C:\\M\\a.mp3"})}}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir scratch(scratchParent());
        const std::string at = scratch.str();
        auto resolve = [&](std::string s) {
            for (std::size_t p; (p = s.find('@')) != std::string::npos;)
                s.replace(p, 1, at);
            return s;
        };
        fs::create_directories(scratch / "out");
        fs::create_directories(scratch / "rc" / "Playlists");
        for (const auto& [path, content] : c.inputs)
            writeSparse(scratch / path, content);
        std::vector<std::string> args;
        for (const auto& a : c.args)
            args.push_back(resolve(a));

        const Outcome run = runLimited(args, scratch.path());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find(c.warning), std::string::npos) << run.err;
        for (const auto& [path, content] : c.outputs) {
            Content expected = content;
            for (auto& s : expected)
                s.bytes = resolve(s.bytes);
            EXPECT_TRUE(holds(scratch / path, expected));
        }
    }
}

// The PCDJ FX settings come from a Wine registry file holding a line of gigabytes: the registry
// reader reads past it and finds the RecordCase directory after it.
TEST(LongLines, RegistryWithBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    TempDir scratch(scratchParent());
    const fs::path prefix = scratch / "prefix";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_directories(prefix / "drive_c" / "RC" / "Playlists");
    test::writeBytes(prefix / "drive_c" / "RC" / "Groups.xml", crlf({"<Groups>", "</Groups>"}));
    writeSparse(prefix / "system.reg", {{"WINE REGISTRY Version 2\n"
                                         "[Software\\\\Visiosonic\\\\PCDJ FX\\\\7.0\\\\CFG] 1\n"},
                                        hole(kHugeLine),
                                        {"\n\"CONFIG_RC_PATH\"=\"C:\\\\RC\\\\\"\n"}});
    test::writeBytes(scratch / "G.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\M\\|||"}));
    test::ScopedEnv wine("WINEPREFIX", prefix.string());

    const Outcome run = runLimited(
        {"ini2vrm", (scratch / "G.INI").string(), "--register", "--no-backup"}, scratch.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(prefix / "drive_c" / "RC" / "Playlists" / "G_Live.XML"),
              vrmPlaylist({"C:\\M\\a.mp3"}));
    EXPECT_EQ(
        readBytes(prefix / "drive_c" / "RC" / "Groups.xml"),
        crlf({"<Groups>", "   <Group Name=\"G\" pos=\"2\" lastrow=\"-1\">",
              "      <SubGroup Name=\"Live\" pos=\"0\" src=\"C:\\RC\\Playlists\\G_Live.XML\"/>",
              "   </Group>", "</Groups>"}));
}

} // namespace
