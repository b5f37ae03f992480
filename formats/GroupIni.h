#pragma once
// The PCDJ RED group INI file: a header line "[name]" per subgroup, then one entry line per track:
//   Track 3=;;;;;;|Song One.mp3||C:\Audio\Dance\|||

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace deckshift::formats {

/// True when `secondLine`, the file's second line, begins with "Track" (letter case significant).
bool isGroupFileSecondLine(std::string_view secondLine);

/// True for a subgroup header: the first character is "[".
inline bool isHeaderLine(std::string_view line) {
    return !line.empty() && line.front() == '[';
}

/// The subgroup name of a header line: the line less its first and last character (empty for the
/// one-character line "[").
std::string_view subgroupName(std::string_view headerLine);

struct IniEntry {
    std::string_view fileName;
    std::string_view directory;
};

/// Reads an entry line: the text after the first "|" up to the next "|" is the file name; after
/// that "|" exactly one more character is skipped (the empty field 2), and the directory runs to
/// the next "|" or, where there is none, to the end of the line. nullopt for a line that lacks
/// either "|" or has nothing after the second one. The views point into `line`.
std::optional<IniEntry> parseEntryLine(std::string_view line);

/// "[" name "]".
std::string headerLine(std::string_view name);

/// "Track N=;;;;;;|" fileName "||" directory "|||". Appends to `out`.
void appendEntryLine(std::string& out, std::uint64_t number, std::string_view fileName,
                     std::string_view directory);

} // namespace deckshift::formats
