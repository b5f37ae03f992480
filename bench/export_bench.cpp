// Export of a whole PCDJ FX library: 200 groups of 20 subgroups of 250 tracks each (4,000
// playlists, 1,000,000 track entries of 200,000 distinct tracks), to each format without reading
// tags, and the M3U folder beside the same export with two relocation rules.
//
// Figures are MB/s of VRM playlists read (bytes_per_second); for the collection files also
// `distinct` (tracks in the collection) and `bytes_per_distinct`, the memory the collection holds
// per distinct track. BM_ExportPeakMemory runs deckshift-cli for each format and gives its peak
// resident memory. Set DECKSHIFT_BENCH_DIR to put the generated files on another file system.

#include "bench_support.h"

#include "convert/ExportLibrary.h"
#include "formats/GroupList.h"
#include "formats/VrmPlaylist.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr int kGroups = 200;
constexpr int kSubgroups = 20;
constexpr int kTracks = 250;
/// Each track is listed five times over the library.
constexpr std::uint64_t kDistinct = 200000;

struct Library {
    bench::ScratchDir dir{"export"};
    fs::path rc = dir.path() / "rc";
    fs::path out = dir.path() / "out";
    std::uint64_t bytes = 0;
    Library() {
        fs::create_directories(rc / "Playlists");
        fs::create_directories(out);
        std::ofstream list(rc / "Groups.xml", std::ios::binary);
        list << "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n";
        std::string dirPart, name, playlist;
        std::uint64_t n = 0;
        for (int g = 0; g < kGroups; ++g) {
            const std::string group = "Group " + std::to_string(g) + (g % 9 == 0 ? " & Co" : "");
            list << formats::groupStartLine(group) << "\r\n";
            for (int s = 0; s < kSubgroups; ++s) {
                const std::string sub = "Sub " + std::to_string(s);
                const fs::path path = rc / "Playlists" / (group + "_" + sub + ".XML");
                playlist.clear();
                for (auto line : formats::kVrmHead)
                    playlist.append(line).append("\r\n");
                for (int t = 0; t < kTracks; ++t)
                    formats::appendMediaLines(playlist,
                                              bench::trackPath(n++ % kDistinct, dirPart, name));
                for (auto line : formats::kVrmTail)
                    playlist.append(line).append("\r\n");
                std::ofstream(path, std::ios::binary) << playlist;
                bytes += playlist.size();
                list << formats::subgroupLine(sub, path.string()) << "\r\n";
            }
            list << formats::kGroupEndLine << "\r\n";
        }
        list << formats::kRootEndLine << "\r\n";
    }
};

const Library& library() {
    static Library l;
    return l;
}

class ErrorThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            throw std::runtime_error(std::string(text));
    }
};

void BM_ExportLibrary(benchmark::State& state) {
    const auto& lib = library();
    const auto& format = convert::exportFormats().at(static_cast<std::size_t>(state.range(0)));
    convert::ExportInputs in;
    in.rcDirectory = lib.rc.string() + "/";
    in.format = format.format;
    in.output = format.toFolder ? lib.out.string() : (lib.out / "library.xml").string();
    in.readTags = false;
    convert::EngineOptions options;
    if (state.range(1) == 1)
        options.relocations = {{"C:\\Music\\", "/home/dj/Music/"},
                               {"C:\\Music\\Collection 5", "/srv/five"}};
    ErrorThrowingMessages messages;
    convert::ExportResult result;
    for (auto _ : state) {
        result = convert::ExportLibrary(in, messages, options);
        if (result.playlists != static_cast<std::uint64_t>(kGroups * kSubgroups))
            state.SkipWithError("not every playlist was exported");
    }
    if (!format.toFolder) {
        state.counters["distinct"] = static_cast<double>(result.distinctTracks);
        state.counters["bytes_per_distinct"] =
            static_cast<double>(result.collectionBytes) / static_cast<double>(kDistinct);
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::uint64_t>(state.iterations()) * lib.bytes));
}

} // namespace

// The peak memory of a whole deckshift-cli export run, each format.
void BM_ExportPeakMemory(benchmark::State& state) {
    const auto& lib = library();
    const auto& format = convert::exportFormats().at(static_cast<std::size_t>(state.range(0)));
    const std::string output =
        format.toFolder ? lib.out.string() : (lib.out / "library.xml").string();
    std::uint64_t peak = 0;
    for (auto _ : state)
        peak = bench::peakMemoryOfCli({"export", "--quiet", "--rc-dir", lib.rc.string() + "/",
                                       "--format", std::string(format.name), "--no-tags",
                                       "--output", output});
    state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1e6;
}

BENCHMARK(BM_ExportLibrary)
    ->ArgNames({"format", "relocate"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({3, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

BENCHMARK(BM_ExportPeakMemory)
    ->ArgName("format")
    ->DenseRange(0, 3)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
