#pragma once
// Shared pieces of the benchmarks: a scratch directory, the generated inputs, the copy baseline
// and the peak memory of a deckshift-cli run.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace deckshift::bench {

/// A scratch directory below $DECKSHIFT_BENCH_DIR (else the system's temporary directory),
/// removed when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// The baseline: reads `from` in 64 KiB blocks and writes the same bytes to `to`. Returns the
/// number of bytes copied.
std::uint64_t copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

/// Total size of the regular files directly in `dir`.
std::uint64_t directoryBytes(const std::filesystem::path& dir);

/// Runs deckshift-cli with `args` in a child process and returns its peak resident memory in
/// bytes (0 where the platform cannot tell). Throws when the run fails.
std::uint64_t peakMemoryOfCli(const std::vector<std::string>& args);

/// A track path of about 70 bytes that varies with `n`, with an "&" now and then.
std::string trackPath(std::uint64_t n, std::string& directory, std::string& fileName);

/// A group INI file of about `bytes` bytes: subgroups of `perSubgroup` entries.
void writeGroupFile(const std::filesystem::path& path, std::uint64_t bytes, std::uint64_t seed,
                    std::uint64_t perSubgroup);

/// A VRM playlist of about `bytes` bytes, laid out as the writers lay it out.
void writeVrmPlaylist(const std::filesystem::path& path, std::uint64_t bytes, std::uint64_t seed);

/// An extended M3U playlist of about `bytes` bytes: an #EXTINF line before every path, one path
/// in eight rooted at "\" so that the drive is put in front.
void writeM3u(const std::filesystem::path& path, std::uint64_t bytes, std::uint64_t seed);

} // namespace deckshift::bench
