#pragma once
// deckshift-cli: the command-line front end over the conversion engines.

#include <ostream>
#include <string>
#include <vector>

namespace deckshift::cli {

/// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;        ///< refused or failed, with a message on stderr
inline constexpr int kExitUsage = 2;         ///< usage error, with the usage on stderr
inline constexpr int kExitTracksMissing = 3; ///< check: some tracks were not found

/// Runs the command line `args` (without the program name), given in UTF-8; bytes that are not
/// UTF-8 are taken as typed in the 8-bit code page. `errIsTerminal` turns on the progress line on
/// `err`.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool errIsTerminal = false);

} // namespace deckshift::cli
