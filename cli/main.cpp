#include "cli/Cli.h"

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
#else
#include <unistd.h>
#define DECKSHIFT_ISATTY(fd) isatty(fd)
#endif

namespace {

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
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
        if (auto utf8 = utf8Arguments())
            args = std::move(*utf8);
#endif
        return deckshift::cli::runCli(args, std::cout, std::cerr, DECKSHIFT_ISATTY(2) != 0);
    } catch (const std::exception& e) {
        std::cerr << "deckshift-cli: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "deckshift-cli: the run was stopped by an unexpected error\n";
    }
    return deckshift::cli::kExitFailed;
}
