// Crash safety of a register-mode batch run: deckshift-cli is killed with SIGKILL at random
// moments, and after every kill the group list and the playlists on disk must be whole.
//
// What a kill may leave: Groups.xml is the old list, or the old list with the first k groups of
// the batch added whole; GroupsTMP.xml, when present, is one of those lists too; every playlist is
// complete and byte for byte what a full run writes. The hidden temporary files of the file layer
// (".<machine>-<process>-<n>.tmp" beside their target) cannot be removed by a killed process;
// they must never take a real file's name, never be listed as a playlist, and a later run must
// complete beside them and remove them, its killed process no longer running.
//
// A run interrupted with SIGINT or SIGTERM removes its temporary files itself, says so and ends
// with 128 + the signal's number.

#include "settings/Paths.h"
#include "support/ChildProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <csignal>

namespace fs = std::filesystem;
using namespace deckshift;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

namespace {

constexpr int kGroups = 8;
constexpr int kSubgroups = 3;
constexpr int kEntries = 150;
constexpr int kOldListGroups = 400;
constexpr int kTrials = 220;

std::string playlistBytes(const std::vector<std::string>& paths) {
    std::string s = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<smil>\r\n   <body>\r\n"
                    "      <seq>\r\n";
    for (const auto& p : paths) {
        std::string escaped;
        for (char c : p)
            escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
        s += "         <media src=\"" + escaped + "\">\r\n         </media>\r\n";
    }
    return s + "      </seq>\r\n   </body>\r\n</smil>\r\n";
}

bool isTemporaryName(const std::string& name) {
    return name.size() > 5 && name.front() == '.' && name.ends_with(".tmp");
}

/// A PCDJ RED group directory, and what a complete register-mode run makes of it.
struct Collection {
    TempDir red;
    std::vector<std::string> blocks;                  ///< the lines each group adds, in batch order
    std::map<std::string, std::string> playlists;     ///< file name -> bytes
    std::vector<std::vector<std::string>> groupFiles; ///< playlist file names of each group
    std::string oldList;
    std::string oldHead; ///< the old list less its closing line

    explicit Collection(const std::string& rcDir) {
        oldHead = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n";
        for (int g = 0; g < kOldListGroups; ++g) {
            oldHead +=
                "   <Group Name=\"Old" + std::to_string(g) + "\" pos=\"2\" lastrow=\"-1\">\r\n";
            oldHead += "      <SubGroup Name=\"A\" pos=\"0\" src=\"C:\\RC\\Playlists\\Old" +
                       std::to_string(g) + "_A.XML\"/>\r\n   </Group>\r\n";
        }
        oldList = oldHead + "</Groups>\r\n";

        for (int g = 0; g < kGroups; ++g) {
            const std::string group = "Group" + std::to_string(10 + g) + " & Co";
            std::string ini;
            std::string block = "   <Group Name=\"" + group + "\" pos=\"2\" lastrow=\"-1\">\r\n";
            groupFiles.emplace_back();
            for (int s = 0; s < kSubgroups; ++s) {
                const std::string sub = "Set " + std::to_string(s) + ": A/B";
                const std::string safe = "Set " + std::to_string(s) + "- A-B";
                const std::string file = group + "_" + safe + ".XML";
                ini += "[" + sub + "]\r\n";
                std::vector<std::string> paths;
                for (int e = 0; e < kEntries; ++e) {
                    const std::string name = "Track " + std::to_string(e) + " \xe9.mp3";
                    const std::string dir = "C:\\Music\\" + group + "\\" + sub + "\\";
                    ini += "Track " + std::to_string(e + 1) + "=;;;;;;|" + name + "||" + dir +
                           "|||\r\n";
                    paths.push_back(dir + name);
                }
                playlists[file] = playlistBytes(paths);
                groupFiles.back().push_back(file);
                block += "      <SubGroup Name=\"" + safe + "\" pos=\"0\" src=\"" + rcDir +
                         "Playlists/" + file + "\"/>\r\n";
            }
            blocks.push_back(block + "   </Group>\r\n");
            writeBytes(red / (group + ".INI"), ini);
        }
    }

    /// The list after `k` groups of the batch, following the groups of `earlier` earlier runs.
    std::string listAfter(std::size_t earlier, std::size_t k) const {
        std::string list = oldHead;
        for (std::size_t i = 0; i < earlier; ++i)
            list += blocks[i];
        for (std::size_t i = 0; i < k; ++i)
            list += blocks[i];
        return list + "</Groups>\r\n";
    }
};

/// Lays out a fresh RC directory: the old group list, and Playlists holding one playlist of the
/// user's that no run may touch.
const std::string kUserPlaylist = playlistBytes({"C:\\Mine\\keep.mp3"});
void resetRc(const fs::path& rc, const Collection& c) {
    std::error_code ec;
    fs::remove_all(rc, ec);
    writeBytes(rc / "Groups.xml", c.oldList);
    writeBytes(rc / "Playlists" / "Old0_A.XML", kUserPlaylist);
}

pid_t spawnCli(const std::vector<std::string>& args) {
    std::vector<std::string> all{DECKSHIFT_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    return test::startChild(all);
}

int waitExit(pid_t pid, bool* killed = nullptr) {
    const test::ChildEnd end = test::waitChild(pid);
    if (killed)
        *killed = end.signal == SIGKILL;
    return end.exitCode;
}

/// Which lists a file may hold: the index k of listAfter(earlier, k), or -1.
int stateOf(const Collection& c, std::size_t earlier, const std::string& bytes) {
    for (std::size_t k = 0; k <= c.blocks.size(); ++k)
        if (bytes == c.listAfter(earlier, k))
            return static_cast<int>(k);
    return -1;
}

struct Leftovers {
    std::set<std::string> temporaries; ///< relative to the RC directory
};

/// Checks everything on disk after a run that may have been killed; returns the number of groups
/// the list holds beyond the `earlier` ones, or -1 after a failed check.
int checkRc(const fs::path& rc, const Collection& c, std::size_t earlier, Leftovers& left,
            const std::string& context) {
    const int k = stateOf(c, earlier, readBytes(rc / "Groups.xml"));
    EXPECT_GE(k, 0) << context << ": Groups.xml is torn or holds part of a group";
    if (k < 0)
        return -1;
    if (fs::exists(rc / "GroupsTMP.xml")) {
        const int w = stateOf(c, earlier, readBytes(rc / "GroupsTMP.xml"));
        // The work file is committed just before the list is replaced with its bytes.
        EXPECT_TRUE(w == k || w == k + 1)
            << context << ": GroupsTMP.xml holds list " << w << " beside Groups.xml " << k;
    }
    std::set<std::string> onDisk;
    for (const auto& entry : fs::directory_iterator(rc / "Playlists")) {
        const std::string name = entry.path().filename().string();
        if (isTemporaryName(name)) {
            left.temporaries.insert("Playlists/" + name);
            continue;
        }
        onDisk.insert(name);
        if (name == "Old0_A.XML") {
            EXPECT_EQ(readBytes(entry.path()), kUserPlaylist) << context;
            continue;
        }
        auto it = c.playlists.find(name);
        EXPECT_TRUE(it != c.playlists.end()) << context << ": unexpected file " << name;
        if (it != c.playlists.end()) {
            EXPECT_EQ(readBytes(entry.path()), it->second) << context << ": " << name << " torn";
        }
    }
    // A group is entered in the list only after all its playlists are in place.
    for (int g = 0; g < k; ++g)
        for (const auto& file : c.groupFiles[static_cast<std::size_t>(g)])
            EXPECT_TRUE(onDisk.count(file))
                << context << ": group " << g << " listed without " << file;
    for (const auto& entry : fs::directory_iterator(rc)) {
        const std::string name = entry.path().filename().string();
        if (isTemporaryName(name)) {
            // Named ".<machine>-<process>-<n>.tmp", never after their target, so that a target
            // as long as the file system allows still gets one.
            EXPECT_EQ(name.find_first_not_of("0123456789-", 1), name.size() - 4)
                << context << ": " << name;
            left.temporaries.insert(name);
        } else if (name.starts_with("Groups.xml.") && name.ends_with(".bak")) {
            // The backups of the list are written whole or not at all.
            EXPECT_TRUE(readBytes(entry.path()).ends_with("</Groups>\r\n"))
                << context << ": " << name << " torn";
        } else {
            EXPECT_TRUE(name == "Groups.xml" || name == "GroupsTMP.xml" || name == "Playlists")
                << context << ": unexpected " << name;
        }
    }
    return k;
}

std::vector<std::string> runArgs(const Collection& c, const std::string& rcDir) {
    return {"ini2vrm", "--batch", c.red.str(), "--register", "--rc-dir", rcDir, "--quiet"};
}

TEST(CrashSafety, KilledRegisterRunLeavesWholeFilesOnly) {
    TempDir work;
    const fs::path rc = work / "rc";
    const std::string rcDir = rc.string() + "/";
    Collection c(rcDir);
    const auto args = runArgs(c, rcDir);

    // A complete run gives the list with every group and every playlist; its duration sets the
    // range of the kill delays.
    std::vector<double> durations;
    for (int i = 0; i < 3; ++i) {
        resetRc(rc, c);
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = spawnCli(args);
        ASSERT_GT(pid, 0) << "cannot start " << DECKSHIFT_CLI_PATH;
        ASSERT_EQ(waitExit(pid), 0);
        durations.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        Leftovers none;
        ASSERT_EQ(checkRc(rc, c, 0, none, "complete run"), kGroups);
        ASSERT_TRUE(none.temporaries.empty());
        ASSERT_EQ(readBytes(rc / "GroupsTMP.xml"), c.listAfter(0, kGroups));
    }
    std::sort(durations.begin(), durations.end());
    const double full = durations[1];

    unsigned seed = std::random_device{}();
    if (const char* s = std::getenv("DECKSHIFT_CRASH_SEED"))
        seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    std::mt19937 random(seed);
    // Runs after the first are often quicker than the measured one (the files are cached), so the
    // range stops short of its end to keep most kills inside the run.
    std::uniform_real_distribution<double> delay(0.0, full * 0.9);

    std::map<int, int> groupsSeen; // groups in the list after a kill -> trials
    int killed = 0, finished = 0, withTemporaries = 0, rerun = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        const std::string context =
            "trial " + std::to_string(trial) + " (seed " + std::to_string(seed) + ")";
        resetRc(rc, c);
        const pid_t pid = spawnCli(args);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::duration<double>(delay(random)));
        kill(pid, SIGKILL);
        bool wasKilled = false;
        const int exit = waitExit(pid, &wasKilled);
        Leftovers left;
        const int k = checkRc(rc, c, 0, left, context);
        ASSERT_GE(k, 0) << context;
        ++groupsSeen[k];
        if (wasKilled) {
            ++killed;
        } else {
            ++finished;
            EXPECT_EQ(exit, 0) << context;
            EXPECT_EQ(k, kGroups) << context;
            EXPECT_TRUE(left.temporaries.empty()) << context;
        }
        if (!left.temporaries.empty())
            ++withTemporaries;
        if (testing::Test::HasFailure())
            return;

        // Now and then, and for the first kills that left temporaries, a complete run on what
        // the kill left, with --replace: the groups the kill left listed are replaced where they
        // stand and the rest added, so the list holds the whole batch once; the run is not misled
        // by the temporaries, and removes them, their process having ended.
        if (trial % 20 != 0 && (left.temporaries.empty() || withTemporaries > 12))
            continue;
        ++rerun;
        std::vector<std::string> againArgs = args;
        againArgs.emplace_back("--replace");
        const pid_t again = spawnCli(againArgs);
        ASSERT_GT(again, 0);
        ASSERT_EQ(waitExit(again), 0) << context;
        EXPECT_EQ(readBytes(rc / "Groups.xml"), c.listAfter(0, kGroups))
            << context << ": the run after the kill";
        Leftovers after;
        EXPECT_EQ(checkRc(rc, c, 0, after, context + " rerun"), kGroups);
        EXPECT_TRUE(after.temporaries.empty())
            << context << ": " << after.temporaries.size() << " temporaries left of "
            << left.temporaries.size();
        std::vector<std::string> listed = settings::listFiles((rc / "Playlists").string(), "*.XML");
        std::vector<std::string> want;
        for (const auto& [name, bytes] : c.playlists)
            want.push_back(name);
        want.push_back("Old0_A.XML");
        std::sort(want.begin(), want.end(), settings::ntfsLess);
        EXPECT_EQ(listed, want) << context << ": the listing shows a temporary file";
        if (testing::Test::HasFailure())
            return;
    }
    std::string spread;
    for (const auto& [k, n] : groupsSeen)
        spread += " " + std::to_string(k) + ":" + std::to_string(n);
    std::cout << "[ crash    ] " << kTrials << " trials (seed " << seed << "), full run "
              << static_cast<int>(full * 1000) << " ms: " << killed << " killed, " << finished
              << " finished first, " << withTemporaries << " left temporaries, " << rerun
              << " complete runs after a kill; groups listed after the kill (groups:trials):"
              << spread << "\n";
    RecordProperty("trials", kTrials);
    RecordProperty("killed", killed);
    // Kills must land across the run, not all before the first group or after the last.
    EXPECT_GT(killed, kTrials / 2);
    EXPECT_GE(groupsSeen.size(), 3u);
}

std::set<std::string> temporariesIn(const fs::path& rc) {
    std::set<std::string> found;
    std::error_code ec;
    for (const fs::path& dir : {rc, rc / "Playlists"})
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            if (isTemporaryName(it->path().filename().string()))
                found.insert(it->path().string());
    return found;
}

TEST(CrashSafety, InterruptedRunRemovesItsTemporaryFilesAndSaysSo) {
    TempDir work;
    const fs::path rc = work / "rc";
    const std::string rcDir = rc.string() + "/";
    Collection c(rcDir);
    const auto args = runArgs(c, rcDir);
    for (const int number : {SIGINT, SIGTERM}) {
        // The signal is sent as soon as a temporary file shows; a run that ends before it lands
        // is tried again.
        int interrupted = 0;
        for (int attempt = 0; attempt < 40 && interrupted == 0; ++attempt) {
            resetRc(rc, c);
            std::vector<std::string> all{DECKSHIFT_CLI_PATH};
            all.insert(all.end(), args.begin(), args.end());
            test::ChildSetup setup;
            setup.stderrPath = work / "stderr.txt";
            const pid_t pid = test::startChild(all, setup);
            ASSERT_GT(pid, 0);
            const auto start = std::chrono::steady_clock::now();
            while (temporariesIn(rc).empty() &&
                   std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            kill(pid, number);
            const test::ChildEnd end = test::waitChild(pid);
            if (end.exitCode == 0)
                continue;
            ++interrupted;
            const std::string context = "signal " + std::to_string(number);
            EXPECT_EQ(end.signal, 0) << context;
            EXPECT_EQ(end.exitCode, 128 + number) << context;
            EXPECT_NE(readBytes(work / "stderr.txt").find("interrupted"), std::string::npos)
                << context << ": " << readBytes(work / "stderr.txt");
            for (const auto& left : temporariesIn(rc))
                ADD_FAILURE() << context << ": " << left << " left";
            Leftovers left;
            EXPECT_GE(checkRc(rc, c, 0, left, context), 0);
        }
        EXPECT_EQ(interrupted, 1) << "no run was interrupted by signal " << number;
    }
}

} // namespace
