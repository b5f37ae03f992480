#pragma once
// What a library source hands on to the writer of an export format as it walks the library:
// groups, their playlists (the subgroups) and each playlist's tracks, in the library's order.

#include <cstdint>
#include <string>
#include <string_view>

namespace deckshift::convert {

class TrackCollection;

/// A track of a playlist, its path after the track pipeline (decoded, relocated), in the 8-bit
/// code page. `source` and `line` say where it was read, for the warnings that name it.
struct LibraryTrack {
    std::string_view path;
    std::string_view source;
    std::uint64_t line = 0;
    /// The source gave the path in Windows form (before relocation): the file it names is the same
    /// whatever the letter case of its name.
    bool windowsForm = false;
};

/// One export format. The calls come in the library's order: beginGroup(), then for each of its
/// playlists beginPlaylist(), track()..., and endPlaylist() or, when the source could not be
/// read to its end, dropPlaylist(); then endGroup(). finish() ends a whole export; an export that
/// stops early (cancelled, or a file that failed) ends with the writer destroyed instead, which
/// leaves what was finished whole and nothing half written. Names are as the source holds them.
/// A write that fails throws formats::FileError.
class LibraryWriter {
public:
    virtual ~LibraryWriter() = default;
    virtual void beginGroup(std::string_view name) = 0;
    virtual void beginPlaylist(std::string_view name) = 0;
    /// False when the format cannot hold the track and left it out (with a warning).
    virtual bool track(const LibraryTrack& track) = 0;
    virtual void endPlaylist() = 0;
    virtual void dropPlaylist() = 0;
    virtual void endGroup() = 0;
    virtual void finish() = 0;
    /// The distinct tracks kept, where the format collects them (the XML formats); null otherwise.
    virtual const TrackCollection* collection() const { return nullptr; }
    /// The directory against which a relative track path of the current playlist is looked up
    /// (the folder the playlist is written to).
    virtual std::string playlistDirectory() const = 0;
};

} // namespace deckshift::convert
