#pragma once
// The export of a whole DJ library into the formats other DJ applications import: a library
// source (the PCDJ FX library, or a directory of PCDJ RED group files) walks the groups, their
// subgroups and each subgroup's tracks through the track pipeline, and hands them to the writer
// of the chosen format (LibraryFormats.h).

#include "convert/EngineOptions.h"
#include "convert/LibraryFormats.h"
#include "convert/Messages.h"
#include "convert/TrackCollection.h"
#include "convert/TrackPipeline.h"
#include "formats/GroupListXml.h"
#include "settings/Registry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace deckshift::convert {

enum class LibrarySource {
    Fx,  ///< the PCDJ FX group list (Groups.xml) and its VRM playlists
    Red, ///< a directory of PCDJ RED group files, in the batch's order and by its rules
};

struct ExportInputs {
    LibrarySource source = LibrarySource::Fx;
    /// PCDJ FX: the RC directory named directly (ending in a separator); empty to find it through
    /// the registry, as register mode does.
    std::string rcDirectory;
    /// PCDJ RED: the directory of the group files; empty to find it through the registry, as the
    /// INI window does.
    std::string redDirectory;
    const settings::RegistryReader* registry = nullptr;
    ExportFormat format = ExportFormat::M3u;
    /// The M3U formats: the directory the group folders go into (it must exist). The others: the
    /// file written (its directory must exist).
    std::string output;
    /// Only the groups of these names (UTF-8); empty for every group. A name the library does not
    /// hold refuses the run.
    std::vector<std::string> groups;
    /// Subgroups left out, as (group, subgroup) names in UTF-8.
    std::set<std::pair<std::string, std::string>> excludedSubgroups;
    /// The XML formats read each track's tags from its file; false reads no file.
    bool readTags = true;
    /// Traktor: the volume named for native paths.
    std::string volume;
    /// Told after each playlist, written or left out: how many of the listed playlists are done.
    /// Called on the thread that runs the export; may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    /// Told while the XML formats read the tracks' details; may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> detailsProgress;
    /// Told of each missing track that the search by name (EngineOptions::searchDirectories)
    /// found; called on the thread that runs the export; may be empty.
    std::function<void(const MissingTrack&)> foundByName;
    /// When set (from any thread), the export stops before the next playlist; an M3U playlist
    /// being written is finished first, and a single-file format writes nothing.
    const std::atomic<bool>* cancel = nullptr;
};

struct ExportResult {
    RunStatus status = RunStatus::Done;
    std::uint64_t groups = 0;
    std::uint64_t playlists = 0;
    std::uint64_t tracks = 0;           ///< entries written (a track in two playlists counts twice)
    std::uint64_t distinctTracks = 0;   ///< the XML formats: tracks in the collection
    std::uint64_t playlistsMissing = 0; ///< listed but missing or unreadable, each warned about
    std::uint64_t playlistsListed = 0;  ///< subgroups listed (of the groups chosen)
    std::uint64_t groupFilesSkipped = 0; ///< PCDJ RED: files that are no group files, CD AUDIO
    LeftOutTracks leftOut;               ///< the XML formats: tracks they cannot hold
    std::uint64_t collectionBytes = 0;   ///< the XML formats: memory held for the collection
    bool cancelled = false; ///< stopped through `cancel`; what was written before is whole
    /// The file or folder written, as the output names it.
    std::string written;
    TrackSummary pipeline;
};

/// A group of the library as a source lists it.
struct LibraryGroup {
    std::string name;                               ///< as the source holds it
    std::string file;                               ///< PCDJ RED: the group file
    std::vector<formats::ListedSubgroup> subgroups; ///< src: PCDJ FX only
};

/// True when this build can export (it reads Groups.xml as XML with pugixml).
bool exportAvailable();

/// The groups and subgroups the export would read, for a front end that offers a choice of
/// them; nullopt when the source cannot be read (the message says why).
std::optional<std::vector<LibraryGroup>> listLibrary(const ExportInputs& inputs,
                                                     MessageSink& messages);

/// Runs the export. A listed playlist that is missing or cannot be read is a warning; the others
/// go on. A file that cannot be written ends the run (Failed) with a message naming it; the files
/// already written stay whole.
ExportResult ExportLibrary(const ExportInputs& inputs, MessageSink& messages,
                           const EngineOptions& options = {});

} // namespace deckshift::convert
