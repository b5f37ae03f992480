// Export of a whole PCDJ FX library: 200 groups of 20 subgroups of 250 tracks each, beside the
// same export with two relocation rules.
//
// Figures are MB/s of VRM playlists read (bytes_per_second). Set DECKSHIFT_BENCH_DIR to put the
// generated files on another file system.

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
                    formats::appendMediaLines(playlist, bench::trackPath(n++, dirPart, name));
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
    convert::ExportInputs in;
    in.rcDirectory = lib.rc.string() + "/";
    in.outputDirectory = lib.out.string();
    convert::EngineOptions options;
    if (state.range(0) == 1)
        options.relocations = {{"C:\\Music\\", "/home/dj/Music/"},
                               {"C:\\Music\\Collection 5", "/srv/five"}};
    ErrorThrowingMessages messages;
    for (auto _ : state) {
        const auto result = convert::ExportLibrary(in, messages, options);
        if (result.playlists != static_cast<std::uint64_t>(kGroups * kSubgroups))
            state.SkipWithError("not every playlist was exported");
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::uint64_t>(state.iterations()) * lib.bytes));
}

} // namespace

BENCHMARK(BM_ExportLibrary)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

BENCHMARK_MAIN();
