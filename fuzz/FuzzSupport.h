#pragma once
// Helpers shared by the fuzz targets: a scratch directory per process, emptied before each input,
// a byte source that hands out its bytes in uneven pieces, a reference line splitter, and a check
// that aborts with a message (libFuzzer then keeps the input as a crash).

#include "formats/TextIO.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace deckshift::fuzz {

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

/// One scratch directory for the whole process, made on first use, emptied by fresh() and removed
/// when the process ends.
class Scratch {
public:
    static Scratch& get() {
        static Scratch scratch;
        return scratch;
    }
    /// The directory, emptied of everything the previous input left.
    const std::filesystem::path& fresh() {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir, ec))
            std::filesystem::remove_all(entry.path(), ec);
        return m_dir;
    }
    const std::filesystem::path& dir() const { return m_dir; }

private:
    Scratch() {
        std::error_code ec;
        std::string templ = (std::filesystem::temp_directory_path(ec) / "deckshift-fuzz-XXXXXX");
        if (!::mkdtemp(templ.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        m_dir = templ;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::filesystem::path m_dir;
};

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    FUZZ_CHECK(in.good());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Hands out its bytes in pieces of 1 to `maxPiece` bytes, so that line ends fall across the
/// reader's block boundaries.
class PieceSource final : public formats::ByteSource {
public:
    PieceSource(std::string bytes, std::size_t maxPiece)
        : m_bytes(std::move(bytes)), m_maxPiece(maxPiece ? maxPiece : 1) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t piece = 1 + (m_calls++ * 7919u) % m_maxPiece;
        const std::size_t n = std::min<std::size_t>({size, piece, m_bytes.size() - m_pos});
        std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        return n;
    }
    void rewind() override { m_pos = 0; }

private:
    std::string m_bytes;
    std::size_t m_maxPiece;
    std::size_t m_pos = 0;
    std::size_t m_calls = 0;
};

/// The line rule written out plainly: CR LF or a lone CR ends a line, and a lone LF too when
/// `lfEnds`; a last line without its end still counts.
inline std::vector<std::string> referenceLines(std::string_view bytes, bool lfEnds) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || (lfEnds && c == '\n')) {
            lines.push_back(std::move(current));
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            continue;
        }
        current += c;
        open = true;
    }
    if (open)
        lines.push_back(std::move(current));
    return lines;
}

/// The names below `dir` that the file layer uses for its temporary files.
inline std::vector<std::string> temporaries(const std::filesystem::path& dir) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.front() == '.' && name.ends_with(".tmp"))
            found.push_back(name);
    }
    return found;
}

/// The number of open file descriptors of this process.
inline int openFileCount() {
    int n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

} // namespace deckshift::fuzz
