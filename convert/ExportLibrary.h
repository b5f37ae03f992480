#pragma once
// The whole PCDJ FX library as a folder of M3U or M3U8 playlists that other DJ applications
// import: one folder per group, one playlist per subgroup.

#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/TrackPipeline.h"
#include "settings/Registry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace deckshift::convert {

struct ExportInputs {
    /// The RC directory named directly (ending in a separator); empty to read the registry
    /// setting, with its presence test, as register mode does.
    std::string rcDirectory;
    const settings::RegistryReader* registry = nullptr;
    /// Where the group folders go; must exist.
    std::string outputDirectory;
    /// Told after each playlist, written or left out: how many of the group list's subgroups are
    /// done. Called on the thread that runs the export; may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    /// When set (from any thread), the export stops before the next playlist; the playlist being
    /// written is finished first. May be null.
    const std::atomic<bool>* cancel = nullptr;
};

struct ExportResult {
    RunStatus status = RunStatus::Done;
    std::uint64_t groups = 0;
    std::uint64_t playlists = 0;
    std::uint64_t tracks = 0;
    std::uint64_t playlistsMissing = 0; ///< listed but missing or unreadable, each warned about
    std::uint64_t playlistsListed = 0;  ///< subgroups in the group list
    bool cancelled = false; ///< stopped through `cancel`; what was written before is whole
    TrackSummary pipeline;
};

/// A group or subgroup name made safe for a file name: the playlist-name rule's eight characters,
/// "*" and control characters become "-"; a name of dots only has them replaced too, and an empty
/// name becomes "-".
std::string exportName(std::string_view name);

/// True when this build can export (it reads Groups.xml as XML with pugixml).
bool exportAvailable();

/// Reads the group list of the RC directory as XML and writes, for each subgroup, the tracks of
/// the playlist at its src (read by the VRM reading rule, Windows paths mapped through the Wine
/// prefix) as OUTPUT/GROUP/SUBGROUP.m3u ("#EXTM3U", one line per track, CR LF), or .m3u8 in
/// UTF-8 with options.writeM3u8. A second subgroup of the same name in a folder gets " (2)" and so
/// on. A listed playlist that is missing or cannot be read is a warning; the others go on.
ExportResult ExportLibrary(const ExportInputs& inputs, MessageSink& messages,
                           const EngineOptions& options = {});

} // namespace deckshift::convert
