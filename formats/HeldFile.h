#pragma once
// A source file for readers that go over it more than once.

#include "formats/TextIO.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace deckshift::formats {

/// A file opened for reading by a conversion that reads it more than once (a pass that counts its
/// lines, or one that checks its encoding, before the pass that converts it). A file of up to
/// `holdLimit` bytes is read once and held in memory, so the later passes read no file again; a
/// larger one is read from the file on every pass, so memory stays bounded whatever the file's
/// size. The file is closed by the destructor.
class HeldFile final : public ByteSource {
public:
    static constexpr std::size_t kHoldLimit = 8 * 1024 * 1024;

    /// Throws FileError as FileSource does when the file cannot be opened or read.
    HeldFile(std::string displayPath, const std::filesystem::path& fsPath,
             std::size_t holdLimit = kHoldLimit);
    std::size_t read(char* buffer, std::size_t size) override;
    void rewind() override;
    /// A file held in memory is handed on where it lies.
    bool takeHeld(std::string_view& rest) override;

    /// The number of lines from the first byte to the end, as a LineReader with `ends` would give
    /// them, without copying a line; the next read starts again at the first byte.
    std::uint64_t countLines(LineEnds ends = LineEnds::CrOrCrLf);

    /// True when the whole file is held in memory.
    bool held() const { return m_held; }
    /// The file's size in bytes when it was opened (0 when the system could not tell it).
    std::uint64_t size() const { return m_size; }

private:
    FileSource m_file;
    // The file's bytes; `m_capacity` are allocated, and left uninitialised until read into.
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    std::uint64_t m_size = 0;
    bool m_held = false;
};

/// Counts lines over a run of blocks as a LineReader with the same line ends splits them: CR LF or
/// a lone CR ends a line, and with CrOrCrLfOrLf a lone LF too; bytes after the last line end make
/// one more line.
class LineCounter {
public:
    explicit LineCounter(LineEnds ends = LineEnds::CrOrCrLf) : m_lineEnds(ends) {}
    void feed(const char* bytes, std::size_t size);
    std::uint64_t finish() const;

private:
    void feedWithLf(const char* bytes, std::size_t size);

    LineEnds m_lineEnds;
    bool m_lastWasCr = false;    // with lone LFs: the block before ended in a CR
    std::uint64_t m_ends = 0;    // CRs seen: each ends a line
    std::uint64_t m_tail = 0;    // bytes after the last CR (all bytes when there is none)
    bool m_tailStartsLf = false; // the byte right after the last CR is an LF (part of its end)
};

} // namespace deckshift::formats
