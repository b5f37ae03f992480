#include "bench_support.h"

#include "formats/GroupIni.h"
#include "formats/VrmPlaylist.h"
#include "support/ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <vector>

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
    const pid_t pid = test::startChild(all, {{}, {}, 0});
    if (pid < 0)
        throw std::runtime_error("cannot start deckshift-cli");
    const test::ChildEnd end = test::waitChild(pid);
    if (end.exitCode != 0)
        throw std::runtime_error("deckshift-cli failed");
    return end.peakMemory;
#endif
}

std::string trackPath(std::uint64_t n, std::string& directory, std::string& fileName) {
    directory = "C:\\Music\\Collection " + std::to_string(n % 97) + "\\Album " +
                std::to_string(n % 1013) + "\\";
    fileName = "Artist " + std::to_string(n % 331) + (n % 7 == 0 ? " & Friends" : "") +
               " - Track " + std::to_string(n) + ".mp3";
    return directory + fileName;
}

namespace {

class Output {
public:
    explicit Output(const fs::path& path) : m_file(std::fopen(path.string().c_str(), "wb")) {
        if (!m_file)
            throw std::runtime_error("cannot write " + path.string());
    }
    ~Output() { std::fclose(m_file); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    void write(const std::string& bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            throw std::runtime_error("write failed");
        m_written += bytes.size();
    }
    std::uint64_t written() const { return m_written; }

private:
    std::FILE* m_file;
    std::uint64_t m_written = 0;
};

} // namespace

void writeGroupFile(const fs::path& path, std::uint64_t bytes, std::uint64_t seed,
                    std::uint64_t perSubgroup) {
    const std::uint64_t block = perSubgroup + 1;
    Output out(path);
    std::string line, dir, name;
    for (std::uint64_t n = 0; out.written() < bytes; ++n) {
        line.clear();
        if (n % block == 0) {
            line = formats::headerLine("Subgroup " + std::to_string(n / block));
        } else {
            trackPath(seed * 1000003u + n, dir, name);
            formats::appendEntryLine(line, n % block, name, dir);
        }
        line += "\r\n";
        out.write(line);
    }
}

void writeVrmPlaylist(const fs::path& path, std::uint64_t bytes, std::uint64_t seed) {
    Output out(path);
    std::string chunk, dir, name;
    for (auto line : formats::kVrmHead)
        out.write(std::string(line) + "\r\n");
    for (std::uint64_t n = 0; out.written() < bytes; ++n) {
        chunk.clear();
        formats::appendMediaLines(chunk, trackPath(seed * 1000003u + n, dir, name));
        out.write(chunk);
    }
    for (auto line : formats::kVrmTail)
        out.write(std::string(line) + "\r\n");
}

void writeM3u(const fs::path& path, std::uint64_t bytes, std::uint64_t seed) {
    Output out(path);
    out.write("#EXTM3U\r\n");
    std::string dir, name;
    for (std::uint64_t n = 0; out.written() < bytes; ++n) {
        std::string track = trackPath(seed * 1000003u + n, dir, name);
        if (n % 8 == 0)
            track.erase(0, 2);
        out.write("#EXTINF:" + std::to_string(180 + n % 120) + "," + name + "\r\n" + track +
                  "\r\n");
    }
}

} // namespace deckshift::bench
