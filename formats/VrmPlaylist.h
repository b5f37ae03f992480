#pragma once
// The PCDJ FX VRM playlist: a fixed nine-line SMIL layout with one media element per track.

#include "formats/FilePlan.h"
#include "formats/TextIO.h"

#include <filesystem>
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

/// VRM playlists are read with a lone LF as a line end as well, as tools on Linux write XML.
inline constexpr LineEnds kVrmLineEnds = LineEnds::CrOrCrLfOrLf;

/// Appends lines 5 and 6 for a track, each with CR LF: the path between double quotes, with "&",
/// "<", ">" and the double quote escaped (appendXmlEscaped()), then the closing tag.
void appendMediaLines(std::string& out, std::string_view path);

/// True when the first 20 characters are exactly nine spaces and "<media src=".
bool isMediaLine(std::string_view line);

/// True when `line` is one of the lines by which a file shows itself a VRM playlist: "<smil>" or
/// a media line. A file holding neither is not one.
bool isVrmSignLine(std::string_view line);

/// The path of a media line: the line less its first 21 characters and less its last 2 (the
/// closing double quote and ">"), or its last 3 where it ends in a double quote and "/>" (a media
/// element written as an empty element); then its references decoded by decodeXmlText(), which
/// stores in `unheld` a character the code page cannot hold. nullopt for a media line too short to
/// cut and for a line that is not a media line.
std::optional<std::string> mediaLinePath(std::string_view line, char32_t* unheld = nullptr);

/// As above, into `path`, whose storage is reused from line to line: false (and `path` left
/// unspecified) where that gives nullopt.
bool mediaLinePath(std::string_view line, std::string& path, char32_t* unheld = nullptr);

/// As above, without a copy where it can: `path` views the line itself when it holds no "&" to
/// decode, and `storage` otherwise.
bool mediaLinePath(std::string_view line, std::string_view& path, std::string& storage,
                   char32_t* unheld = nullptr);

/// Writes one VRM playlist: lines 1 to 4 when it is made, lines 5 and 6 for each track, and lines
/// 7 to 9 when it is committed, through an OutputFile (so a dry run writes nothing).
class VrmWriter {
public:
    /// Throws FileError as OutputFile does.
    VrmWriter(std::string displayPath, std::filesystem::path fsTarget, FilePlan* dryRun,
              AtomicFile::Durability durability = AtomicFile::Durability::Rename);
    void addTrack(std::string_view path);
    /// Writes the closing lines and puts the file in place. Throws FileError.
    void commit();

private:
    OutputFile m_out;
};

/// A subgroup name made safe for the playlist's file name, which begins with the group's name:
/// each character Windows refuses in a file name becomes "-" (safeNameCharacters()).
std::string playlistName(std::string_view subgroupName);

} // namespace deckshift::formats
