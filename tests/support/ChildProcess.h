#pragma once
// Runs a program in a child process: its output sent to files, its address space optionally
// limited, and its end reported with its peak memory. Used by the tests that run the built
// deckshift-cli as a user would (crash trials, memory limits) and by the benchmarks that measure
// its memory. POSIX only; header-only so that the benchmarks can use it without the test library.

#ifndef _WIN32

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace deckshift::test {

struct ChildSetup {
    /// Files the child's standard output and error go to; an empty path keeps the parent's.
    std::filesystem::path stdoutPath = "/dev/null";
    std::filesystem::path stderrPath = "/dev/null";
    /// Bytes of address space the child may use, as `ulimit -v` sets it; 0 for no limit.
    std::uint64_t addressSpaceLimit = 0;
};

struct ChildEnd {
    int exitCode = -1;            ///< the exit status, or -1 when a signal ended it
    int signal = 0;               ///< the signal that ended it, or 0
    std::uint64_t peakMemory = 0; ///< peak resident memory in bytes
};

/// Starts `args` (the program's path first) and returns its process id, or -1 when it cannot be
/// started. A child that cannot set itself up or run the program exits with 126 or 127.
inline pid_t startChild(const std::vector<std::string>& args, const ChildSetup& setup = {}) {
    // Everything the child needs is made before the fork: after it, only calls that are safe in
    // a child of a process that may have threads.
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = setup.stdoutPath.string(), err = setup.stderrPath.string();
    const rlimit limit{static_cast<rlim_t>(setup.addressSpaceLimit),
                       static_cast<rlim_t>(setup.addressSpaceLimit)};

    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const auto redirect = [](const std::string& path, int fd) {
        if (path.empty())
            return true;
        const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool ok = file >= 0 && ::dup2(file, fd) >= 0;
        if (file >= 0)
            ::close(file);
        return ok;
    };
    // The program starts with the signals as a user's shell leaves them, whatever the test runner
    // ignores (a run in the background ignores SIGINT).
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    if (!redirect(out, STDOUT_FILENO) || !redirect(err, STDERR_FILENO) ||
        (setup.addressSpaceLimit != 0 && ::setrlimit(RLIMIT_AS, &limit) != 0))
        ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

/// Waits for the child `pid` to end.
inline ChildEnd waitChild(pid_t pid) {
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    ChildEnd end;
    if (WIFEXITED(status))
        end.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
    end.peakMemory = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024u; // Linux reports KiB
    return end;
}

} // namespace deckshift::test

#endif
