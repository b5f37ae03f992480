// What a register-mode batch run leaves when the file system fails under it: each failure ends the
// run with a message naming the file and the reason, leaves no file open and no temporary file,
// keeps Groups.xml whole (the old list, or the list with the groups finished before the failure),
// and keeps every playlist already written whole.

#include "formats/TextIO.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
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

const std::string kHead = crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>"});
const std::string kOldList = kHead + crlf({"</Groups>"});
const std::string kUserPlaylist = "my own playlist\r\n";

/// Two group files, A and B, and an RC directory holding the old group list and a playlist of the
/// user's.
struct Collection {
    TempDir red;
    TempDir rc;
    Collection() {
        writeBytes(red / "A.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\A\\|||"}));
        writeBytes(red / "B.INI", crlf({"[Live]", "Track 1=;;;;;;|b.mp3||C:\\B\\|||", "[Dub]",
                                        "Track 1=;;;;;;|c.mp3||C:\\B\\|||"}));
        writeBytes(rc / "Groups.xml", kOldList);
        writeBytes(rc / "Playlists" / "Mine.XML", kUserPlaylist);
    }
    std::string rcDir() const { return rc.str(true); }
    std::vector<std::string> args() const {
        return {"ini2vrm", "--batch", red.str(), "--register", "--rc-dir", rcDir(), "--quiet"};
    }
    /// The group list after the groups named, in batch order.
    std::string listWith(bool a, bool b) const {
        std::string list = kHead;
        if (a)
            list += crlf({"   <Group Name=\"A\" pos=\"2\" lastrow=\"-1\">",
                          "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + rcDir() +
                              "Playlists/A_Live.XML\"/>",
                          "   </Group>"});
        if (b)
            list += crlf({"   <Group Name=\"B\" pos=\"2\" lastrow=\"-1\">",
                          "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + rcDir() +
                              "Playlists/B_Live.XML\"/>",
                          "      <SubGroup Name=\"Dub\" pos=\"0\" src=\"" + rcDir() +
                              "Playlists/B_Dub.XML\"/>",
                          "   </Group>"});
        return list + crlf({"</Groups>"});
    }
};

std::string playlist(const std::string& path) {
    return crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>",
                 "      <seq>", "         <media src=\"" + path + "\">", "         </media>",
                 "      </seq>", "   </body>", "</smil>"});
}

/// The fault the hook injects: the `call`-th step (a block written, or the rename) of the file
/// named `name` runs `action` and then fails with `reason` (or goes on when it is empty).
struct Fault {
    std::string name;
    int call = 1;
    std::string reason;
    std::function<void()> action;
    int seen = 0;
};
Fault g_fault;

std::string injectFault(const fs::path& target, formats::WriteStep step, std::uint64_t) {
    const bool counted = step == formats::WriteStep::Write || step == formats::WriteStep::Rename;
    if (!counted || target.filename() != g_fault.name || ++g_fault.seen != g_fault.call)
        return {};
    if (g_fault.action)
        g_fault.action();
    return g_fault.reason;
}

TEST(RegisterRunFaults, EachFailureNamesTheFileAndLeavesWholeFiles) {
    const std::string aLive = playlist("C:\\A\\a.mp3");
    struct Case {
        const char* name;
        std::function<Fault(Collection&)> fault;
        const char* mentions[2];
        bool listHasA;        ///< Groups.xml after the run: the old list, or with group A
        const char* workFile; ///< GroupsTMP.xml after the run: "none", "A"
        std::vector<std::string> playlists; ///< besides Mine.XML
    } cases[] = {
        {"disk full while writing a playlist",
         [](Collection&) {
             return Fault{"B_Live.XML", 1, "No space left on device", {}};
         },
         {"B_Live.XML", "No space left on device"},
         true,
         "A",
         {"A_Live.XML"}},
        {"disk full while writing the work file",
         // Calls for GroupsTMP.xml: A's block and rename, then B's block.
         [](Collection&) {
             return Fault{"GroupsTMP.xml", 3, "No space left on device", {}};
         },
         {"GroupsTMP.xml", "No space left on device"},
         true,
         "A",
         {"A_Live.XML", "B_Dub.XML", "B_Live.XML"}},
        {"Groups.xml cannot be replaced",
         // Calls for Groups.xml: A's block, then its rename.
         [](Collection&) {
             return Fault{"Groups.xml", 2, "Permission denied", {}};
         },
         {"Groups.xml\": Permission denied", "Cannot replace"},
         false,
         "A",
         {"A_Live.XML"}},
        {"Playlists directory removed during the run",
         [](Collection& c) {
             return Fault{"B_Live.XML", 1, "", [&c] { fs::remove_all(c.rc / "Playlists"); }};
         },
         {"B_Live.XML", "No such file or directory"},
         true,
         "A",
         {}},
    };
    for (const auto& k : cases) {
        Collection c;
        g_fault = k.fault(c);
        formats::setWriteFaultHook(injectFault);
        const int open = test::openFileCount();
        const auto outcome = runCli(c.args());
        formats::setWriteFaultHook(nullptr);
        EXPECT_EQ(test::openFileCount(), open) << k.name;
        EXPECT_EQ(outcome.status, cli::kExitFailed) << k.name;
        for (const char* m : k.mentions)
            EXPECT_NE(outcome.err.find(m), std::string::npos) << k.name << ": " << outcome.err;

        auto files = snapshot(c.rc.path());
        EXPECT_EQ(files["Groups.xml"], c.listWith(k.listHasA, false)) << k.name;
        if (std::string(k.workFile) == "A") {
            EXPECT_EQ(files["GroupsTMP.xml"], c.listWith(true, false)) << k.name;
        }
        std::vector<std::string> playlists;
        for (const auto& [path, bytes] : files) {
            EXPECT_EQ(path.find(".tmp"), std::string::npos) << k.name << ": " << path;
            if (!path.starts_with("Playlists/") || path == "Playlists/Mine.XML")
                continue;
            playlists.push_back(path.substr(10));
            EXPECT_TRUE(bytes.ends_with("</smil>\r\n")) << k.name << ": " << path;
        }
        EXPECT_EQ(playlists, k.playlists) << k.name;
        if (files.count("Playlists/A_Live.XML")) {
            EXPECT_EQ(files["Playlists/A_Live.XML"], aLive) << k.name;
        }
        if (fs::exists(c.rc / "Playlists")) {
            EXPECT_EQ(files["Playlists/Mine.XML"], kUserPlaylist) << k.name;
        }
    }
}

/// The command line of a single-file register run of the collection's group `name`.
std::vector<std::string> registerOne(const Collection& c, const std::string& name) {
    return {"ini2vrm", (c.red / (name + ".INI")).string(), "--register", "--rc-dir", c.rcDir(),
            "--quiet"};
}

// Run A writes its playlist while run B registers group B from start to end: the group list that
// A then updates holds B, and both groups end up listed.
std::promise<void>* g_aPaused = nullptr;
std::shared_future<void> g_bDone;
std::string pauseA(const fs::path& target, formats::WriteStep, std::uint64_t) {
    if (target.filename() == "A_Live.XML" && g_aPaused) {
        std::exchange(g_aPaused, nullptr)->set_value();
        g_bDone.wait();
    }
    return {};
}

TEST(ConcurrentRegisterRuns, NoGroupIsLost) {
    {
        Collection c;
        std::promise<void> aPaused, bDone;
        g_aPaused = &aPaused;
        g_bDone = bDone.get_future().share();
        formats::setWriteFaultHook(pauseA);
        auto a = std::async(std::launch::async, [&] { return runCli(registerOne(c, "A")); });
        aPaused.get_future().wait();
        const auto b = runCli(registerOne(c, "B"));
        bDone.set_value();
        const auto aOutcome = a.get();
        formats::setWriteFaultHook(nullptr);
        EXPECT_EQ(b.status, 0) << b.err;
        EXPECT_EQ(aOutcome.status, 0) << aOutcome.err;
        const std::string list = readBytes(c.rc / "Groups.xml");
        const std::string expected = c.listWith(false, true);
        const std::string withB = expected.substr(0, expected.size() - 11);
        const std::string onlyA = c.listWith(true, false);
        EXPECT_EQ(list, withB + onlyA.substr(kHead.size())) << list;
    }
    // Started at the same moment, again and again: both groups listed, in either order, or a run
    // refused with a message; never a group dropped without a word.
    for (int round = 0; round < 20; ++round) {
        Collection c;
        std::promise<void> go;
        std::shared_future<void> start = go.get_future().share();
        auto runAfterStart = [&](const std::string& name) {
            return std::async(std::launch::async, [&c, start, name] {
                start.wait();
                return runCli(registerOne(c, name));
            });
        };
        auto a = runAfterStart("A");
        auto b = runAfterStart("B");
        go.set_value();
        const auto aOutcome = a.get();
        const auto bOutcome = b.get();
        const std::string list = readBytes(c.rc / "Groups.xml");
        for (const auto* outcome : {&aOutcome, &bOutcome}) {
            if (outcome->status != 0) {
                EXPECT_NE(outcome->err.find("was not added"), std::string::npos) << outcome->err;
            }
        }
        const bool hasA = list.find("<Group Name=\"A\"") != std::string::npos;
        const bool hasB = list.find("<Group Name=\"B\"") != std::string::npos;
        EXPECT_EQ(hasA, aOutcome.status == 0) << round << "\n" << list << aOutcome.err;
        EXPECT_EQ(hasB, bOutcome.status == 0) << round << "\n" << list << bOutcome.err;
        EXPECT_TRUE(list.ends_with("   </Group>\r\n</Groups>\r\n")) << list;
    }
}

// PCDJ FX saves its list while the update replaces it: the update gives way, the list stays as
// PCDJ FX saved it, and the message names the group's playlists, which stay on disk.
TEST(ConcurrentRegisterRuns, ListSavedByAnotherProgramMeanwhileIsKept) {
    Collection c;
    const std::string saved = kHead + crlf({"   <Group Name=\"Saved\" pos=\"2\" lastrow=\"-1\">",
                                            "   </Group>", "</Groups>"});
    for (const char* file : {"GroupsTMP.xml", "Groups.xml"}) {
        writeBytes(c.rc / "Groups.xml", kOldList);
        fs::remove(c.rc / "GroupsTMP.xml");
        fs::remove(c.rc / "Playlists" / "A_Live.XML");
        // Just before the work file's (or the list's) first block is written.
        g_fault = Fault{file, 1, "", [&] { writeBytes(c.rc / "Groups.xml", saved); }};
        formats::setWriteFaultHook(injectFault);
        const auto outcome = runCli(registerOne(c, "A"));
        formats::setWriteFaultHook(nullptr);
        EXPECT_EQ(outcome.status, cli::kExitFailed) << file;
        for (const char* m : {"Groups.xml", "changed", "was not added", "A_Live.XML"})
            EXPECT_NE(outcome.err.find(m), std::string::npos) << file << ": " << outcome.err;
        auto files = snapshot(c.rc.path());
        EXPECT_EQ(files["Groups.xml"], saved) << file;
        EXPECT_EQ(files["Playlists/A_Live.XML"], playlist("C:\\A\\a.mp3")) << file;
        for (const auto& [path, bytes] : files)
            EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
    }
}

// What the file layer forces to disk, in order: "sync NAME" (a file before its rename),
// "rename NAME", "syncdir DIRECTORY".
std::vector<std::string> g_durabilitySteps;
std::string recordDurability(const fs::path& target, formats::WriteStep step, std::uint64_t) {
    using formats::WriteStep;
    const fs::path name =
        target.has_filename() ? target.filename() : target.parent_path().filename();
    if (step == WriteStep::Sync)
        g_durabilitySteps.push_back("sync " + name.string());
    else if (step == WriteStep::Rename)
        g_durabilitySteps.push_back("rename " + name.string());
    else if (step == WriteStep::SyncDirectory)
        g_durabilitySteps.push_back("syncdir " + name.string());
    return {};
}

// After a power cut the group list must not name a playlist whose bytes never reached the disk:
// each group's playlists are forced to disk before the list that names them is replaced, and the
// renames of the work file and the list are forced to disk after them.
TEST(RegisterRunDurability, PlaylistsReachTheDiskBeforeTheListNamesThem) {
    Collection c;
    g_durabilitySteps.clear();
    formats::setWriteFaultHook(recordDurability);
    const auto outcome = runCli(c.args());
    formats::setWriteFaultHook(nullptr);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string rc = c.rc.path().filename().string();
    auto playlist = [](const std::string& name) {
        std::vector<std::string> steps;
        if (!formats::kDirectorySyncCoversFiles)
            steps.push_back("sync " + name); // synced one by one where the directory sync cannot
        steps.push_back("rename " + name);
        return steps;
    };
    const std::vector<std::string> list = {"sync GroupsTMP.xml", "rename GroupsTMP.xml",
                                           "syncdir " + rc,      "sync Groups.xml",
                                           "rename Groups.xml",  "syncdir " + rc};
    std::vector<std::string> expected;
    bool first = true;
    for (const auto& group : {std::vector<std::string>{"A_Live.XML"},
                              std::vector<std::string>{"B_Live.XML", "B_Dub.XML"}}) {
        for (const auto& name : group)
            for (const auto& step : playlist(name))
                expected.push_back(step);
        expected.push_back("syncdir Playlists");
        expected.insert(expected.end(), list.begin(), list.end());
        // The run's one backup of the list, before the list is first replaced; being the first
        // ever made, it is kept as the original too.
        if (first)
            expected.insert(expected.end() - 3,
                            {"sync Groups.xml.1.bak", "rename Groups.xml.1.bak",
                             "sync Groups.xml.original.bak", "rename Groups.xml.original.bak"});
        first = false;
    }
    EXPECT_EQ(g_durabilitySteps, expected);
}

// An exception nobody expects (memory running out in the middle of a write) ends the run with a
// message and exit status 1, never an abort; the file being written is left as it was.
std::string throwInstead(const fs::path& target, formats::WriteStep step, std::uint64_t) {
    if (target.filename() == "B_Live.XML" && step == formats::WriteStep::Write)
        throw std::bad_alloc();
    if (target.filename() == "Broken.XML" && step == formats::WriteStep::Write)
        throw std::logic_error("broken on purpose");
    return {};
}

TEST(RegisterRunFaults, UnexpectedExceptionsEndWithAMessage) {
    Collection c;
    formats::setWriteFaultHook(throwInstead);
    const auto outcome = runCli(c.args());
    TempDir out;
    writeBytes(c.red / "Broken.m3u", "C:\\x.mp3\r\n");
    const auto other = runCli({"m3u2vrm", (c.red / "Broken.m3u").string(), "--output", out.str()});
    formats::setWriteFaultHook(nullptr);
    EXPECT_EQ(outcome.status, cli::kExitFailed);
    EXPECT_NE(outcome.err.find("out of memory"), std::string::npos) << outcome.err;
    EXPECT_EQ(readBytes(c.rc / "Groups.xml"), c.listWith(true, false));
    EXPECT_EQ(other.status, cli::kExitFailed);
    EXPECT_NE(other.err.find("broken on purpose"), std::string::npos) << other.err;
    EXPECT_TRUE(snapshot(out.path()).empty());
    for (const auto& [path, bytes] : snapshot(c.rc.path()))
        EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
}

TEST(RegisterRunFaults, UnreadableSourcesAndGroupListsAreNamed) {
    struct Case {
        const char* name;
        std::function<std::vector<std::string>(Collection&)> setUp; ///< gives the command line
        const char* mentions[2];
        bool listHasA;
    } cases[] = {
        {"a directory given as the group file",
         [](Collection& c) {
             fs::create_directory(c.red / "Dir.INI");
             return std::vector<std::string>{"ini2vrm", (c.red / "Dir.INI").string(), "--register",
                                             "--rc-dir", c.rcDir()};
         },
         {"Dir.INI", "it is a directory"},
         false},
        {"Groups.xml is a directory",
         [](Collection& c) {
             fs::remove(c.rc / "Groups.xml");
             fs::create_directory(c.rc / "Groups.xml");
             writeBytes(c.rc / "other.txt", "x"); // the RC directory passes its presence test
             return c.args();
         },
         {"Groups.xml", "it is a directory"},
         false},
#ifdef __linux__
        // /proc/self/mem is an ordinary file whose first bytes cannot be read.
        {"a group file of the batch that cannot be read",
         [](Collection& c) {
             fs::create_symlink("/proc/self/mem", c.red / "Ab.INI"); // listed between A and B
             return c.args();
         },
         {"Ab.INI", "Input/output error"},
         true},
        {"a group list that cannot be read",
         [](Collection& c) {
             fs::remove(c.rc / "Groups.xml");
             fs::create_symlink("/proc/self/mem", c.rc / "Groups.xml");
             return c.args();
         },
         {"Groups.xml", "Input/output error"},
         false},
#endif
    };
    for (const auto& k : cases) {
        Collection c;
        const auto args = k.setUp(c);
        const auto before = snapshot(c.rc.path());
        const int open = test::openFileCount();
        const auto outcome = runCli(args);
        EXPECT_EQ(test::openFileCount(), open) << k.name;
        EXPECT_EQ(outcome.status, cli::kExitFailed) << k.name;
        for (const char* m : k.mentions)
            EXPECT_NE(outcome.err.find(m), std::string::npos) << k.name << ": " << outcome.err;
        auto files = snapshot(c.rc.path());
        if (k.listHasA) {
            EXPECT_EQ(files["Groups.xml"], c.listWith(true, false)) << k.name;
            EXPECT_EQ(files["Playlists/A_Live.XML"], playlist("C:\\A\\a.mp3")) << k.name;
            // list, work file, its backup (also kept as the first), Mine.XML, A_Live.XML
            EXPECT_EQ(files.size(), 6u) << k.name;
            EXPECT_TRUE(files.count("Groups.xml.1.bak")) << k.name;
        } else {
            EXPECT_EQ(files, before) << k.name;
        }
    }
}

#ifndef _WIN32
// A FIFO named like a group file or a playlist: refused at once, where opening it would wait for a
// writer that never comes.
TEST(SourceFaults, FifoIsRefusedInsteadOfWaitedFor) {
    TempDir dir;
    TempDir out;
    const struct {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"Rock.INI", {"ini2vrm", (dir / "Rock.INI").string(), "--output", out.str()}},
        {"Mix.m3u", {"m3u2vrm", (dir / "Mix.m3u").string(), "--output", out.str()}},
        {"Rock_Live.XML", {"vrm2m3u", (dir / "Rock_Live.XML").string(), "--output", out.str()}},
    };
    for (const auto& k : cases) {
        const fs::path fifo = dir / k.name;
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        auto run = std::async(std::launch::async, [&] { return runCli(k.args); });
        if (run.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Let a blocked open through so the test ends, then fail.
            const int fd = ::open(fifo.c_str(), O_WRONLY);
            if (fd >= 0)
                ::close(fd);
            run.wait();
            ADD_FAILURE() << k.name << ": the run waited on the FIFO";
            continue;
        }
        const auto outcome = run.get();
        EXPECT_EQ(outcome.status, cli::kExitFailed) << k.name;
        EXPECT_NE(outcome.err.find(k.name), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find("not an ordinary file"), std::string::npos) << outcome.err;
        EXPECT_TRUE(snapshot(out.path()).empty()) << k.name;
    }
}
#endif

#ifdef __linux__
/// A small tmpfs mounted for the test (root with the right to mount only), unmounted after.
class Tmpfs {
public:
    Tmpfs(const fs::path& at, const char* size) : m_at(at) {
        fs::create_directories(at);
        const std::string options = std::string("size=") + size;
        m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~Tmpfs() {
        if (m_mounted)
            ::umount2(m_at.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    bool remountReadOnly() {
        return ::mount("tmpfs", m_at.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    fs::path m_at;
    bool m_mounted = false;
};

TEST(FileSystemFaults, FullFileSystemKeepsTheGroupList) {
    Collection c;
    // The RC directory on a file system that holds the list once, but not a second copy of it.
    fs::remove_all(c.rc.path());
    Tmpfs tmpfs(c.rc.path(), "256k");
    if (!tmpfs.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root with CAP_SYS_ADMIN)";
    std::string big = kHead;
    while (big.size() < 160 * 1024)
        big += "   <Group Name=\"Old\" pos=\"2\" lastrow=\"-1\">\r\n   </Group>\r\n";
    big += "</Groups>\r\n";
    writeBytes(c.rc / "Groups.xml", big);
    writeBytes(c.rc / "Playlists" / "Mine.XML", kUserPlaylist);
    const int open = test::openFileCount();
    const auto outcome = runCli(c.args());
    EXPECT_EQ(test::openFileCount(), open);
    EXPECT_EQ(outcome.status, cli::kExitFailed);
    EXPECT_NE(outcome.err.find("GroupsTMP.xml\": No space left on device"), std::string::npos)
        << outcome.err;
    auto files = snapshot(c.rc.path());
    EXPECT_EQ(files["Groups.xml"], big);
    EXPECT_FALSE(files.count("GroupsTMP.xml"));
    for (const auto& [path, bytes] : files)
        EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
}

TEST(FileSystemFaults, ReadOnlyPlaylistsDirectoryWritesNothing) {
    Collection c;
    const fs::path playlists = c.rc / "Playlists";
    std::optional<Tmpfs> tmpfs;
    if (::geteuid() != 0) {
        fs::permissions(playlists, fs::perms::owner_read | fs::perms::owner_exec);
    } else {
        // Root writes through permission bits: a read-only mount is the way to refuse it.
        fs::remove_all(playlists);
        tmpfs.emplace(playlists, "64k");
        if (!tmpfs->mounted())
            GTEST_SKIP() << "running as root without the right to mount: no read-only directory";
        writeBytes(playlists / "Mine.XML", kUserPlaylist);
        ASSERT_TRUE(tmpfs->remountReadOnly());
    }
    const auto before = snapshot(c.rc.path());
    const int open = test::openFileCount();
    const auto outcome = runCli(c.args());
    EXPECT_EQ(test::openFileCount(), open);
    EXPECT_EQ(outcome.status, cli::kExitFailed);
    EXPECT_NE(outcome.err.find("A_Live.XML"), std::string::npos) << outcome.err;
    const char* reason = ::geteuid() == 0 ? "Read-only file system" : "Permission denied";
    EXPECT_NE(outcome.err.find(reason), std::string::npos) << outcome.err;
    EXPECT_EQ(snapshot(c.rc.path()), before);
}
#endif

} // namespace
