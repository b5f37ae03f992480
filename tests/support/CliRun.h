#pragma once
// Runs deckshift-cli in process with its output captured, for the tests of the command line.

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace deckshift::test {

struct CliOutcome {
    int status;
    std::string out;
    std::string err;
};

/// Runs the command line `args`; `terminal` makes stderr count as a terminal.
inline CliOutcome runCapturedCli(const std::vector<std::string>& args, bool terminal = false) {
    std::ostringstream out, err;
    const int status = cli::runCli(args, out, err, terminal);
    return {status, out.str(), err.str()};
}

} // namespace deckshift::test
