#pragma once
// The file layer: 8-bit text files read line by line and written whole or not at all.
//
// Bytes pass through unchanged. A line ends at CR LF or at a lone CR; a lone LF belongs to the
// line, except for the readers that take it as a line end as well (M3U sources, VRM playlists and
// the group list). Every line written ends with CR LF, unless its writer chooses otherwise.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::formats {

/// A file that could not be opened, read or written. `what()` names the file and the reason.
class FileError : public std::runtime_error {
public:
    FileError(std::string displayPath, std::string action, std::string reason);
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

/// Where a LineReader gets its bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    /// Reads up to `size` bytes; returns 0 at the end. Throws FileError on a read failure.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    /// Goes back to the first byte.
    virtual void rewind() = 0;
    /// For a source that holds its bytes in memory: sets `rest` to the bytes from the current
    /// position to the end, which stay valid until the source is rewound or destroyed, moves the
    /// position to the end and returns true. False (and nothing read) for any other source.
    virtual bool takeHeld(std::string_view& /*rest*/) { return false; }
};

/// Bytes held in memory (for parsers fed from strings).
class StringSource final : public ByteSource {
public:
    explicit StringSource(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::size_t read(char* buffer, std::size_t size) override;
    void rewind() override { m_pos = 0; }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

/// A file opened for reading; closed by the destructor.
class FileSource final : public ByteSource {
public:
    /// `displayPath` names the file in messages; `fsPath` is where it is on disk.
    FileSource(std::string displayPath, const std::filesystem::path& fsPath);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    std::size_t read(char* buffer, std::size_t size) override;
    void rewind() override;

private:
    std::string m_displayPath;
    std::FILE* m_file = nullptr;
};

enum class LineEnds {
    CrOrCrLf,     ///< CR LF or a lone CR ends a line; a lone LF is part of it.
    CrOrCrLfOrLf, ///< a lone LF ends a line as well.
};

/// Splits a byte source into lines without their line ends. Memory is bounded whatever the
/// source holds: a line is never held beyond kMaxLineLength bytes.
class LineReader {
public:
    /// The longest line next() hands on whole (1 MiB).
    static constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;
    /// The most bytes nextPiece() hands on at once.
    static constexpr std::size_t kPieceLength = 64 * 1024;

    explicit LineReader(ByteSource& source, LineEnds ends = LineEnds::CrOrCrLf);
    /// Reads the next line into `line`; false at the end of the source. A line longer than
    /// kMaxLineLength is read to its end but only its first kMaxLineLength bytes are kept, and
    /// lastLineTooLong() is then true: the caller skips it rather than take it for the line.
    bool next(std::string& line);
    /// As next(std::string&), without copying where it can: `line` views the line where it lies
    /// whole in the block read last, and `storage` otherwise. The view lasts until the next read.
    bool next(std::string_view& line, std::string& storage);
    /// Whether the line that next() read last was longer than kMaxLineLength.
    bool lastLineTooLong() const { return m_tooLong; }
    /// The length in bytes of the line read last (all of it, also when it was too long to keep).
    std::uint64_t lastLineLength() const { return m_lineLength; }
    /// How the line read last ended: '\r' at CR LF or a lone CR, '\n' at a lone LF, 0 at the end
    /// of the source.
    char lastLineEnd() const { return m_lastEnd; }

    /// Reads the next line in pieces, for lines that are copied rather than looked at: `piece`
    /// gets up to kPieceLength bytes of the current line, and `lineEnds` tells whether they are
    /// its last (a line may end with an empty piece). False at the end of the source. A line
    /// begun with nextPiece() is read to its end with nextPiece() before next() is called.
    bool nextPiece(std::string& piece, bool& lineEnds);

    /// Starts again at the first line.
    void rewind();

private:
    bool fill();
    const char* nextLineEnd(const char* begin, const char* end);
    bool read(std::string& out, std::size_t room, bool skipRest, bool& lineEnds);

    ByteSource& m_source;
    LineEnds m_ends;
    std::vector<char> m_buffer;
    // The block being split: m_buffer, or all the bytes of a source that holds them in memory.
    const char* m_data = nullptr;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_skipLf = false; // the previous line ended at a CR: an LF right after it is part of it
    bool m_inLine = false; // nextPiece() stopped inside a line
    bool m_tooLong = false;
    char m_lastEnd = 0;
    std::uint64_t m_lineLength = 0;
    const char* m_nextCr = nullptr; // cached search results within the current block
    const char* m_nextLf = nullptr;
};

/// The size of the blocks in which readBlocks() and copyBytes() go through a source.
inline constexpr std::size_t kCopyBlock = 64 * 1024;

/// Hands the bytes of `source`, from where it stands to its end, to `sink` in blocks of up to
/// kCopyBlock bytes; `sink` returns false to stop early. Returns the number of bytes handed on.
/// Throws FileError as the source's read() does.
std::uint64_t readBlocks(ByteSource& source, const std::function<bool(std::string_view)>& sink);

class AtomicFile;
/// Writes the bytes of `source`, from where it stands to its end, to `out`. Returns their number.
std::uint64_t copyBytes(ByteSource& source, AtomicFile& out);

/// A file opened and split into lines in one object.
class TextFileReader {
public:
    TextFileReader(std::string displayPath, const std::filesystem::path& fsPath,
                   LineEnds ends = LineEnds::CrOrCrLf);
    bool next(std::string& line) { return m_lines.next(line); }
    void rewind() { m_lines.rewind(); }
    LineReader& lines() { return m_lines; }

private:
    FileSource m_source;
    LineReader m_lines;
};

/// Writes a file so that it appears whole or not at all: the bytes go to a temporary file beside
/// the target, and commit() flushes it and renames it over the target. Without a commit the
/// destructor removes the temporary file and the target stays as it was.
class AtomicFile {
public:
    enum class Durability {
        /// Flushed to the operating system, then renamed: whole or absent after any crash of
        /// the program.
        Rename,
        /// Also forced to the disk before the rename, so a power cut cannot leave an empty file
        /// in place of the old one on any file system. Costly per file: for the group list.
        SyncToDisk,
    };
    /// Creates the temporary file. Throws FileError when it cannot be created.
    AtomicFile(std::string displayPath, std::filesystem::path fsTarget,
               Durability durability = Durability::Rename);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::string_view bytes);
    /// Writes `line` and CR LF.
    void writeLine(std::string_view line);
    /// Flushes, syncs, closes and renames over the target. Throws FileError on failure, leaving
    /// the target as it was. `beforeRename`, when given, runs last before the rename; whatever it
    /// throws also leaves the target as it was and removes the temporary file.
    void commit(const std::function<void()>& beforeRename = {});
    /// Hands what is buffered to the temporary file, so that a write failure shows now rather
    /// than at commit() and the temporary file can be read back. Throws FileError as write()
    /// does.
    void flush();
    const std::string& displayPath() const { return m_displayPath; }
    /// The temporary file the bytes go to.
    const std::filesystem::path& temporaryPath() const { return m_temp; }
    /// The file that commit() replaces: the target, or where its chain of symbolic links leads.
    const std::filesystem::path& replacedPath() const { return m_target; }

private:
    void flushBuffer();
    void writeOut(const char* bytes, std::size_t size);
    void flushFile();
    [[noreturn]] void failWith(const char* action, const std::string& reason);
    void discard() noexcept;

    std::string m_displayPath;
    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::FILE* m_file = nullptr;
    std::vector<char> m_buffer;
    std::uint64_t m_written = 0;
    int m_slot = -1; // where the temporary file is noted for a signal handler to remove it
    bool m_sync = false;
    bool m_committed = false;
};

/// An exclusive lock on a directory, shared by every Deckshift process: the constructor waits
/// while another run holds it, and the destructor lets it go. Outside Windows the directory itself
/// is locked, so nothing is created in it; on Windows it is a hidden file "Deckshift.lock" held
/// open without sharing and removed when it is closed. Throws FileError when the directory cannot
/// be locked.
class DirectoryLock {
public:
    DirectoryLock(std::string displayPath, const std::filesystem::path& directory);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

/// How much syncDirectory() forces to disk.
enum class DirectorySync {
    Entries,         ///< the directory's entries: the renames done in it
    EntriesAndFiles, ///< and every file written into it, where one call can do that
};

/// True where syncDirectory(..., EntriesAndFiles) also forces the files' bytes to disk (Linux:
/// the whole file system in one call). Elsewhere a file whose bytes must reach the disk is written
/// with Durability::SyncToDisk.
#ifdef __linux__
inline constexpr bool kDirectorySyncCoversFiles = true;
#else
inline constexpr bool kDirectorySyncCoversFiles = false;
#endif

/// Forces what was done in `directory` to disk, where the platform allows: on Linux the renames
/// (and with EntriesAndFiles the whole file system's written data, by syncfs), on other POSIX
/// systems the directory's entries; nothing on Windows, which cannot sync a directory. Throws
/// FileError naming `displayPath`.
void syncDirectory(const std::string& displayPath, const std::filesystem::path& directory,
                   DirectorySync what);

/// Benchmark seam: with `on` false, syncDirectory(..., EntriesAndFiles) returns at once, so that a
/// benchmark can set the cost of forcing a group's playlists to disk beside the same run without
/// it. On by default; nothing but a benchmark turns it off.
void setFileSyncForBenchmarks(bool on);

/// The steps of writing a file that the test seam below can make fail.
enum class WriteStep {
    Write,         ///< a block written to the temporary file
    Flush,         ///< the temporary file's buffer handed to the operating system
    Sync,          ///< the temporary file forced to disk (Durability::SyncToDisk only)
    Close,         ///< the temporary file closed (it is closed all the same)
    Rename,        ///< the temporary file renamed over its target
    SyncDirectory, ///< syncDirectory(); the target is the directory
};

/// Test seam for the file layer: when set, called before each step of writing a file; returning a
/// non-empty reason makes that step fail with it.
using WriteFaultHook = std::string (*)(const std::filesystem::path& target, WriteStep step,
                                       std::uint64_t written);
void setWriteFaultHook(WriteFaultHook hook);

} // namespace deckshift::formats
