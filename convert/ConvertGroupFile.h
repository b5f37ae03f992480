#pragma once
// One PCDJ RED group file to PCDJ FX VRM playlists, one playlist per subgroup.

#include "convert/Messages.h"
#include "convert/TrackPipeline.h"
#include "formats/GroupList.h"
#include "formats/TextIO.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::convert {

/// The progress operations of a group file conversion. Every operation does nothing by default.
class GroupFileProgress {
public:
    virtual ~GroupFileProgress() = default;
    /// At each subgroup header.
    virtual void showGroup(std::string_view /*groupName*/) {}
    virtual void showSubgroup(std::string_view /*playlistName*/) {}
    /// At every line of the converting pass: "lineNumber From lineCount".
    virtual void showPosition(std::uint64_t /*lineNumber*/, std::uint64_t /*lineCount*/) {}
    /// Once, before the converting pass.
    virtual void setProgressRange(std::uint64_t /*lineCount*/) {}
    /// At every line of the converting pass.
    virtual void setProgress(std::uint64_t /*lineNumber*/) {}
    /// At every entry line: the entry's directory followed by its file name.
    virtual void showEntry(std::string_view /*path*/) {}
};

/// Lines of a group file that could not be read as its layout says and were skipped.
struct SkippedLines {
    std::uint64_t count = 0;
    std::vector<std::uint64_t> firstLineNumbers; ///< at most kMaxListed
    static constexpr std::size_t kMaxListed = 10;
    void add(std::uint64_t lineNumber);
};

/// The lines skipped in one group file.
struct SkippedInFile {
    std::string name;
    SkippedLines lines;
};

/// "Some lines could not be read as group entries and were skipped:" and a line per file with
/// its count and first line numbers.
std::string skippedLinesReport(const std::vector<SkippedInFile>& files);

/// A playlist written under another file name than its subgroup gives, so that it replaces no
/// other playlist: " (2)", " (3)" and so on before ".XML".
struct RenamedPlaylist {
    std::string playlistName;
    std::string wantedPath;
    std::string writtenPath;
    /// The group list names the wanted file for a group already in it; otherwise the run itself
    /// wrote a playlist there before.
    bool listedElsewhere = false;
};

/// The warning for a renamed playlist of the group `groupName`.
std::string renamedPlaylistWarning(std::string_view groupName, const RenamedPlaylist& renamed);

/// The playlist files a run has written, compared as Windows compares file names
/// (formats::playlistPathKey()).
class WrittenPlaylists {
public:
    bool contains(std::string_view path) const;
    void add(std::string_view path);

private:
    std::set<std::string> m_keys;
};

struct GroupFileResult {
    bool recognised = false;
    std::uint64_t playlistsWritten = 0;
    std::uint64_t entriesWritten = 0;
    SkippedLines skipped;
    std::vector<RenamedPlaylist> renamed;
};

/// Converts the group file read by `lines` (at its beginning) into playlists in `outputDirectory`
/// named group name, "_", playlist name, ".XML". A playlist whose file this run has already written
/// (`written`, shared by the group files of a batch; the file's own playlists when null) or the
/// recorder lists for another group gets the first free name of "NAME (2).XML", "NAME (3).XML"
/// and so on instead, noted in the result's `renamed`. A file whose second line does not begin with
/// "Track" is not recognised: nothing is written and the recorder is not called. Each playlist is
/// written whole through a temporary file and renamed into place when its subgroup ends.
///
/// Every track path goes through `pipeline` when one is given (relocation, track check, dry run).
///
/// Throws formats::FileError when a file cannot be read or written (playlists already finished
/// stay whole on disk) and whatever the recorder throws.
GroupFileResult ConvertGroupFile(formats::LineReader& lines, std::string_view groupName,
                                 std::string_view outputDirectory, GroupFileProgress& progress,
                                 formats::GroupListRecorder* recorder = nullptr,
                                 TrackPipeline* pipeline = nullptr,
                                 WrittenPlaylists* written = nullptr);

} // namespace deckshift::convert
