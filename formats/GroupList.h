#pragma once
// The PCDJ FX group list Groups.xml, and its update through the work file GroupsTMP.xml.
//
// The list is handled as lines, never parsed as XML: the update keeps its lines up to the closing
// "</Groups>", adds one group, and closes the list again. CR LF, a lone CR and a lone LF each end
// a line of the list; a list whose every line ends at a lone LF is written with LF line ends, any
// other with CR LF.

#include "formats/FilePlan.h"
#include "formats/GroupListBackup.h"
#include "formats/TextIO.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace deckshift::formats {

/// Receives the groups and subgroups of one group file as it is converted.
class GroupListRecorder {
public:
    virtual ~GroupListRecorder() = default;
    virtual void begin(std::string_view groupName) = 0;
    virtual void addSubgroup(std::string_view playlistName, std::string_view playlistPath) = 0;
    /// How the playlists named to the recorder are to be written.
    virtual AtomicFile::Durability playlistDurability() const {
        return AtomicFile::Durability::Rename;
    }
    /// After begin(): true when the list, as it will stand with this group added, names the
    /// playlist `playlistPath` (as playlistPathKey() compares them) for another group, whose
    /// playlist a file written there would replace.
    virtual bool listsPlaylist(std::string_view /*playlistPath*/) const { return false; }
};

/// The form in which playlist paths are compared: as Windows compares names (fileNameKey()), with
/// "/" as "\".
std::string playlistPathKey(std::string_view path);

std::string groupStartLine(std::string_view groupName);
std::string subgroupLine(std::string_view playlistName, std::string_view playlistPath);
inline constexpr std::string_view kGroupEndLine = "   </Group>";
inline constexpr std::string_view kRootEndLine = "</Groups>";

/// What the update makes of a group list's closing lines.
struct GroupListEnd {
    /// Lines 1 .. keepLines are copied unchanged.
    std::uint64_t keepLines = 0;
    /// The part of the last line left (line keepLines + 1) before "</Groups>", less its trailing
    /// blanks, is kept as a line of its own: its first keptPrefixLength bytes. 0 when that line
    /// holds "</Groups>" alone (blanks around it allowed).
    std::uint64_t keptPrefixLength = 0;
    /// Every line end of the list is a lone LF (and there is at least one): lines the update adds
    /// end with LF, not CR LF.
    bool lfLineEnds = false;
};

/// The line end the update writes into the list that `end` describes.
inline std::string_view lineEndOf(const GroupListEnd& end) {
    return end.lfLineEnds ? "\n" : "\r\n";
}

/// The group list read as lines: CR LF, a lone CR and a lone LF each end a line.
inline constexpr LineEnds kGroupListLineEnds = LineEnds::CrOrCrLfOrLf;

/// Scans a group list (read with kGroupListLineEnds). Trailing lines of blanks (space, tab, LF) are
/// dropped; the last line left must end in "</Groups>" (blanks after it allowed). nullopt when it
/// does not (an empty list included): such a list is refused. Lines are read in pieces, so a line
/// of any length is never held whole.
std::optional<GroupListEnd> scanGroupList(LineReader& lines);

/// Copies the next line of `lines` to `out` in pieces, followed by its own line end (LF for a line
/// that ended at a lone LF, CR LF for one that ended at a CR) or, for the last line of the source,
/// by `lastEnd`: its first `limit` bytes (all of it by default), the rest passed over. False at
/// the end of `lines`, with nothing written.
bool copyLine(LineReader& lines, AtomicFile& out, std::string_view lastEnd = "\r\n",
              std::uint64_t limit = UINT64_MAX);

/// The name of a group start line ("   <Group Name="Rock" ..."), blanks before it allowed; nullopt
/// for any other line.
std::optional<std::string_view> groupNameOfLine(std::string_view line);

/// The src values of the SubGroup elements of a list, as playlistPathKey() gives them (references
/// decoded), leaving out those of the groups named `exceptGroup` (byte for byte, a group whose
/// Group line starts a line) when `leaveOut` is true.
std::set<std::string> listedPlaylists(LineReader& lines, std::string_view exceptGroup,
                                      bool leaveOut);

/// The groups of a list named `name` (byte for byte), before its line `beforeLine`: for each, the
/// line numbers of its Group line and of its "</Group>" line (the same number for a group on one
/// line). A group whose "</Group>" never comes is left out; a line too long for LineReader::next()
/// to keep is neither a Group line nor a "</Group>" line.
std::vector<std::pair<std::uint64_t, std::uint64_t>>
findGroups(LineReader& lines, std::string_view name, std::uint64_t beforeLine);

/// How an update treats the list beyond adding its group.
struct GroupListUpdateOptions {
    /// Remove every group of the same name and put the new one where the first of them stood.
    bool replaceListed = false;
    /// Called before the list is first replaced (one backup per run), when given.
    GroupListBackup* backup = nullptr;
    /// A dry run: nothing is written, not even a temporary file; finish() tells the plan what it
    /// would do.
    FilePlan* dryRun = nullptr;
};

/// The group list update in the RC directory `rcDir` (a path string ending in a separator).
///
/// begin() checks that the list can take a group and starts one; addSubgroup() notes one subgroup
/// line (kept in a hidden file beside the list, so memory does not grow with the group). Nothing
/// of the list is read for good before finish(), which, in one step and holding a lock that other
/// Deckshift runs wait for, reads Groups.xml as it stands, adds the group before its closing line,
/// commits the work file GroupsTMP.xml and replaces Groups.xml with the same bytes, each through a
/// temporary file and a rename. The list is read twice and compared with what was read again just
/// before each rename: a change that another program makes to it in that time makes finish()
/// throw GroupListChanged instead of replacing it (a program that writes the list without taking
/// the lock between that last look and the rename is not seen). An update dropped before finish()
/// leaves both files as they were. With a backup, the list as it stands is
/// kept after the work file is written and before the list is replaced; a backup that cannot be
/// written stops finish() with the list untouched.
class GroupListUpdate final : public GroupListRecorder {
public:
    explicit GroupListUpdate(std::string rcDir, GroupListUpdateOptions options = {});
    ~GroupListUpdate() override;

    /// Throws FileError, or GroupListRefused for a list that does not end in "</Groups>".
    void begin(std::string_view groupName) override;
    void addSubgroup(std::string_view playlistName, std::string_view playlistPath) override;
    /// The playlists a list names must reach the disk before the list does: where one
    /// syncDirectory() call cannot force them all there, each is synced as it is written.
    AtomicFile::Durability playlistDurability() const override;
    /// Replaces the list as said above and forces the renames to disk. The caller forces the
    /// group's playlists to disk before (syncDirectory() of their directory with EntriesAndFiles).
    /// Throws FileError, or GroupListChanged; either way Groups.xml is left as it was found and
    /// the group's playlists stay on disk.
    void finish();
    /// Drops the group begun, if any, leaving Groups.xml and GroupsTMP.xml untouched.
    void abandon() noexcept;

    /// After begin(): how many groups of the same name the list holds.
    std::size_t alreadyListed() const { return m_alreadyListed; }
    /// The playlists of the groups that stay in the list: all of them, or with replaceListed all
    /// but those of the groups of the same name, which the new group replaces.
    bool listsPlaylist(std::string_view playlistPath) const override {
        return m_listed.count(playlistPathKey(playlistPath)) > 0;
    }

    std::string listPath() const;
    std::string workPath() const;

private:
    std::string keptPlaylistsText() const;
    void replaceList();

    std::string m_rcDir;
    GroupListUpdateOptions m_options;
    bool m_begun = false;
    std::size_t m_alreadyListed = 0;
    std::string m_groupName;
    std::string m_lineEnd = "\r\n";      ///< of the spooled subgroup lines
    std::set<std::string> m_listed;      ///< playlistPathKey() of the playlists other groups list
    std::unique_ptr<AtomicFile> m_spool; ///< the group's subgroup lines
    std::uint64_t m_playlistCount = 0;
    std::vector<std::string> m_firstPlaylists; ///< the first few, for messages
};

/// A group list that does not end in "</Groups>".
class GroupListRefused : public std::runtime_error {
public:
    explicit GroupListRefused(const std::string& listPath);
};

/// A group list that changed while the update read or replaced it: the group was not added, the
/// list was left as the other program wrote it, and the message names the group's playlists,
/// which stay on disk.
class GroupListChanged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Checks, before a register-mode run writes anything, that the group list of `rcDir` can be read
/// and ends in "</Groups>". Returns the message to show when it cannot be used: it names the list
/// and the reason, says that nothing was written and what to do.
std::optional<std::string> checkGroupList(const std::string& rcDir);

} // namespace deckshift::formats
