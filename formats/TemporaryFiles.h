#pragma once
// The hidden temporary files that AtomicFile writes beside its targets: their names, the ones this
// process has open (for a signal handler that removes them before the process ends), and the
// clean-up of those left by a Deckshift process of this machine that ended without removing them.
//
// A temporary file is named ".<machine>-<process>-<n>.tmp": the machine's number (a hash of its
// host name), the id of the process that writes it and a counter of that process. Only names of
// exactly that form are ever removed by another process, so a file of the user's is never taken
// for one.

#include <cstdint>
#include <filesystem>
#include <string>

namespace deckshift::formats {

/// This machine's number in the names of temporary files.
std::uint32_t machineNumber();

/// The id of this process.
std::uint64_t currentProcessId();

/// The name of the temporary file number `counter` of process `process` on machine `machine`.
std::string temporaryFileName(std::uint32_t machine, std::uint64_t process, std::uint64_t counter);

/// Whether process `process` runs on this machine.
bool processRuns(std::uint64_t process);

/// Removes from `directory` the temporary files whose process ran on this machine and runs no
/// longer; files of any other name, of another machine or of a running process stay. Returns how
/// many were removed; a directory that cannot be listed removes none.
std::size_t removeStaleTemporaryFiles(const std::filesystem::path& directory);

/// As removeStaleTemporaryFiles(), once per directory in the life of the process.
void removeStaleTemporaryFilesOnce(const std::filesystem::path& directory);

/// Notes `path` as a temporary file this process has open. The path's characters must stay where
/// they are until forgetOpenTemporaryFile(). Returns the slot to forget it with, or -1 when every
/// slot is taken (the file is then left to a later run's clean-up).
int noteOpenTemporaryFile(const std::filesystem::path::value_type* path) noexcept;
void forgetOpenTemporaryFile(int slot, const std::filesystem::path::value_type* path) noexcept;

/// Removes every temporary file this process has open, with calls that are safe in a signal
/// handler only. For a handler that ends the process right after.
void removeOpenTemporaryFiles() noexcept;

} // namespace deckshift::formats
