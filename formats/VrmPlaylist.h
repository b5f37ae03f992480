#pragma once
// The PCDJ FX VRM playlist: a fixed nine-line SMIL layout with one media element per track.

#include <optional>
#include <string>
#include <string_view>

namespace deckshift::formats {

/// Lines 1 to 4, each without its line end.
inline constexpr std::string_view kVrmHead[] = {
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>",
    "<smil>",
    "   <body>",
    "      <seq>",
};
/// Lines 7 to 9.
inline constexpr std::string_view kVrmTail[] = {
    "      </seq>",
    "   </body>",
    "</smil>",
};
inline constexpr std::string_view kMediaPrefix = "         <media src=";
inline constexpr std::string_view kMediaEnd = "         </media>";

/// Appends lines 5 and 6 for a track, each with CR LF: the path with "&" escaped between double
/// quotes, then the closing tag.
void appendMediaLines(std::string& out, std::string_view path);

/// True when the first 20 characters are exactly nine spaces and "<media src=".
bool isMediaLine(std::string_view line);

/// True when `line` is one of the lines by which a file shows itself a VRM playlist: "<smil>" or
/// a media line. A file holding neither is not one.
bool isVrmSignLine(std::string_view line);

/// The path of a media line: the line less its first 21 and last 2 characters, then every
/// "&apos;" replaced by "'" and after that every "&amp;" by "&". nullopt for a media line too short
/// to cut (under 23 characters) and for a line that is not a media line.
std::optional<std::string> mediaLinePath(std::string_view line);

/// As above, into `path`, whose storage is reused from line to line: false (and `path` left
/// unspecified) where that gives nullopt.
bool mediaLinePath(std::string_view line, std::string& path);

/// As above, without a copy where it can: `path` views the line itself when it holds no "&" to
/// decode, and `storage` otherwise.
bool mediaLinePath(std::string_view line, std::string_view& path, std::string& storage);

/// A subgroup name made safe for a file name: each of / \ ? : < > | and the double quote becomes
/// "-".
std::string playlistName(std::string_view subgroupName);

} // namespace deckshift::formats
