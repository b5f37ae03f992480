// A register-mode batch into a RecordCase directory named in Windows form and reached through a
// Wine prefix's dosdevices, beside the same batch into a native RecordCase directory. Both
// Playlists folders already hold 20,000 playlists, so each new playlist's name has to be resolved
// among them without regard to letter case.
//
// 200 group files of about 10 subgroups of 20 entries are converted per run; the playlists a run
// made are removed (untimed) before the next. The two kinds of run take turns for a number of
// rounds and the medians are reported with their ratio.
//
//   wine_paths_bench [ROUNDS]     (default 5)
//
// Set DECKSHIFT_BENCH_DIR to put the generated files on another file system (register mode
// forces the group list to disk after every group, which a slow disk makes the larger part of
// both runs).

#include "bench_support.h"

#include "convert/ConvertRedIniToVrm.h"
#include "settings/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr int kGroups = 200;
constexpr std::uint64_t kEntriesPerSubgroup = 20;
constexpr std::uint64_t kSubgroupsPerGroup = 10;
constexpr int kExistingPlaylists = 20000;

class ErrorThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            throw std::runtime_error(std::string(text));
    }
};

void writeFile(const fs::path& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        throw std::runtime_error("cannot write " + path.string());
    std::fclose(f);
}

/// A RecordCase directory with a fresh group list and 20,000 playlists of earlier groups.
void makeRc(const fs::path& rc) {
    fs::create_directories(rc / "Playlists");
    for (int i = 0; i < kExistingPlaylists; ++i)
        writeFile(rc / "Playlists" /
                      ("Earlier Group " + std::to_string(i / 20) + "_Subgroup " +
                       std::to_string(i % 20) + ".XML"),
                  "x");
}

void resetRc(const fs::path& rc, const std::set<std::string>& existing) {
    writeFile(rc / "Groups.xml",
              "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n</Groups>\r\n");
    for (const auto& entry : fs::directory_iterator(rc / "Playlists"))
        if (!existing.count(entry.path().filename().string()))
            fs::remove(entry.path());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    try {
        bench::ScratchDir scratch("wine-paths");
        const fs::path red = scratch.path() / "red";
        const fs::path prefix = scratch.path() / "prefix";
        const fs::path wineRc = prefix / "drive_c" / "FX" / "RC";
        const fs::path nativeRc = scratch.path() / "native" / "RC";
        fs::create_directories(red);
        fs::create_directories(prefix / "dosdevices");
        fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
        makeRc(wineRc);
        makeRc(nativeRc);
        std::set<std::string> existing;
        for (const auto& entry : fs::directory_iterator(nativeRc / "Playlists"))
            existing.insert(entry.path().filename().string());
        // Entry lines are about 90 bytes long.
        for (int g = 0; g < kGroups; ++g)
            bench::writeGroupFile(red / ("Group " + std::to_string(g) + ".INI"),
                                  kSubgroupsPerGroup * kEntriesPerSubgroup * 90,
                                  static_cast<std::uint64_t>(g), kEntriesPerSubgroup);
        ::setenv("WINEPREFIX", prefix.c_str(), 1);

        ErrorThrowingMessages messages;
        auto run = [&](const std::string& rcSetting, const fs::path& rc) {
            resetRc(rc, existing);
            convert::IniToVrmProgress progress;
            convert::IniToVrmInputs in;
            in.batchMode = true;
            in.registerMode = true;
            in.sourceDirectory = red.string();
            in.rcDirectory = rcSetting;
            const auto start = std::chrono::steady_clock::now();
            const auto result = convert::ConvertRedIniToVrm(in, progress, messages, {});
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (result.groupFilesConverted != kGroups)
                throw std::runtime_error("not every group was converted");
            return std::make_pair(seconds, result.playlistsWritten);
        };
        const std::string wineSetting = "C:\\FX\\RC\\";
        const std::string nativeSetting = nativeRc.string() + "/";
        if (settings::toFsPath(wineSetting + "Playlists") !=
            prefix / "dosdevices/c:/FX/RC/Playlists")
            throw std::runtime_error("the Wine prefix does not map C:\\FX\\RC\\");

        // Warm-up of both: the page cache holds the group files and both directories.
        const auto playlists = run(wineSetting, wineRc).second;
        run(nativeSetting, nativeRc);
        std::vector<double> wine, native;
        for (int r = 0; r < rounds; ++r) {
            native.push_back(run(nativeSetting, nativeRc).first);
            wine.push_back(run(wineSetting, wineRc).first);
        }
        const double n = median(native), w = median(wine);
        std::printf("register-mode batch: %d groups, %llu new playlists, %d playlists already in "
                    "Playlists; medians of %d interleaved rounds\n",
                    kGroups, static_cast<unsigned long long>(playlists), kExistingPlaylists,
                    rounds);
        std::printf("native RC directory   %9.1f ms\n", n * 1e3);
        std::printf("Windows form via Wine %9.1f ms\n", w * 1e3);
        std::printf("ratio Wine / native   %9.2f\n", w / n);
    } catch (const std::exception& e) {
        std::cerr << "wine_paths_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
