#pragma once
// Shared pieces of the benchmarks: a scratch directory, the copy baseline and the peak memory of a
// deckshift-cli run.

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

} // namespace deckshift::bench
