// VRM-to-INI and M3U-to-VRM throughput beside a plain copy of the same bytes, and the peak memory
// of converting very large inputs.
//
// Figures are MB/s of input (bytes_per_second). Set DECKSHIFT_BENCH_DIR to put the generated
// files on another file system, and DECKSHIFT_BENCH_BIG_MB to change the size of the large inputs
// of the memory runs (default 1024).

#include "bench_support.h"

#include "convert/ConvertM3uToVrm.h"
#include "convert/ConvertVrmToIni.h"
#include "convert/ConvertVrmToM3u.h"
#include "formats/VrmPlaylist.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr int kPlaylists = 200;                         // one VRM group of 200 subgroups
constexpr std::uint64_t kBytesPerPlaylist = 512 * 1024; // 200 x 0.5 MB = 100 MB
constexpr int kM3uFiles = 20;
constexpr std::uint64_t kBytesPerM3u = 5 * 1024 * 1024; // 20 x 5 MB = 100 MB

class ThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind, std::string_view text, std::string_view) override {
        throw std::runtime_error(std::string(text));
    }
};

struct Inputs {
    bench::ScratchDir dir{"convert-other"};
    fs::path vrm = dir.path() / "vrm";
    fs::path m3u = dir.path() / "m3u";
    fs::path out = dir.path() / "out";
    std::uint64_t vrmBytes = 0;
    std::uint64_t m3uBytes = 0;
    Inputs() {
        fs::create_directories(vrm);
        fs::create_directories(m3u);
        fs::create_directories(out);
        for (int p = 0; p < kPlaylists; ++p)
            bench::writeVrmPlaylist(vrm / ("Bench_Subgroup " + std::to_string(p) + ".XML"),
                                    kBytesPerPlaylist, static_cast<std::uint64_t>(p));
        for (int f = 0; f < kM3uFiles; ++f)
            bench::writeM3u(m3u / ("List " + std::to_string(f) + ".m3u"), kBytesPerM3u,
                            static_cast<std::uint64_t>(f));
        vrmBytes = bench::directoryBytes(vrm);
        m3uBytes = bench::directoryBytes(m3u);
    }
};

const Inputs& inputs() {
    static Inputs i;
    return i;
}

void setBytes(benchmark::State& state, std::uint64_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<std::int64_t>(
        static_cast<std::uint64_t>(state.iterations()) * bytesPerIteration));
}

void copyDirectory(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::directory_iterator(from))
        bench::copyFile(entry.path(), to / entry.path().filename());
}

void BM_CopyBaselineVrm(benchmark::State& state) {
    const auto& in = inputs();
    for (auto _ : state)
        copyDirectory(in.vrm, in.out);
    setBytes(state, in.vrmBytes);
}

/// The options of the variants (the benchmark's argument): 0 none, 1 two relocation rules, 2 the
/// track check.
convert::EngineOptions variant(const benchmark::State& state) {
    convert::EngineOptions options;
    if (state.range(0) == 1)
        options.relocations = {{"C:\\Music\\", "/home/dj/Music/"},
                               {"C:\\Music\\Collection 5", "/srv/five"}};
    if (state.range(0) == 2)
        options.checkTracks = true;
    return options;
}

/// Warnings (the missing tracks of the check) are expected; errors are not.
class ErrorThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            throw std::runtime_error(std::string(text));
    }
};

void BM_VrmToIni(benchmark::State& state) {
    const auto& in = inputs();
    const convert::VrmToIniInputs run{in.vrm.string(), "Bench", in.out.string()};
    convert::VrmToIniProgress progress;
    ErrorThrowingMessages messages;
    const auto options = variant(state);
    for (auto _ : state) {
        const auto result = convert::ConvertVrmToIni(run, progress, messages, options);
        if (result.playlists != kPlaylists)
            state.SkipWithError("not every playlist was converted");
    }
    setBytes(state, in.vrmBytes);
}

void BM_CopyBaselineM3u(benchmark::State& state) {
    const auto& in = inputs();
    for (auto _ : state)
        copyDirectory(in.m3u, in.out);
    setBytes(state, in.m3uBytes);
}

void BM_VrmToM3u(benchmark::State& state) {
    const auto& in = inputs();
    convert::RunEvents events;
    ErrorThrowingMessages messages;
    const auto options = variant(state);
    for (auto _ : state) {
        for (int p = 0; p < kPlaylists; ++p) {
            const convert::VrmToM3uInputs run{
                in.vrm.string(), "Bench_Subgroup " + std::to_string(p) + ".XML", in.out.string()};
            if (convert::ConvertVrmToM3u(run, events, messages, options).tracks == 0)
                state.SkipWithError("no tracks converted");
        }
    }
    setBytes(state, in.vrmBytes);
}

void BM_M3uToVrm(benchmark::State& state) {
    const auto& in = inputs();
    convert::RunEvents progress;
    ErrorThrowingMessages messages;
    const auto options = variant(state);
    for (auto _ : state) {
        for (int f = 0; f < kM3uFiles; ++f) {
            const convert::M3uToVrmInputs run{in.m3u.string(), "List " + std::to_string(f) + ".m3u",
                                              "d: [MUSIC]", in.out.string()};
            if (convert::ConvertM3uToVrm(run, progress, messages, options).tracks == 0)
                state.SkipWithError("no tracks converted");
        }
    }
    setBytes(state, in.m3uBytes);
}

std::uint64_t bigInputBytes() {
    const char* sizeEnv = std::getenv("DECKSHIFT_BENCH_BIG_MB");
    return (sizeEnv ? std::strtoull(sizeEnv, nullptr, 10) : 1024) * 1024 * 1024;
}

void reportPeak(benchmark::State& state, std::uint64_t inputBytes, std::uint64_t peak) {
    state.counters["input_MB"] = static_cast<double>(inputBytes) / 1e6;
    state.counters["peak_RSS_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    setBytes(state, inputBytes);
}

void BM_PeakMemoryLargeVrmPlaylist(benchmark::State& state) {
    bench::ScratchDir dir("big-vrm");
    fs::create_directories(dir.path() / "out");
    const fs::path file = dir.path() / "Big_One.XML";
    bench::writeVrmPlaylist(file, bigInputBytes(), 11);
    const auto size = fs::file_size(file);
    std::uint64_t peak = 0;
    for (auto _ : state)
        peak = bench::peakMemoryOfCli(
            {"vrm2ini", file.string(), "--output", (dir.path() / "out").string(), "--quiet"});
    reportPeak(state, size, peak);
}

void BM_PeakMemoryLargeM3u(benchmark::State& state) {
    bench::ScratchDir dir("big-m3u");
    fs::create_directories(dir.path() / "out");
    const fs::path file = dir.path() / "Big.m3u";
    bench::writeM3u(file, bigInputBytes(), 13);
    const auto size = fs::file_size(file);
    std::uint64_t peak = 0;
    for (auto _ : state)
        peak = bench::peakMemoryOfCli({"m3u2vrm", file.string(), "--output",
                                       (dir.path() / "out").string(), "--drive", "d:", "--quiet"});
    reportPeak(state, size, peak);
}

} // namespace

BENCHMARK(BM_CopyBaselineVrm)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_VrmToIni)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_VrmToIni)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_VrmToM3u)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_VrmToM3u)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CopyBaselineM3u)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_M3uToVrm)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_M3uToVrm)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_PeakMemoryLargeVrmPlaylist)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_PeakMemoryLargeM3u)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
