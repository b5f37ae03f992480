#pragma once
// What the export formats written as one collection file share: the distinct tracks and the tree
// of groups and playlists kept in a TrackCollection until finish() writes the file, and the walk
// over the collection that reads each track's details.

#include "convert/ExportText.h"
#include "convert/LibraryFormats.h"
#include "convert/TrackCollection.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace deckshift::convert {

class CollectionWriter : public LibraryWriter {
public:
    explicit CollectionWriter(const WriterSetup& setup)
        : m_setup(setup), m_tracks(*setup.messages, setup.output, setup.dryRun) {}

    void beginGroup(std::string_view name) final { m_tracks.beginGroup(name); }
    void beginPlaylist(std::string_view name) final { m_tracks.beginPlaylist(name); }
    bool track(const LibraryTrack& item) final { return m_tracks.add(item); }
    void endPlaylist() final { m_tracks.endPlaylist(); }
    void dropPlaylist() final { m_tracks.dropPlaylist(); }
    void endGroup() final { m_tracks.endGroup(); }
    std::string playlistDirectory() const final { return directoryOf(m_setup.output); }
    const TrackCollection* collection() const final { return &m_tracks; }

protected:
    /// Calls `entry` for each distinct track in the collection's order with its index, its path
    /// (in the 8-bit code page) and its details, telling the progress as it goes; throws
    /// ExportCancelled once the cancel is set. A dry run writes nothing, so it reads no file and
    /// calls nothing.
    void forEachTrack(const std::function<void(std::size_t index, std::string_view path,
                                               const TrackDetails& details)>& entry) const;

    WriterSetup m_setup;
    TrackCollection m_tracks;
};

/// Appends ` NAME="VALUE"` with the value (UTF-8) escaped.
void appendAttribute(std::string& out, std::string_view name, std::string_view value);
/// Appends ` NAME="N"`.
void appendNumber(std::string& out, std::string_view name, std::uint64_t value);

} // namespace deckshift::convert
