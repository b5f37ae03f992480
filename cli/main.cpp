#include "cli/Cli.h"

#include <iostream>

#ifdef _WIN32
#include <io.h>
#define DECKSHIFT_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define DECKSHIFT_ISATTY(fd) isatty(fd)
#endif

int main(int argc, char** argv) {
    // runCli ends every sub-command's failure with a message; this catches what is left (the
    // arguments' own copies running out of memory), so no input ends in an abort.
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        return deckshift::cli::runCli(args, std::cout, std::cerr, DECKSHIFT_ISATTY(2) != 0);
    } catch (const std::exception& e) {
        std::cerr << "deckshift-cli: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "deckshift-cli: the run was stopped by an unexpected error\n";
    }
    return deckshift::cli::kExitFailed;
}
