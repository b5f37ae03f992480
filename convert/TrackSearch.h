#pragma once
// Finding a track whose file moved: its file name looked up among the files below the folders a
// DJ names, for a collection whose music folder was reorganised.

#include "settings/FileNameIndex.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::convert {

/// What a search by name gave for one track.
struct SearchResult {
    enum class Kind {
        NotFound,  ///< no file of that name
        Found,     ///< one file, or one that shares more of the old path's folders than the rest
        Ambiguous, ///< several files, none sharing more of the old path's folders than the rest
    };
    Kind kind = Kind::NotFound;
    /// Found: the file's path in the form the old path had (see TrackSearch::find).
    std::string path;
    /// Found: the old path was in Windows form but the file lies on no drive of the Wine prefix,
    /// so `path` is native.
    bool nativeFallback = false;
    /// Ambiguous: the first kMaxCandidates of the files that tie, in NTFS order of their paths,
    /// and how many tie in all.
    std::vector<std::string> candidates;
    std::uint64_t tied = 0;
};

class TrackSearch {
public:
    static constexpr std::size_t kMaxCandidates = 3;

    /// Searches below `directories` (paths as typed, see settings::FileNameIndex::build). The
    /// folders are listed when the first track is looked up, once.
    explicit TrackSearch(std::vector<std::string> directories);

    /// Looks up the file name of `path` (a track path in the 8-bit code page) without regard to
    /// letter case. One file of that name is the track's; of several, the one that shares the
    /// most trailing folder names with `path` (letter case ignored), and where that ties, none.
    /// The path found is in the form `path` has: in Windows form ("X:\...", "\" between names,
    /// or "/" when `path` uses "/" alone) when `path` is in Windows form, rooted at "\" or
    /// relative with "\" and no "/"; a native absolute path otherwise. On Windows every path is in
    /// Windows form.
    SearchResult find(std::string_view path);

    /// Lists the folders now when they have not been listed yet. The problems met on the way
    /// are returned the first time, empty after.
    std::optional<settings::FileNameIndex::Problems> buildIndex();
    bool indexBuilt() const { return m_built; }

private:
    std::vector<std::string> m_directories;
    settings::FileNameIndex m_index;
    bool m_built = false;
};

/// Text for the warnings about listing the folders searched; empty when all went well.
std::string searchProblemsText(const settings::FileNameIndex::Problems& problems);

} // namespace deckshift::convert
