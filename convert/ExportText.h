#pragma once
// The text rules shared by the library export's XML formats: escaping, names in UTF-8, track
// paths as file URIs and as Traktor's volume, directory and file, and what a track is called when
// its file tells nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace deckshift::convert {

/// Appends `text` (UTF-8) as an XML attribute value or character data: & < > and the double quote
/// become references, and tab, LF and CR become character references so that a reader keeps them
/// (an attribute value would otherwise turn them into blanks). A character XML 1.0 cannot hold
/// (other control characters, U+FFFE, U+FFFF) and a byte that is no UTF-8 become U+FFFD.
void appendXmlEscaped(std::string& out, std::string_view text);

/// Text from the DJ applications' files in UTF-8: text that is valid UTF-8 already (a name taken
/// from a file name on a system that keeps names in UTF-8) stays as it is; any other is in the
/// 8-bit code page and is converted.
std::string textToUtf8(std::string_view text);

/// True when `text` holds a control character (bytes 0x00-0x1F and 0x7F), which no XML format
/// can carry in a path.
bool holdsControlCharacter(std::string_view text);

/// True when `path` is absolute for a file URI: a drive letter, a colon and a separator
/// ("C:\x", "C:/x"), or outside Windows a "/" (but not "//", a network path). "C:x" is not.
bool isAbsoluteTrackPath(std::string_view path);

/// "file://localhost/" then the absolute `path` (UTF-8) with "/" for "\", its bytes
/// percent-encoded except A-Z a-z 0-9 - . _ ~ / and the drive's colon. "/home/dj/a.mp3" gives
/// "file://localhost/home/dj/a.mp3".
std::string fileUri(std::string_view path);

/// The inverse of fileUri() for the URIs it writes; nullopt for anything else.
std::optional<std::string> pathFromFileUri(std::string_view uri);

/// A path as Traktor locates a file: "C:\Music\Rock\a.mp3" gives volume "C:", directory
/// "/:Music/:Rock/:" and file "a.mp3"; a native path "/home/dj/a.mp3" gives the volume given,
/// directory "/:home/:dj/:". Empty components (doubled separators) are dropped.
struct TraktorLocation {
    std::string volume;
    std::string directory;
    std::string file;
    /// What playlists name the track by: volume, directory and file joined.
    std::string key() const { return volume + directory + file; }
};
TraktorLocation traktorLocation(std::string_view path, std::string_view nativeVolume);

/// The file name of `path` (after its last "\" or "/").
std::string_view fileNameOf(std::string_view path);

/// The directory of the file `path` ("." for a bare name).
std::string directoryOf(std::string_view path);

/// rekordbox's kind of a file by its extension (any case): "MP3 File", "WAV File", "AIFF File",
/// "M4A File", "FLAC File"; else the extension in capitals and " File"; "File" without one.
std::string fileKind(std::string_view path);

/// Title and artist from a file name: the name less its extension; when it holds " - ", the part
/// before the first " - " is the artist and the rest the title.
struct NameFromFile {
    std::string title;
    std::string artist;
};
NameFromFile nameFromFile(std::string_view path);

/// What the XML formats say of a track: its tags where the file can be read (with `readTags`),
/// and for what they lack the title and artist from the file name. UTF-8.
struct TrackDetails {
    std::string title;
    std::string artist;
    std::string album;
    std::string genre;
    std::uint32_t seconds = 0; ///< 0: unknown
    std::uint32_t kbps = 0;    ///< 0: unknown
};
/// `path` is absolute, in the 8-bit code page; in Windows form it is found through the Wine
/// prefix outside Windows.
TrackDetails trackDetails(std::string_view path, bool readTags);

/// 32 lower-case hexadecimal digits for a playlist, derived from the names and positions of its
/// group and itself: the same library gives the same digits, and no two positions the same.
std::string playlistUuid(std::string_view group, std::uint64_t groupPosition,
                         std::string_view playlist, std::uint64_t playlistPosition);

} // namespace deckshift::convert
