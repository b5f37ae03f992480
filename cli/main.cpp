#include "cli/Cli.h"
#include "formats/TemporaryFiles.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <io.h>
// Needs windows.h before it.
#include <shellapi.h>
#define DECKSHIFT_ISATTY(fd) _isatty(fd)
#define DECKSHIFT_WRITE(fd, bytes, size) _write(fd, bytes, static_cast<unsigned>(size))
#else
#include <unistd.h>
#define DECKSHIFT_ISATTY(fd) isatty(fd)
#define DECKSHIFT_WRITE(fd, bytes, size) ::write(fd, bytes, size)
#endif

namespace {

volatile std::sig_atomic_t g_errIsTerminal = 0;

/// Ctrl-C or a request to end: the temporary files of the files being written are removed, so
/// nothing of the run is left behind, and the run ends saying so with 128 + the signal's number
/// (130, 143). Only calls that are safe in a signal handler.
extern "C" void onInterrupt(int number) {
    deckshift::formats::removeOpenTemporaryFiles();
    static constexpr char kClearLine[] = "\r\x1b[K";
    static constexpr char kMessage[] =
        "deckshift-cli: interrupted. The run was stopped; files already written are whole, no "
        "file was left half written.\n";
    if (g_errIsTerminal)
        (void)!DECKSHIFT_WRITE(2, kClearLine, sizeof kClearLine - 1);
    (void)!DECKSHIFT_WRITE(2, kMessage, sizeof kMessage - 1);
    std::_Exit(128 + number);
}

#ifdef _WIN32
/// The arguments from the wide command line, in UTF-8. The narrow `argv` holds them in the ANSI
/// code page, where a character the code page lacks has already become "?" or a look-alike and
/// could no longer be refused. nullopt when the command line cannot be split.
std::optional<std::vector<std::string>> utf8Arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::nullopt;
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        const int length = static_cast<int>(wcslen(wide[i]));
        std::string arg;
        if (length > 0) {
            const int size =
                WideCharToMultiByte(CP_UTF8, 0, wide[i], length, nullptr, 0, nullptr, nullptr);
            arg.resize(static_cast<std::size_t>(size > 0 ? size : 0));
            if (size > 0)
                WideCharToMultiByte(CP_UTF8, 0, wide[i], length, arg.data(), size, nullptr,
                                    nullptr);
        }
        args.push_back(std::move(arg));
    }
    LocalFree(wide);
    return args;
}
#endif

} // namespace

int main(int argc, char** argv) {
    // runCli ends every sub-command's failure with a message; this catches what is left (the
    // arguments' own copies running out of memory), so no input ends in an abort.
    const bool errIsTerminal = DECKSHIFT_ISATTY(2) != 0;
    g_errIsTerminal = errIsTerminal ? 1 : 0;
    // A signal the caller set to be ignored (a background job's SIGINT) stays ignored.
    for (const int number : {SIGINT, SIGTERM})
        if (std::signal(number, onInterrupt) == SIG_IGN)
            std::signal(number, SIG_IGN);
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
        if (auto utf8 = utf8Arguments())
            args = std::move(*utf8);
#endif
        return deckshift::cli::runCli(args, std::cout, std::cerr, errIsTerminal);
    } catch (const std::exception& e) {
        std::cerr << "deckshift-cli: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "deckshift-cli: the run was stopped by an unexpected error\n";
    }
    return deckshift::cli::kExitFailed;
}
