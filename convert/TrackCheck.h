#pragma once
// Looks up track paths on disk, for a report of the tracks a collection has lost.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::convert {

/// True when the track `path` names an existing file. A path in Windows form is looked up
/// through the Wine prefix outside Windows; a relative path is taken from `baseDirectory`, the
/// directory of the playlist that holds it; a path rooted at "\" without a drive is taken on the
/// drive of `baseDirectory` when it has one, else on C:.
/// `utf8`: the path is in UTF-8 rather than in the code page (a track of a UTF-8 playlist that the
/// code page cannot hold).
bool trackExists(std::string_view path, std::string_view baseDirectory, bool utf8 = false);

struct MissingTrack {
    std::string source;     ///< the file the track was read from
    std::uint64_t line = 0; ///< its line there
    std::string path;       ///< the path as written
    /// With a search by name: the one file found (the track is then no longer missing), or the
    /// first of the files that tie and how many tie in all.
    std::string foundAt;
    std::vector<std::string> candidates;
    std::uint64_t tied = 0;
    /// The path is in UTF-8, not in the code page: a track of a UTF-8 playlist that the code page
    /// cannot hold, looked up all the same by a check.
    bool pathInUtf8 = false;
};

/// Counts the tracks checked and the ones not found; keeps the first kMaxListed of them.
class TrackChecker {
public:
    static constexpr std::size_t kMaxListed = 20;

    /// Called for every missing track, when set (the check command prints them all).
    std::function<void(const MissingTrack&)> onMissing;

    /// Looks up one track; returns whether it exists. `utf8`: the path is in UTF-8 (see
    /// MissingTrack::pathInUtf8).
    bool check(std::string_view path, std::string_view baseDirectory, std::string_view source,
               std::uint64_t line, bool utf8 = false);
    /// Counts a track whose lookup was done already; a missing one is `track`.
    void record(bool exists, MissingTrack track);

    std::uint64_t checked() const { return m_checked; }
    std::uint64_t missing() const { return m_missing; }
    const std::vector<MissingTrack>& firstMissing() const { return m_first; }

    /// "N of M tracks not found" and one line "SOURCE:LINE: PATH" for each of the first ones;
    /// empty when every track was found.
    std::string report() const;

private:
    std::uint64_t m_checked = 0;
    std::uint64_t m_missing = 0;
    std::vector<MissingTrack> m_first;
};

/// "SOURCE:LINE: PATH", then for a track found by name "    found: PATH FOUND", or for one
/// whose name several files tie for, a line "    candidate: PATH" for each candidate and
/// "    (N candidates in all)" when not all are listed. Each name in the code page goes through
/// `shown` (for a front end, to the text it shows); a path in UTF-8 is taken as it is.
std::string missingTrackLine(const MissingTrack& track,
                             const std::function<std::string(std::string_view)>& shown = {});

} // namespace deckshift::convert
