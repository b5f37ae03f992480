#pragma once
// Drives and directories as the drive and directory lists show them.
//
// On Windows these are the system's drives and Windows paths. Elsewhere, with a Wine prefix, the
// drives are the prefix's drive letters and directories are written in Windows form ("Z:\home\dj"),
// reached through the prefix; without a prefix there is one drive, "/", and directories are native
// paths.

#include <string>
#include <string_view>
#include <vector>

namespace deckshift::ui {

/// The drives a drive list offers, as it shows them ("c:", "z:"), or "/" alone.
std::vector<std::string> availableDrives();

/// The drive of a directory: "c:" for "C:\x" (lower case), "/" for a native path.
std::string driveOf(std::string_view directory);

/// Whether two drive names name the same drive (letter case ignored).
bool sameDrive(std::string_view a, std::string_view b);

/// The directory the program was started in, in the form the lists use. With a Wine prefix it is
/// written through the drive that holds it; when no drive does, the fallback root.
std::string startDirectory();

/// A drive's current directory: the start directory when it lies on that drive, else the drive's
/// root. The program never changes the current directories.
std::string currentDirectoryOf(std::string_view drive);

/// The lists' fallback directory "C:\": the prefix's C: drive (or C:\ on Windows), "/" without a
/// prefix.
std::string fallbackRoot();

/// `directory` without trailing separators, except at a root ("C:\", "/"); "c:" becomes "c:\".
std::string normalizeDirectory(std::string_view directory);

/// Whether `directory` (normalised) is a root.
bool isRootDirectory(std::string_view directory);

/// The directory above `directory` (normalised); empty at a root.
std::string parentDirectory(std::string_view directory);

/// `directory` and `name` joined by one separator of the directory's form.
std::string childDirectory(std::string_view directory, std::string_view name);

/// The last component of `directory`, or the root itself ("c:\", "/").
std::string directoryName(std::string_view directory);

} // namespace deckshift::ui
