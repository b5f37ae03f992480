#pragma once
// What the library export's XML formats share: the collection of distinct tracks, the tree of
// folders and playlists, and each playlist's entries as references into the collection.
//
// Both formats write the collection (every distinct track once, its count first) before the
// playlists, and each playlist's entry count before its entries, while a source hands the tracks
// on playlist by playlist. The collection is held in memory, a few dozen bytes per distinct track
// (the path bytes in one arena and a hash set of indices); the tree holds a name and two counts
// per playlist. The entries themselves are spooled, four bytes each, to a temporary file beside
// the output and read back in order when the document is written, so memory never grows with the
// length of the playlists. (Reading the source twice instead, once to collect and once to write,
// would read and decode every playlist twice and warn twice; the spool costs one sequential
// write and read of four bytes per entry.)

#include "convert/LibraryWriter.h"
#include "convert/Messages.h"
#include "formats/FilePlan.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace deckshift::convert {

/// Why tracks were left out of an XML export.
struct LeftOutTracks {
    std::uint64_t notAbsolute = 0;      ///< the path is not absolute (relative, or a network path)
    std::uint64_t controlCharacter = 0; ///< the path holds a control character
};

class TrackCollection {
public:
    /// `outputPath` is the file the format writes (the spool goes beside it); with `dryRun`
    /// nothing is spooled and only the counts are kept.
    TrackCollection(MessageSink& messages, std::string outputPath, formats::FilePlan* dryRun);
    ~TrackCollection();

    void beginGroup(std::string_view name);
    void beginPlaylist(std::string_view name);
    /// Adds an entry to the playlist and, the first time its path is seen, the track to the
    /// collection. A track whose path no XML format can hold is left out with a warning naming
    /// its playlist and line; false then.
    bool add(const LibraryTrack& track);
    void endPlaylist();
    void dropPlaylist();
    void endGroup() {}

    /// The distinct tracks, in order of first appearance: the path in the 8-bit code page as
    /// first seen, and whether the source gave it in Windows form.
    std::size_t size() const { return m_tracks.size(); }
    std::string_view path(std::size_t index) const {
        const Track& t = m_tracks[index];
        return {m_arena.data() + t.offset, t.length};
    }
    std::uint64_t entries() const { return m_entries; }
    const LeftOutTracks& leftOut() const { return m_leftOut; }
    /// Bytes held for the distinct tracks: their records, path bytes and hash set.
    std::uint64_t bytesHeld() const;

    /// What the tree holds for each folder and playlist when it is written out.
    struct Visitor {
        std::function<void(std::string_view name, std::size_t position, std::size_t playlists)>
            group;
        std::function<void(std::string_view group, std::size_t groupPosition, std::string_view name,
                           std::size_t position, std::uint64_t entries)>
            playlist;
        /// Each entry, the index of its track in the collection (never called in a dry run).
        std::function<void(std::uint32_t track)> entry;
        std::function<void()> endPlaylist;
        std::function<void()> endGroup;
    };
    /// Names are in UTF-8. Throws formats::FileError when the spool cannot be read back.
    void visit(const Visitor& visitor);
    std::size_t groups() const { return m_groups.size(); }
    /// At most this many tracks left out are warned about one by one, for each reason; the
    /// summary counts them all.
    static constexpr std::uint64_t kMaxWarned = 20;

private:
    struct Track {
        std::uint64_t offset;
        std::uint32_t length;
        bool folded; ///< compared without regard to letter case, "\" and "/" alike
    };
    struct Playlist {
        std::string name;
        std::uint64_t entries = 0;
        std::uint64_t spooled = 0; ///< entries in the spool, those of a dropped playlist too
        bool dropped = false;
    };
    struct Group {
        std::string name;
        std::vector<Playlist> playlists;
    };
    struct Hash {
        const TrackCollection* owner;
        std::size_t operator()(std::uint32_t index) const;
    };
    struct Equal {
        const TrackCollection* owner;
        bool operator()(std::uint32_t a, std::uint32_t b) const;
    };
    void leaveOut(const LibraryTrack& track, std::uint64_t& count, std::string_view why);

    MessageSink& m_messages;
    std::string m_outputPath;
    std::string m_arena;
    std::vector<Track> m_tracks;
    std::unordered_set<std::uint32_t, Hash, Equal> m_index;
    std::vector<Group> m_groups;
    std::uint64_t m_entries = 0;
    LeftOutTracks m_leftOut;
    class Spool;
    std::unique_ptr<Spool> m_spool;
};

} // namespace deckshift::convert
