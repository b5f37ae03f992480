#pragma once
// File names made from names inside the DJ applications' files (groups, subgroups), safe on
// Windows and therefore on every system the files travel to.

#include <string>
#include <string_view>

namespace deckshift::formats {

/// `name` with each character Windows refuses in a file name made "-": / \ ? : < > | " * and the
/// control characters. Every other byte stays as it is. A name that is part of a file name (a
/// subgroup's part of a playlist name) needs no more than this.
std::string safeNameCharacters(std::string_view name);

/// `name` made safe as a whole file or folder name on Windows: the characters above; trailing dots
/// and blanks (which Windows drops) made "-"; a device name (CON, PRN, AUX, NUL, COM1-COM9,
/// LPT1-LPT9, in any letter case, alone or before a dot) followed by "-"; an empty name "-". A
/// name that is safe already is returned as it is.
std::string safeFileName(std::string_view name);

/// The key under which names equal to Windows compare equal: upper-cased in the 8-bit code page,
/// accented letters included ("\xC9t\xE9" and "\xE9t\xE9" give one key).
std::string fileNameKey(std::string_view name);

} // namespace deckshift::formats
