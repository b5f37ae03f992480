// Finding moved tracks by name: the file-name index of a music folder of 200,000 files in 2,000
// folders, and the lookups of a conversion whose 20,000 tracks have all moved.
//
//   BM_IndexBuild        the index of the whole folder, built again and again (warm cache);
//                        counters: files, bytes of index per file
//   BM_IndexBuildOnce    the same, built once: run it alone right after dropping the page cache
//                        (as root: sync; echo 3 > /proc/sys/vm/drop_caches) for the cold figure
//   BM_ConvertChecked    VRM to M3U of 20,000 tracks that are where the playlist says, with the
//                        track check: every track looked up on disk, none searched for
//   BM_ConvertMoved      the same playlist with every track moved, relinked by --search (the
//                        index built within the run, as a real run does)
//   BM_Lookups           the lookups alone of those 20,000 tracks in a built index: the time a
//                        run whose tracks all need the search adds to the check
//
// The folder is made once (that takes a while) below $DECKSHIFT_BENCH_DIR, else the system's
// temporary directory, and removed at the end; set DECKSHIFT_SEARCH_TREE to a directory to keep it
// there between runs (for the cold figure: make it, drop the caches, run BM_IndexBuildOnce).

#include "bench_support.h"

#include "convert/ConvertVrmToM3u.h"
#include "convert/TrackSearch.h"
#include "formats/VrmPlaylist.h"
#include "settings/FileNameIndex.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace deckshift;

namespace {

constexpr int kArtists = 20;
constexpr int kAlbumsPerArtist = 100; // 2,000 folders of files
constexpr int kFilesPerAlbum = 100;   // 200,000 files
constexpr int kTracks = 20000;

std::string artist(int a) {
    return "Artist " + std::to_string(a);
}
std::string album(int a, int b) {
    return "Album " + std::to_string(a * kAlbumsPerArtist + b);
}
std::string fileName(int a, int b, int f) {
    const int n = (a * kAlbumsPerArtist + b) * kFilesPerAlbum + f;
    return std::to_string(f + 1) + " - " + artist(a) + " - Title " + std::to_string(n) + ".mp3";
}

void touch(const fs::path& path) {
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot create " + path.string());
    std::fclose(f);
}

/// The music folder as it stands now, and where a collection had its tracks before: "Old" with
/// the same files one folder level less (the artists' folders were added).
struct MusicFolder {
    std::optional<bench::ScratchDir> scratch;
    fs::path root;
    fs::path music;
    fs::path in;
    fs::path out;

    MusicFolder() {
        if (const char* kept = std::getenv("DECKSHIFT_SEARCH_TREE"); kept && *kept) {
            root = kept;
        } else {
            scratch.emplace("search");
            root = scratch->path();
        }
        music = root / "Music";
        in = root / "in";
        out = root / "out";
        fs::create_directories(in);
        fs::create_directories(out);
        if (!fs::exists(root / "complete")) {
            for (int a = 0; a < kArtists; ++a)
                for (int b = 0; b < kAlbumsPerArtist; ++b) {
                    const fs::path folder = music / artist(a) / album(a, b);
                    fs::create_directories(folder);
                    for (int f = 0; f < kFilesPerAlbum; ++f)
                        touch(folder / fileName(a, b, f));
                }
            touch(root / "complete");
        }
        // One track in ten of the folder, spread over all of it.
        std::vector<std::string> present, moved;
        for (int t = 0; t < kTracks; ++t) {
            const int n = t * 10 + t % 10;
            const int a = n / (kAlbumsPerArtist * kFilesPerAlbum);
            const int b = n / kFilesPerAlbum % kAlbumsPerArtist;
            const int f = n % kFilesPerAlbum;
            present.push_back((music / artist(a) / album(a, b) / fileName(a, b, f)).string());
            moved.push_back((root / "Old" / album(a, b) / fileName(a, b, f)).string());
        }
        writePlaylist(in / "Present.XML", present);
        writePlaylist(in / "Moved.XML", moved);
        movedPaths = std::move(moved);
    }

    std::vector<std::string> movedPaths;

private:
    static void writePlaylist(const fs::path& path, const std::vector<std::string>& tracks) {
        std::string playlist;
        for (auto line : formats::kVrmHead)
            playlist.append(line).append("\r\n");
        for (const auto& track : tracks)
            formats::appendMediaLines(playlist, track);
        for (auto line : formats::kVrmTail)
            playlist.append(line).append("\r\n");
        std::ofstream(path, std::ios::binary) << playlist;
    }
};

MusicFolder& folder() {
    static MusicFolder f;
    return f;
}

class ErrorThrowingMessages : public convert::MessageSink {
public:
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            throw std::runtime_error(std::string(text));
    }
};

void indexBuild(benchmark::State& state) {
    const auto& f = folder();
    std::size_t files = 0, bytes = 0;
    for (auto _ : state) {
        const auto index = settings::FileNameIndex::build({f.music.string()});
        files = index.size();
        bytes = index.memoryBytes();
        benchmark::DoNotOptimize(files);
    }
    if (files != static_cast<std::size_t>(kArtists * kAlbumsPerArtist * kFilesPerAlbum))
        state.SkipWithError("not every file was indexed");
    state.counters["files"] = static_cast<double>(files);
    state.counters["bytes_per_file"] = static_cast<double>(bytes) / static_cast<double>(files);
}

void BM_IndexBuild(benchmark::State& state) {
    indexBuild(state);
}

void BM_IndexBuildOnce(benchmark::State& state) {
    indexBuild(state);
}

void convert(benchmark::State& state, const char* playlist, bool search) {
    const auto& f = folder();
    convert::EngineOptions options;
    options.checkTracks = true;
    if (search)
        options.searchDirectories = {f.music.string()};
    ErrorThrowingMessages messages;
    convert::RunEvents events;
    for (auto _ : state) {
        const auto result = convert::ConvertVrmToM3u({f.in.string(), playlist, f.out.string()},
                                                     events, messages, options);
        if (result.pipeline.missing != 0 || result.tracks != std::uint64_t{kTracks})
            state.SkipWithError("tracks are missing");
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}

void BM_ConvertChecked(benchmark::State& state) {
    convert(state, "Present.XML", false);
}

void BM_ConvertMoved(benchmark::State& state) {
    convert(state, "Moved.XML", true);
}

void BM_Lookups(benchmark::State& state) {
    const auto& f = folder();
    convert::TrackSearch search({f.music.string()});
    search.buildIndex();
    for (auto _ : state) {
        for (const auto& path : f.movedPaths) {
            auto result = search.find(path);
            if (result.kind != convert::SearchResult::Kind::Found)
                state.SkipWithError("a track was not found by name");
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * kTracks);
}

} // namespace

BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_IndexBuildOnce)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ConvertChecked)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ConvertMoved)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Lookups)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

BENCHMARK_MAIN();
