#include "bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <vector>

#ifndef _WIN32
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace deckshift::bench {

ScratchDir::ScratchDir(const std::string& name) {
    const char* base = std::getenv("DECKSHIFT_BENCH_DIR");
    fs::path root = base ? fs::path(base) : fs::temp_directory_path();
    m_path = root / ("deckshift-bench-" + name + "-" + std::to_string(std::random_device{}()));
    fs::create_directories(m_path);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::uint64_t copyFile(const fs::path& from, const fs::path& to) {
    std::FILE* in = std::fopen(from.string().c_str(), "rb");
    std::FILE* out = std::fopen(to.string().c_str(), "wb");
    if (!in || !out)
        throw std::runtime_error("copy: cannot open " + from.string());
    std::setvbuf(in, nullptr, _IONBF, 0);
    std::setvbuf(out, nullptr, _IONBF, 0);
    std::vector<char> block(64 * 1024);
    std::uint64_t total = 0;
    for (std::size_t n; (n = std::fread(block.data(), 1, block.size(), in)) > 0;) {
        if (std::fwrite(block.data(), 1, n, out) != n)
            throw std::runtime_error("copy: write failed");
        total += n;
    }
    std::fclose(in);
    if (std::fclose(out) != 0)
        throw std::runtime_error("copy: close failed");
    return total;
}

std::uint64_t directoryBytes(const fs::path& dir) {
    std::uint64_t total = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

std::uint64_t peakMemoryOfCli(const std::vector<std::string>& args) {
#ifdef _WIN32
    (void)args;
    return 0;
#else
    std::vector<std::string> all{DECKSHIFT_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start deckshift-cli");
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("deckshift-cli failed");
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024u; // Linux reports KiB
#endif
}

std::string trackPath(std::uint64_t n, std::string& directory, std::string& fileName) {
    directory = "C:\\Music\\Collection " + std::to_string(n % 97) + "\\Album " +
                std::to_string(n % 1013) + "\\";
    fileName = "Artist " + std::to_string(n % 331) + (n % 7 == 0 ? " & Friends" : "") +
               " - Track " + std::to_string(n) + ".mp3";
    return directory + fileName;
}

} // namespace deckshift::bench
