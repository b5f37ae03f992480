#include "formats/TemporaryFiles.h"

#include <array>
#include <atomic>
#include <charconv>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <io.h>
#include <stdio.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace deckshift::formats {

namespace {

// Enough for every file a run has open at once (a playlist, the group list and its backup).
constexpr std::size_t kSlots = 64;
std::array<std::atomic<const fs::path::value_type*>, kSlots> g_open{};
static_assert(std::atomic<const fs::path::value_type*>::is_always_lock_free,
              "the signal handler reads the slots");

std::uint32_t hashName(std::string_view name) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

/// Reads the digits of `text` from `pos` up to `stop`; false when there are none or others.
bool readNumber(std::string_view text, std::size_t& pos, char stop, std::uint64_t& value) {
    const std::size_t end = text.find(stop, pos);
    if (end == std::string_view::npos || end == pos)
        return false;
    const char* first = text.data() + pos;
    const char* last = text.data() + end;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last)
        return false;
    pos = end + 1;
    return true;
}

/// The machine and process of a temporary file's name; false for any other name.
bool parseName(std::string_view name, std::uint64_t& machine, std::uint64_t& process) {
    if (name.size() < 5 || name.front() != '.' || !name.ends_with(".tmp"))
        return false;
    name.remove_suffix(4);
    std::string_view rest = name.substr(1);
    std::string text(rest);
    text += '.';
    std::size_t pos = 0;
    std::uint64_t counter = 0;
    for (char c : rest)
        if ((c < '0' || c > '9') && c != '-')
            return false;
    return readNumber(text, pos, '-', machine) && readNumber(text, pos, '-', process) &&
           readNumber(text, pos, '.', counter) && pos == text.size();
}

} // namespace

std::uint32_t machineNumber() {
    static const std::uint32_t number = [] {
#ifdef _WIN32
        char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = sizeof name;
        if (!GetComputerNameA(name, &size))
            size = 0;
        return hashName(std::string_view(name, size));
#else
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0)
            name[0] = '\0';
        return hashName(name);
#endif
    }();
    return number;
}

std::uint64_t currentProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<std::uint64_t>(::getpid());
#endif
}

std::string temporaryFileName(std::uint32_t machine, std::uint64_t process, std::uint64_t counter) {
    std::string name(1, '.');
    name += std::to_string(machine);
    name += '-';
    name += std::to_string(process);
    name += '-';
    name += std::to_string(counter);
    name += ".tmp";
    return name;
}

bool processRuns(std::uint64_t process) {
#ifdef _WIN32
    if (process > 0xFFFFFFFFu)
        return false;
    HANDLE handle =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
    if (handle == nullptr)
        // Access denied means a process of that id exists and belongs to someone else.
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(handle, &code) && code == STILL_ACTIVE;
    CloseHandle(handle);
    return running;
#else
    const auto pid = static_cast<pid_t>(process);
    if (pid <= 0 || static_cast<std::uint64_t>(pid) != process)
        return false;
    // A process of another user answers EPERM: it runs all the same.
    return ::kill(pid, 0) == 0 || errno != ESRCH;
#endif
}

std::size_t removeStaleTemporaryFiles(const fs::path& directory) {
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return 0;
    const std::uint64_t machine = machineNumber();
    std::size_t removed = 0;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const auto name = it->path().filename().string();
        std::uint64_t fileMachine = 0, process = 0;
        if (!parseName(name, fileMachine, process) || fileMachine != machine ||
            process == currentProcessId() || processRuns(process))
            continue;
        std::error_code statusError;
        if (!it->is_regular_file(statusError))
            continue;
        std::error_code removeError;
        if (fs::remove(it->path(), removeError))
            ++removed;
    }
    return removed;
}

void removeStaleTemporaryFilesOnce(const fs::path& directory) {
    static std::mutex mutex;
    static std::set<fs::path> done;
    std::error_code ec;
    fs::path key = fs::absolute(directory.empty() ? fs::path(".") : directory, ec);
    if (ec)
        key = directory;
    {
        std::lock_guard lock(mutex);
        if (!done.insert(key.lexically_normal()).second)
            return;
    }
    removeStaleTemporaryFiles(directory.empty() ? fs::path(".") : directory);
}

int noteOpenTemporaryFile(const fs::path::value_type* path) noexcept {
    for (std::size_t i = 0; i < kSlots; ++i) {
        const fs::path::value_type* expected = nullptr;
        if (g_open[i].compare_exchange_strong(expected, path))
            return static_cast<int>(i);
    }
    return -1;
}

void forgetOpenTemporaryFile(int slot, const fs::path::value_type* path) noexcept {
    // A slot emptied by removeOpenTemporaryFiles() may hold another file's path since.
    if (slot >= 0 && static_cast<std::size_t>(slot) < kSlots)
        g_open[static_cast<std::size_t>(slot)].compare_exchange_strong(path, nullptr);
}

void removeOpenTemporaryFiles() noexcept {
    for (auto& slot : g_open) {
        const fs::path::value_type* path = slot.exchange(nullptr);
        if (path == nullptr)
            continue;
#ifdef _WIN32
        _wunlink(path);
#else
        ::unlink(path);
#endif
    }
}

} // namespace deckshift::formats
