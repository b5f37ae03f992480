#include "formats/TextIO.h"

#include "formats/TemporaryFiles.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fs = std::filesystem;

namespace deckshift::formats {

namespace {

constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kWriteBlock = 64 * 1024;

std::atomic<WriteFaultHook> g_faultHook{nullptr};

std::string errnoText(int err) {
    return std::generic_category().message(err);
}

std::FILE* openFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wmode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// The system calls take a path up to its first NUL byte, so a name holding one would open or
// replace a different, shorter name.
bool holdsNul(const fs::path& path) {
    return path.native().find(fs::path::value_type{}) != fs::path::string_type::npos;
}
constexpr const char* kNulReason = "the name holds a NUL byte, which no file name can hold";

// The file a chain of symbolic links leads to (the path itself when it is no link). A link whose
// file does not exist yet leads to where that file would be.
fs::path resolveLinks(fs::path path) {
    std::error_code ec;
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hop) {
        fs::path next = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

std::string checkFault(const fs::path& target, WriteStep step, std::uint64_t written) {
    if (auto hook = g_faultHook.load())
        return hook(target, step, written);
    return {};
}

} // namespace

void setWriteFaultHook(WriteFaultHook hook) {
    g_faultHook.store(hook);
}

namespace {

// what() is read up to its first NUL byte, so a NUL in a path would cut the message short of its
// reason; it is shown as "<NUL>" instead.
std::string visible(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\0')
            out += "<NUL>";
        else
            out += c;
    }
    return out;
}

} // namespace

FileError::FileError(std::string displayPath, std::string action, std::string reason)
    : std::runtime_error("Cannot " + action + " \"" + visible(displayPath) + "\": " + reason),
      m_path(std::move(displayPath)) {}

std::size_t StringSource::read(char* buffer, std::size_t size) {
    std::size_t n = std::min(size, m_bytes.size() - m_pos);
    std::memcpy(buffer, m_bytes.data() + m_pos, n);
    m_pos += n;
    return n;
}

FileSource::FileSource(std::string displayPath, const fs::path& fsPath)
    : m_displayPath(std::move(displayPath)) {
    std::error_code ec;
    if (holdsNul(fsPath))
        throw FileError(m_displayPath, "open", kNulReason);
    const auto status = fs::status(fsPath, ec);
    if (fs::is_directory(status))
        throw FileError(m_displayPath, "open", "it is a directory");
    // A FIFO or a device would block the open or never end, and the readers that count the lines
    // first read a file a second time from its start.
    if (fs::exists(status) && !fs::is_regular_file(status))
        throw FileError(m_displayPath, "open", "it is not an ordinary file");
    m_file = openFile(fsPath, "rb");
    if (!m_file)
        throw FileError(m_displayPath, "open", errnoText(errno));
    // Reads go through LineReader's own block buffer.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
}

FileSource::~FileSource() {
    if (m_file)
        std::fclose(m_file);
}

std::size_t FileSource::read(char* buffer, std::size_t size) {
    std::size_t n = std::fread(buffer, 1, size, m_file);
    if (n < size && std::ferror(m_file))
        throw FileError(m_displayPath, "read", errnoText(errno));
    return n;
}

void FileSource::rewind() {
    std::clearerr(m_file);
    if (std::fseek(m_file, 0, SEEK_SET) != 0)
        throw FileError(m_displayPath, "read", errnoText(errno));
}

std::uint64_t readBlocks(ByteSource& source, const std::function<bool(std::string_view)>& sink) {
    const auto block = std::make_unique<char[]>(kCopyBlock);
    std::uint64_t total = 0;
    for (std::size_t n; (n = source.read(block.get(), kCopyBlock)) > 0;) {
        total += n;
        if (!sink(std::string_view(block.get(), n)))
            break;
    }
    return total;
}

std::uint64_t copyBytes(ByteSource& source, AtomicFile& out) {
    return readBlocks(source, [&out](std::string_view bytes) {
        out.write(bytes);
        return true;
    });
}

LineReader::LineReader(ByteSource& source, LineEnds ends)
    : m_source(source), m_ends(ends), m_buffer(kReadBlock) {}

bool LineReader::fill() {
    if (m_eof)
        return false;
    m_pos = 0;
    m_nextCr = m_nextLf = nullptr;
    // A source that holds its bytes is split where they lie, as one block, without a copy.
    std::string_view held;
    if (m_source.takeHeld(held)) {
        m_data = held.data();
        m_end = held.size();
    } else {
        m_data = m_buffer.data();
        m_end = m_source.read(m_buffer.data(), m_buffer.size());
    }
    if (m_end == 0)
        m_eof = true;
    return m_end > 0;
}

// The first CR or LF in [begin, end). Where SSE2 is there, both are looked for at once, sixteen
// bytes at a time: lines are short, and one pass over each costs less than a search for each of
// the two. Elsewhere each is searched with memchr and its position kept until the scan passes it,
// so a file with only one of them is not searched again and again for the other.
const char* LineReader::nextLineEnd(const char* begin, const char* end) {
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const char* at = begin;
    for (; end - at >= 16; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const int found =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)));
        if (found != 0)
            return at + std::countr_zero(static_cast<unsigned>(found));
    }
    for (; at < end; ++at) {
        if (*at == '\r' || *at == '\n')
            return at;
    }
    return end;
#else
    auto find = [&](const char*& cached, char c) {
        if (!cached || cached < begin)
            cached = static_cast<const char*>(
                std::memchr(begin, c, static_cast<std::size_t>(end - begin)));
        if (!cached)
            cached = end; // none left in this block
    };
    find(m_nextCr, '\r');
    find(m_nextLf, '\n');
    return std::min(m_nextCr, m_nextLf);
#endif
}

bool LineReader::next(std::string& line) {
    line.clear();
    m_tooLong = false;
    m_lineLength = 0;
    bool lineEnds = false;
    return read(line, kMaxLineLength, true, lineEnds);
}

bool LineReader::next(std::string_view& line, std::string& storage) {
    if (!m_inLine && m_pos < m_end) {
        // The LF of a CR LF that ended the line before belongs to no line.
        if (m_skipLf) {
            m_skipLf = false;
            if (m_data[m_pos] == '\n')
                ++m_pos;
        }
        const char* begin = m_data + m_pos;
        const char* end = m_data + m_end;
        const char* stop = m_ends == LineEnds::CrOrCrLfOrLf
                               ? nextLineEnd(begin, end)
                               : static_cast<const char*>(std::memchr(
                                     begin, '\r', static_cast<std::size_t>(end - begin)));
        // A line that ends inside the block is handed on where it lies; one that goes on past
        // the block's end is gathered by next(std::string&).
        if (stop && stop != end) {
            const auto length = static_cast<std::size_t>(stop - begin);
            // A held file is one block: a line in it may be longer than a line is kept.
            m_tooLong = length > kMaxLineLength;
            line = std::string_view(begin, std::min(length, kMaxLineLength));
            m_lineLength = length;
            m_pos = static_cast<std::size_t>(stop - m_data) + 1;
            m_skipLf = *stop == '\r';
            m_lastEnd = *stop;
            return true;
        }
    }
    const bool any = next(storage);
    line = storage;
    return any;
}

bool LineReader::nextPiece(std::string& piece, bool& lineEnds) {
    piece.clear();
    if (!m_inLine) {
        m_tooLong = false;
        m_lineLength = 0;
    }
    return read(piece, kPieceLength, false, lineEnds);
}

// Appends to `out` the bytes of the current line, `room` of them at most. With `skipRest` the
// bytes beyond are passed over up to the line's end; without, the read stops there and the line
// goes on at the next call. True when there was a line (or the rest of one) to read.
bool LineReader::read(std::string& out, std::size_t room, bool skipRest, bool& lineEnds) {
    bool any = m_inLine; // a line exists once a byte of it, or its end, has been seen
    const bool lfEnds = m_ends == LineEnds::CrOrCrLfOrLf;
    for (;;) {
        if (m_pos == m_end && !fill()) {
            m_inLine = false;
            m_lastEnd = 0;
            lineEnds = true;
            return any;
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_data[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char* begin = m_data + m_pos;
        const char* end = m_data + m_end;
        const char* stop = lfEnds ? nextLineEnd(begin, end)
                                  : static_cast<const char*>(std::memchr(
                                        begin, '\r', static_cast<std::size_t>(end - begin)));
        if (!stop)
            stop = end;
        any = true;
        const auto length = static_cast<std::size_t>(stop - begin);
        if (length > room && !skipRest) {
            out.append(begin, room);
            m_pos += room;
            m_lineLength += room;
            m_inLine = true;
            lineEnds = false;
            return true;
        }
        const std::size_t kept = std::min(length, room);
        out.append(begin, kept);
        room -= kept;
        if (kept < length)
            m_tooLong = true;
        m_lineLength += length;
        m_pos = static_cast<std::size_t>(stop - m_data);
        if (stop != end) {
            ++m_pos;
            m_skipLf = *stop == '\r';
            m_lastEnd = *stop;
            m_inLine = false;
            lineEnds = true;
            return true;
        }
    }
}

void LineReader::rewind() {
    m_source.rewind();
    m_pos = m_end = 0;
    m_nextCr = m_nextLf = nullptr;
    m_eof = false;
    m_skipLf = false;
    m_inLine = false;
    m_tooLong = false;
    m_lastEnd = 0;
    m_lineLength = 0;
}

TextFileReader::TextFileReader(std::string displayPath, const fs::path& fsPath, LineEnds ends)
    : m_source(std::move(displayPath), fsPath), m_lines(m_source, ends) {}

AtomicFile::AtomicFile(std::string displayPath, fs::path fsTarget, Durability durability)
    : m_displayPath(std::move(displayPath)), m_target(std::move(fsTarget)),
      m_sync(durability == Durability::SyncToDisk) {
    m_buffer.reserve(kWriteBlock);
    if (holdsNul(m_target))
        throw FileError(m_displayPath, "write", kNulReason);
    // A target that is a symbolic link stays one: the file it leads to is replaced instead.
    m_target = resolveLinks(m_target);
    std::error_code ec;
    const auto status = fs::status(m_target, ec);
    if (fs::is_directory(status))
        throw FileError(m_displayPath, "write", "a directory of that name exists");
    static std::atomic<std::uint64_t> counter{0};
    const fs::path dir = m_target.parent_path();
    // What an earlier run that was killed left in this directory goes first.
    removeStaleTemporaryFilesOnce(dir);
    int lastErr = 0;
    for (int attempt = 0; attempt < 50; ++attempt) {
        // A short name of its own, whatever the target's length: a target as long as the file
        // system allows must still get a temporary file beside it. The leading "." keeps it out
        // of every listing; the process id in it tells a later run whether it was left behind.
        m_temp = dir / temporaryFileName(machineNumber(), currentProcessId(), counter.fetch_add(1));
        // Noted before it is created, so that a signal in between still finds it.
        m_slot = noteOpenTemporaryFile(m_temp.c_str());
        // Created exclusively: never takes over a file that is already there.
#ifdef _WIN32
        const int fd = _wopen(m_temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                              _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            m_file = _wfdopen(fd, L"wb");
            if (!m_file) {
                lastErr = errno;
                _close(fd);
                discard();
                break;
            }
        }
#else
        m_file = openFile(m_temp, "wbx");
#endif
        if (m_file) {
            std::setvbuf(m_file, nullptr, _IONBF, 0);
#ifndef _WIN32
            // The replaced file keeps its permissions (a new one gets the usual ones).
            if (fs::exists(status) &&
                ::fchmod(fileno(m_file), static_cast<mode_t>(status.permissions())) != 0) {
                const int err = errno;
                discard();
                throw FileError(m_displayPath, "write", errnoText(err));
            }
#endif
            return;
        }
        lastErr = errno;
        forgetOpenTemporaryFile(m_slot, m_temp.c_str());
        m_slot = -1;
        m_temp.clear();
        if (lastErr != EEXIST)
            break;
    }
    throw FileError(m_displayPath, "write", errnoText(lastErr ? lastErr : EEXIST));
}

AtomicFile::~AtomicFile() {
    if (!m_committed)
        discard();
}

void AtomicFile::discard() noexcept {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temp.empty()) {
        std::error_code ec;
        fs::remove(m_temp, ec);
        forgetOpenTemporaryFile(m_slot, m_temp.c_str());
        m_slot = -1;
        m_temp.clear();
    }
}

// The file is written in whole blocks, up to its last: a write that ends inside a page of the
// file leaves the system that page to look up, lock and mark again at the next write, which costs
// more than a copy into the block. Whole blocks handed in while none is being filled go out as
// they lie, without a copy.
void AtomicFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (m_buffer.empty() && bytes.size() >= kWriteBlock) {
            const std::size_t whole = bytes.size() / kWriteBlock * kWriteBlock;
            writeOut(bytes.data(), whole);
            bytes.remove_prefix(whole);
            continue;
        }
        const std::size_t n = std::min(bytes.size(), kWriteBlock - m_buffer.size());
        m_buffer.insert(m_buffer.end(), bytes.begin(),
                        bytes.begin() + static_cast<std::ptrdiff_t>(n));
        bytes.remove_prefix(n);
        if (m_buffer.size() == kWriteBlock)
            flushBuffer();
    }
}

void AtomicFile::writeLine(std::string_view line) {
    write(line);
    write("\r\n");
}

void AtomicFile::failWith(const char* action, const std::string& reason) {
    discard();
    throw FileError(m_displayPath, action, reason);
}

void AtomicFile::flushBuffer() {
    if (m_buffer.empty())
        return;
    writeOut(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
}

void AtomicFile::writeOut(const char* bytes, std::size_t size) {
    if (!m_file)
        throw FileError(m_displayPath, "write", "the file is closed");
    if (auto reason = checkFault(m_target, WriteStep::Write, m_written); !reason.empty())
        failWith("write", reason);
    std::size_t n = std::fwrite(bytes, 1, size, m_file);
    if (n != size)
        failWith("write", errnoText(errno));
    m_written += n;
}

void AtomicFile::flushFile() {
    if (auto reason = checkFault(m_target, WriteStep::Flush, m_written); !reason.empty())
        failWith("write", reason);
    if (std::fflush(m_file) != 0)
        failWith("write", errnoText(errno));
}

void AtomicFile::flush() {
    flushBuffer();
    if (!m_file)
        throw FileError(m_displayPath, "write", "the file is closed");
    flushFile();
}

void AtomicFile::commit(const std::function<void()>& beforeRename) {
    flushBuffer();
    if (!m_file)
        throw FileError(m_displayPath, "write", "the file is closed");
    flushFile();
    if (m_sync) {
        if (auto reason = checkFault(m_target, WriteStep::Sync, m_written); !reason.empty())
            failWith("write", reason);
#ifdef _WIN32
        const int syncResult = _commit(_fileno(m_file));
#else
        const int syncResult = fsync(fileno(m_file));
#endif
        if (syncResult != 0)
            failWith("write", errnoText(errno));
    }
    // The file is closed whatever the hook says, so that a failure leaves nothing open.
    const std::string closeFault = checkFault(m_target, WriteStep::Close, m_written);
    const int closeResult = std::fclose(m_file);
    const int closeErr = errno;
    m_file = nullptr;
    if (!closeFault.empty())
        failWith("write", closeFault);
    if (closeResult != 0)
        failWith("write", errnoText(closeErr));
    if (auto reason = checkFault(m_target, WriteStep::Rename, m_written); !reason.empty())
        failWith("replace", reason);
    if (beforeRename) {
        try {
            beforeRename();
        } catch (...) {
            discard();
            throw;
        }
    }
    std::error_code ec;
    fs::rename(m_temp, m_target, ec);
    if (ec) {
        discard();
        throw FileError(m_displayPath, "replace", ec.message());
    }
    forgetOpenTemporaryFile(m_slot, m_temp.c_str());
    m_slot = -1;
    m_temp.clear();
    m_committed = true;
}

namespace {
std::atomic<bool> g_fileSync{true};
} // namespace

void setFileSyncForBenchmarks(bool on) {
    g_fileSync.store(on);
}

void syncDirectory(const std::string& displayPath, const fs::path& directory, DirectorySync what) {
    if (what == DirectorySync::EntriesAndFiles && !g_fileSync.load())
        return;
    if (auto reason = checkFault(directory, WriteStep::SyncDirectory, 0); !reason.empty())
        throw FileError(displayPath, "save to disk", reason);
#ifdef _WIN32
    // Windows cannot open a directory for syncing; files that must reach the disk are synced one
    // by one there.
    (void)what;
#else
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(displayPath, "save to disk", errnoText(errno));
#ifdef __linux__
    const int result = what == DirectorySync::EntriesAndFiles ? ::syncfs(fd) : ::fsync(fd);
#else
    (void)what;
    const int result = ::fsync(fd);
#endif
    const int err = errno;
    ::close(fd);
    // Some file systems do not sync directories at all (EINVAL): nothing more can be done there.
    if (result != 0 && err != EINVAL)
        throw FileError(displayPath, "save to disk", errnoText(err));
#endif
}

#ifdef _WIN32
DirectoryLock::DirectoryLock(std::string displayPath, const fs::path& directory) {
    const fs::path file = directory / L"Deckshift.lock";
    // Another run holds the lock for as long as it replaces a file: a few seconds at most. A lock
    // file being removed refuses access for a moment too.
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        HANDLE handle =
            CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_handle = handle;
            return;
        }
        const DWORD err = GetLastError();
        const auto waited = std::chrono::steady_clock::now() - start;
        const bool busy = err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
        if ((busy && waited < std::chrono::minutes(2)) ||
            (err == ERROR_ACCESS_DENIED && waited < std::chrono::seconds(2))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        throw FileError(std::move(displayPath), "lock",
                        std::system_category().message(static_cast<int>(err)));
    }
}

DirectoryLock::~DirectoryLock() {
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
}
#else
DirectoryLock::DirectoryLock(std::string displayPath, const fs::path& directory) {
    m_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        throw FileError(std::move(displayPath), "lock", errnoText(errno));
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        const int err = errno;
        ::close(m_fd);
        throw FileError(std::move(displayPath), "lock", errnoText(err));
    }
}

DirectoryLock::~DirectoryLock() {
    if (m_fd >= 0)
        ::close(m_fd);
}
#endif

} // namespace deckshift::formats
