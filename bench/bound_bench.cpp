// Each conversion beside the least I/O its job needs: reading every input byte and writing the
// conversion's own output bytes (taken from a run beforehand and held in memory) in 64 KiB blocks,
// with no parsing. The ratio bound time / conversion time says how close a conversion comes to
// the speed of its I/O (1.0 would be as fast as the bound).
//
// A second bound writes each output as every file of Deckshift is written: into a temporary file
// beside it, renamed over the old one when whole. Replacing a file costs more than writing it in
// place (ext4, for one, writes the new file's blocks out at the rename so that a crash cannot
// leave it empty), so its ratio tells the conversion's own work apart from the cost of that
// guarantee.
//
// Inputs are the generated shapes of the other benchmarks, 100 MB each: a VRM group of 200
// playlists, 20 extended M3U playlists, 200 group INI files of 250 entries per subgroup. Each
// conversion runs once to warm the page cache; then the bound, the conversion and the conversion
// with two relocation rules take turns for a number of rounds, and the medians are reported, of the
// wall clock and of the processor time.
//
//   bound_bench [ROUNDS [CONVERSION...]]     (default 7 rounds, every conversion)
//
// Naming conversions (vrm2ini, m3u2vrm, vrm2m3u, ini2vrm-batch) measures only those, and only
// their inputs are generated.
//
// Set DECKSHIFT_BENCH_DIR to put the generated files on another file system.

#include "bench_support.h"

#include "convert/ConvertM3uToVrm.h"
#include "convert/ConvertRedIniToVrm.h"
#include "convert/ConvertVrmToIni.h"
#include "convert/ConvertVrmToM3u.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr int kPlaylists = 200;
constexpr std::uint64_t kBytesPerPlaylist = 512 * 1024;
constexpr int kM3uFiles = 20;
constexpr std::uint64_t kBytesPerM3u = 5 * 1024 * 1024;
constexpr int kGroups = 200;
constexpr std::uint64_t kBytesPerGroup = 512 * 1024;
constexpr std::uint64_t kEntriesPerSubgroup = 250;
constexpr std::size_t kBlock = 64 * 1024;

class ErrorThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            throw std::runtime_error(std::string(text));
    }
};

struct OutputBytes {
    std::string name;
    std::string bytes;
};

std::string readWhole(const fs::path& path) {
    std::FILE* f = std::fopen(path.string().c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot read " + path.string());
    std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (n != bytes.size())
        throw std::runtime_error("short read of " + path.string());
    return bytes;
}

/// The files a conversion wrote into `dir`, held in memory.
std::vector<OutputBytes> collectOutputs(const fs::path& dir) {
    std::vector<OutputBytes> outputs;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            outputs.push_back({entry.path().filename().string(), readWhole(entry.path())});
    return outputs;
}

/// The bound: every input read in 64 KiB blocks, every output written in 64 KiB blocks, in place
/// or, with `replace`, into a temporary file renamed over the output.
void bound(const std::vector<fs::path>& inputs, const std::vector<OutputBytes>& outputs,
           const fs::path& outDir, bool replace) {
    std::vector<char> block(kBlock);
    for (const auto& input : inputs) {
        std::FILE* in = std::fopen(input.string().c_str(), "rb");
        if (!in)
            throw std::runtime_error("cannot read " + input.string());
        std::setvbuf(in, nullptr, _IONBF, 0);
        while (std::fread(block.data(), 1, block.size(), in) > 0) {
        }
        std::fclose(in);
    }
    for (const auto& output : outputs) {
        const fs::path target = outDir / output.name;
        const fs::path written = replace ? outDir / ("." + output.name + ".tmp") : target;
        std::FILE* out = std::fopen(written.string().c_str(), "wb");
        if (!out)
            throw std::runtime_error("cannot write " + output.name);
        std::setvbuf(out, nullptr, _IONBF, 0);
        for (std::size_t at = 0; at < output.bytes.size(); at += kBlock) {
            const std::size_t n = std::min(kBlock, output.bytes.size() - at);
            if (std::fwrite(output.bytes.data() + at, 1, n, out) != n)
                throw std::runtime_error("write failed");
        }
        if (std::fclose(out) != 0)
            throw std::runtime_error("close failed");
        if (replace)
            fs::rename(written, target);
    }
}

/// Wall time and processor time (user and system) of one run, in seconds.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double cpuSeconds() {
#ifdef _WIN32
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#endif
}

Times timed(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuSeconds() - cpuStart};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

convert::EngineOptions relocating() {
    convert::EngineOptions options;
    options.relocations = {{"C:\\Music\\", "/home/dj/Music/"},
                           {"C:\\Music\\Collection 5", "/srv/five"}};
    return options;
}

/// One conversion of the table: its inputs and a run of it writing into a directory.
struct Conversion {
    std::string name;
    std::vector<fs::path> inputs;
    std::function<void(const fs::path& outDir, const convert::EngineOptions&)> run;
};

std::vector<fs::path> filesOf(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::uint64_t totalBytes(const std::vector<fs::path>& files) {
    std::uint64_t total = 0;
    for (const auto& f : files)
        total += fs::file_size(f);
    return total;
}

void measure(const Conversion& c, const fs::path& scratch, int rounds) {
    const fs::path convOut = scratch / ("out-" + c.name);
    const fs::path boundOut = scratch / ("bound-" + c.name);
    fs::create_directories(convOut);
    fs::create_directories(boundOut);
    const convert::EngineOptions plain;
    const auto moved = relocating();
    // Warm-up: the page cache holds the inputs, and the output files exist as they will in
    // every round after.
    c.run(convOut, plain);
    const auto outputs = collectOutputs(convOut);
    bound(c.inputs, outputs, boundOut, false);
    c.run(convOut, moved);
    std::uint64_t outBytes = 0;
    for (const auto& o : outputs)
        outBytes += o.bytes.size();

    // In each round: the bound in place, the bound replacing, the conversion, the conversion
    // relocating.
    std::vector<Times> runs[4];
    for (int r = 0; r < rounds; ++r) {
        runs[0].push_back(timed([&] { bound(c.inputs, outputs, boundOut, false); }));
        runs[1].push_back(timed([&] { bound(c.inputs, outputs, boundOut, true); }));
        runs[2].push_back(timed([&] { c.run(convOut, plain); }));
        runs[3].push_back(timed([&] { c.run(convOut, moved); }));
    }
    for (const bool wall : {true, false}) {
        double m[4];
        for (int i = 0; i < 4; ++i) {
            std::vector<double> values;
            for (const Times& t : runs[i])
                values.push_back(wall ? t.wall : t.cpu);
            m[i] = median(values);
        }
        if (wall)
            std::printf("%-14s %7.1f %7.1f %6zu", c.name.c_str(),
                        static_cast<double>(totalBytes(c.inputs)) / 1e6,
                        static_cast<double>(outBytes) / 1e6, outputs.size());
        else
            std::printf("%-14s %7s %7s %6s", "", "", "", "");
        std::printf(" %-5s | %7.1f %7.1f %7.1f %7.1f | %6.2f %7.2f %6.1f%%\n",
                    wall ? "wall" : "cpu", m[0] * 1e3, m[1] * 1e3, m[2] * 1e3, m[3] * 1e3,
                    m[0] / m[2], m[1] / m[2], (m[3] / m[2] - 1) * 100);
    }
    std::fflush(stdout);
    fs::remove_all(convOut);
    fs::remove_all(boundOut);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::vector<std::string> only(argv + std::min(argc, 2), argv + argc);
    auto wanted = [&](const std::string& name) {
        return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
    };
    try {
        bench::ScratchDir scratch("bound");
        const fs::path vrm = scratch.path() / "vrm";
        const fs::path m3u = scratch.path() / "m3u";
        const fs::path red = scratch.path() / "red";
        fs::create_directories(vrm);
        fs::create_directories(m3u);
        fs::create_directories(red);
        for (int p = 0; p < kPlaylists && (wanted("vrm2ini") || wanted("vrm2m3u")); ++p)
            bench::writeVrmPlaylist(vrm / ("Bench_Subgroup " + std::to_string(p) + ".XML"),
                                    kBytesPerPlaylist, static_cast<std::uint64_t>(p));
        for (int f = 0; f < kM3uFiles && wanted("m3u2vrm"); ++f)
            bench::writeM3u(m3u / ("List " + std::to_string(f) + ".m3u"), kBytesPerM3u,
                            static_cast<std::uint64_t>(f));
        for (int g = 0; g < kGroups && wanted("ini2vrm-batch"); ++g)
            bench::writeGroupFile(red / ("Group " + std::to_string(g) + ".INI"), kBytesPerGroup,
                                  static_cast<std::uint64_t>(g), kEntriesPerSubgroup);

        ErrorThrowingMessages messages;
        std::vector<Conversion> conversions;
        conversions.push_back(
            {"vrm2ini", filesOf(vrm), [&](const fs::path& out, const auto& o) {
                 convert::VrmToIniProgress progress;
                 const convert::VrmToIniInputs in{vrm.string(), "Bench", out.string()};
                 if (convert::ConvertVrmToIni(in, progress, messages, o).playlists != kPlaylists)
                     throw std::runtime_error("vrm2ini: playlists missing");
             }});
        conversions.push_back(
            {"m3u2vrm", filesOf(m3u), [&](const fs::path& out, const auto& o) {
                 convert::RunEvents events;
                 for (int f = 0; f < kM3uFiles; ++f) {
                     const convert::M3uToVrmInputs in{m3u.string(),
                                                      "List " + std::to_string(f) + ".m3u",
                                                      "d: [MUSIC]", out.string()};
                     if (convert::ConvertM3uToVrm(in, events, messages, o).tracks == 0)
                         throw std::runtime_error("m3u2vrm: no tracks");
                 }
             }});
        conversions.push_back(
            {"vrm2m3u", filesOf(vrm), [&](const fs::path& out, const auto& o) {
                 convert::RunEvents events;
                 for (int p = 0; p < kPlaylists; ++p) {
                     const convert::VrmToM3uInputs in{
                         vrm.string(), "Bench_Subgroup " + std::to_string(p) + ".XML",
                         out.string()};
                     if (convert::ConvertVrmToM3u(in, events, messages, o).tracks == 0)
                         throw std::runtime_error("vrm2m3u: no tracks");
                 }
             }});
        conversions.push_back(
            {"ini2vrm-batch", filesOf(red), [&](const fs::path& out, const auto& o) {
                 convert::IniToVrmProgress progress;
                 convert::IniToVrmInputs in;
                 in.batchMode = true;
                 in.sourceDirectory = red.string();
                 in.outputDirectory = out.string();
                 if (convert::ConvertRedIniToVrm(in, progress, messages, o).groupFilesConverted !=
                     kGroups)
                     throw std::runtime_error("ini2vrm: groups missing");
             }});

        std::printf("medians of %d interleaved rounds, times in ms; ratio = bound / conversion, "
                    "ratio-r = replacing bound / conversion, reloc = relocating / plain - 1;\n"
                    "wall clock, then processor time (user + system), which a machine busy with "
                    "other work disturbs less\n",
                    rounds);
        std::printf("%-14s %7s %7s %6s %-5s | %7s %7s %7s %7s | %6s %7s %7s\n", "conversion",
                    "in MB", "out MB", "files", "clock", "bound", "replace", "convert", "reloc",
                    "ratio", "ratio-r", "reloc");
        for (const auto& c : conversions)
            if (wanted(c.name))
                measure(c, scratch.path(), rounds);
    } catch (const std::exception& e) {
        std::cerr << "bound_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
