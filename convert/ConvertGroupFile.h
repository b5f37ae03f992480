#pragma once
// One PCDJ RED group file to PCDJ FX VRM playlists, one playlist per subgroup.

#include "convert/Messages.h"
#include "convert/TrackPipeline.h"
#include "formats/GroupList.h"
#include "formats/TextIO.h"

#include <cstdint>
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

struct GroupFileResult {
    bool recognised = false;
    std::uint64_t playlistsWritten = 0;
    std::uint64_t entriesWritten = 0;
    SkippedLines skipped;
};

/// Converts the group file read by `lines` (at its beginning) into playlists in `outputDirectory`
/// named group name, "_", playlist name, ".XML". A file whose second line does not begin with
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
                                 TrackPipeline* pipeline = nullptr);

} // namespace deckshift::convert
