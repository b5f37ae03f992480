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
    std::vector<std::string> args(argv + 1, argv + argc);
    return deckshift::cli::runCli(args, std::cout, std::cerr, DECKSHIFT_ISATTY(2) != 0);
}
