// INI-to-VRM throughput beside a plain copy of the same bytes, and the peak memory of converting
// one very large group file.
//
// Figures are MB/s of input (bytes_per_second). Set DECKSHIFT_BENCH_DIR to put the generated
// collection on another file system, and DECKSHIFT_BENCH_BIG_MB to change the size of the large
// group file (default 1024).

#include "bench_support.h"

#include "convert/ConvertRedIniToVrm.h"
#include "formats/GroupIni.h"
#include "formats/TextIO.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr int kGroups = 200;
constexpr std::uint64_t kBytesPerGroup = 512 * 1024; // 200 x 0.5 MB = 100 MB

/// Errors stop the benchmark; warnings (the missing tracks of the track check) are expected.
class NullMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            throw std::runtime_error(std::string(text));
    }
};

struct Collection {
    bench::ScratchDir dir{"ini2vrm"};
    std::uint64_t perSubgroup;
    fs::path red = dir.path() / "red";
    fs::path out = dir.path() / "out";
    fs::path rc = dir.path() / "rc";
    std::uint64_t bytes = 0;
    explicit Collection(std::uint64_t entriesPerSubgroup) : perSubgroup(entriesPerSubgroup) {
        fs::create_directories(red);
        fs::create_directories(out);
        fs::create_directories(rc / "Playlists");
        for (int g = 0; g < kGroups; ++g)
            bench::writeGroupFile(red / ("Group " + std::to_string(g) + ".INI"), kBytesPerGroup,
                                  static_cast<std::uint64_t>(g), perSubgroup);
        bytes = bench::directoryBytes(red);
    }
    void resetGroupList() const {
        std::FILE* f = std::fopen((rc / "Groups.xml").string().c_str(), "wb");
        std::fputs("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n</Groups>\r\n",
                   f);
        std::fclose(f);
    }
};

// One collection per subgroup size, generated once: playlists are many small files with small
// subgroups, and each file created costs the file system far more than its bytes.
const Collection& collection(std::int64_t entriesPerSubgroup) {
    static std::map<std::int64_t, std::unique_ptr<Collection>> collections;
    auto& c = collections[entriesPerSubgroup];
    if (!c)
        c = std::make_unique<Collection>(static_cast<std::uint64_t>(entriesPerSubgroup));
    return *c;
}

/// The options of the variants: none, two relocation rules, the track check.
convert::EngineOptions variant(int which) {
    convert::EngineOptions options;
    if (which == 1)
        options.relocations = {{"C:\\Music\\", "/home/dj/Music/"},
                               {"C:\\Music\\Collection 5", "/srv/five"}};
    if (which == 2)
        options.checkTracks = true;
    return options;
}

void runBatch(benchmark::State& state, bool registerMode, int which = 0) {
    const auto& c = collection(state.range(0));
    std::unique_ptr<settings::FixedRegistryReader> registry;
    if (registerMode)
        registry = std::make_unique<settings::FixedRegistryReader>(c.rc.string() + "/");
    convert::IniToVrmInputs in;
    in.batchMode = true;
    in.registerMode = registerMode;
    in.sourceDirectory = c.red.string();
    in.outputDirectory = c.out.string();
    in.registry = registry.get();
    convert::IniToVrmProgress progress;
    NullMessages messages;
    const auto options = variant(which);
    for (auto _ : state) {
        if (registerMode) {
            state.PauseTiming();
            c.resetGroupList();
            state.ResumeTiming();
        }
        auto result = convert::ConvertRedIniToVrm(in, progress, messages, options);
        if (result.groupFilesConverted != kGroups)
            state.SkipWithError("not every group was converted");
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::uint64_t>(state.iterations()) * c.bytes));
}

void BM_CopyBaseline(benchmark::State& state) {
    const auto& c = collection(state.range(0));
    for (auto _ : state) {
        for (const auto& entry : fs::directory_iterator(c.red))
            bench::copyFile(entry.path(), c.out / entry.path().filename());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::uint64_t>(state.iterations()) * c.bytes));
}

void BM_IniToVrmBatch(benchmark::State& state) {
    runBatch(state, false);
}
void BM_IniToVrmBatchRegister(benchmark::State& state) {
    runBatch(state, true);
}
void BM_IniToVrmBatchRelocate(benchmark::State& state) {
    runBatch(state, false, 1);
}
// The same run without forcing each group's playlists to disk before the group list names them:
// beside BM_IniToVrmBatchRegister, what that durability costs.
void BM_IniToVrmBatchRegisterNoPlaylistSync(benchmark::State& state) {
    formats::setFileSyncForBenchmarks(false);
    runBatch(state, true);
    formats::setFileSyncForBenchmarks(true);
}
void BM_IniToVrmBatchCheckTracks(benchmark::State& state) {
    runBatch(state, false, 2);
}

void BM_PeakMemoryLargeGroupFile(benchmark::State& state) {
    const char* sizeEnv = std::getenv("DECKSHIFT_BENCH_BIG_MB");
    const std::uint64_t megabytes = sizeEnv ? std::strtoull(sizeEnv, nullptr, 10) : 1024;
    bench::ScratchDir dir("big");
    fs::create_directories(dir.path() / "out");
    const fs::path file = dir.path() / "Big.INI";
    bench::writeGroupFile(file, megabytes * 1024 * 1024, 7, 250);
    const auto size = fs::file_size(file);
    std::uint64_t peak = 0;
    for (auto _ : state)
        peak = bench::peakMemoryOfCli(
            {"ini2vrm", file.string(), "--output", (dir.path() / "out").string(), "--quiet"});
    state.counters["input_MB"] = static_cast<double>(size) / 1e6;
    state.counters["peak_RSS_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::uint64_t>(state.iterations()) * size));
}

} // namespace

// The argument is the number of entries per subgroup.
BENCHMARK(BM_CopyBaseline)->Arg(250)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_IniToVrmBatch)
    ->Arg(250)
    ->Arg(2500)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_IniToVrmBatchRelocate)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_IniToVrmBatchCheckTracks)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_IniToVrmBatchRegister)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_IniToVrmBatchRegisterNoPlaylistSync)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_PeakMemoryLargeGroupFile)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
