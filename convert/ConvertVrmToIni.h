#pragma once
// The VRM playlists of one PCDJ FX group to one PCDJ RED group INI file.

#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/RunEvents.h"
#include "convert/TrackPipeline.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace deckshift::convert {

struct VrmToIniInputs {
    std::string sourceDirectory; ///< holds the group's playlists
    std::string groupName;       ///< the playlists' names up to their first "_"
    std::string targetDirectory; ///< where "<run group name>.ini" is written
    /// The playlist the user chose (a name in sourceDirectory), empty for none. When given, a run
    /// whose chosen file is not a VRM playlist is refused before anything is written.
    std::string chosenPlaylist = {};
};

/// The progress operations of the run, beside how it goes. Every operation does nothing by default.
class VrmToIniProgress : public RunEvents {
public:
    /// Once, before the output file is created.
    virtual void showGroup(std::string_view /*runGroupName*/) {}
    /// At the start of each playlist, before it is read.
    virtual void showSubgroup(std::string_view /*subgroupName*/) {}
    /// Once per playlist, after its counting pass: the run's line total so far.
    virtual void setProgressMaximum(std::uint64_t /*lineTotal*/) {}
    /// At every line of a converting pass: the run's processed lines.
    virtual void setProgress(std::uint64_t /*processedLines*/) {}
    /// At every media line: the entry number within its playlist.
    virtual void showEntryNumber(std::uint64_t /*entryNumber*/) {}
    /// At every media line: the decoded path.
    virtual void showPath(std::string_view /*path*/) {}
};

struct VrmToIniResult {
    RunStatus status = RunStatus::Done;
    std::string outputPath;
    std::uint64_t playlists = 0;
    std::uint64_t entries = 0;
    TrackSummary tracks;
};

/// The group a playlist belongs to: its file name up to its first "_"; nullopt for a name without
/// "_", which names no group.
std::optional<std::string> groupOfPlaylist(std::string_view playlistName);

/// What to tell the user about `playlistName`, a playlist whose name names no group.
std::string noGroupMessage(std::string_view playlistName);

/// A track path split into the directory and file name of its entry line: the file name is what
/// follows the path's last "\" and the directory everything before it, that "\" included. Only
/// the first 60 backslashes are looked at, so a path holding more is split after its 60th and its
/// file name keeps the rest. A path without "\" has an empty directory; a path ending in "\" an
/// empty file name. The views point into `path`.
struct TrackPathParts {
    std::string_view directory;
    std::string_view fileName;
};
TrackPathParts splitTrackPath(std::string_view path);

/// Converts the playlists "<group name>_*.XML" of the source directory (letter case ignored, in
/// the order Windows lists them) into "<target>/<run group name>.ini", one section per playlist.
/// The output is written whole or not at all. Refused with a message when no playlist of the group
/// exists; failed with a message naming the file and the reason when a file cannot be read or
/// written.
/// Track paths are relocated before they are split.
VrmToIniResult ConvertVrmToIni(const VrmToIniInputs& inputs, VrmToIniProgress& progress,
                               MessageSink& messages, const EngineOptions& options = {});

} // namespace deckshift::convert
