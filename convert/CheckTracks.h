#pragma once
// Checks the tracks of playlists and group files without converting anything.

#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/TrackCheck.h"
#include "convert/TrackPipeline.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace deckshift::convert {

struct CheckTracksResult {
    std::uint64_t tracks = 0; ///< tracks looked up
    std::uint64_t missing = 0;
    /// playlists a group list names that were not found (each named in a warning)
    std::uint64_t missingPlaylists = 0;
    std::uint64_t files = 0; ///< files read
    bool unreadable = false; ///< a file could not be read (named in a message)
    TrackSummary pipeline;   ///< what relocation and the search by name did
};

/// How far a check has come: the file being read, with the tracks looked up and the files read so
/// far.
struct CheckProgress {
    std::string_view file;
    std::uint64_t tracks = 0;
    std::uint64_t files = 0;
};

/// Looks up every track of each path: a PCDJ RED group file (.ini), an M3U or M3U8 playlist
/// (.m3u, .m3u8), a VRM playlist (.xml), a group list (an .xml file holding "<Groups", read as
/// XML; each playlist it lists, then that playlist's tracks), or a directory of such files (not its
/// subdirectories). Relative paths are taken from the directory of the file that holds them;
/// `options.relocations` apply to tracks first, and `options.m3uEncoding` to M3U files; a track
/// the code page cannot hold is looked up as it is. With `options.searchDirectories`, a track not
/// found is searched for by name as a conversion would (the playlists a group list names are
/// not): one found counts as found. Every track not found at its path goes to `onMissing` with
/// the file and line it was read from, and with the file found by name or the candidates that
/// tie; a playlist a group list names that does not exist is a warning, apart from the tracks. A
/// file that cannot be read, or that is not of its kind (a .ini file that is not a group file, an
/// M3U file of NUL bytes), is reported in an error message and the others are still checked; one
/// found in a directory is passed over with a warning. `progress`, when given, is told at the
/// start of each file and every few thousand lines.
CheckTracksResult CheckTracks(const std::vector<std::string>& paths, const EngineOptions& options,
                              MessageSink& messages,
                              const std::function<void(const MissingTrack&)>& onMissing,
                              const std::function<void(const CheckProgress&)>& progress = {});

} // namespace deckshift::convert
