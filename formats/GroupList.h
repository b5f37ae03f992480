#pragma once
// The PCDJ FX group list Groups.xml, and its update through the work file GroupsTMP.xml.
//
// The list is handled as lines, never parsed as XML: the update keeps its lines up to the closing
// "</Groups>", adds one group, and closes the list again.

#include "formats/TextIO.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace deckshift::formats {

/// Receives the groups and subgroups of one group file as it is converted.
class GroupListRecorder {
public:
    virtual ~GroupListRecorder() = default;
    virtual void begin(std::string_view groupName) = 0;
    virtual void addSubgroup(std::string_view playlistName, std::string_view playlistPath) = 0;
};

std::string groupStartLine(std::string_view groupName);
std::string subgroupLine(std::string_view playlistName, std::string_view playlistPath);
inline constexpr std::string_view kGroupEndLine = "   </Group>";
inline constexpr std::string_view kRootEndLine = "</Groups>";

/// What the update makes of a group list's closing lines.
struct GroupListEnd {
    /// Lines 1 .. keepLines are copied unchanged.
    std::uint64_t keepLines = 0;
    /// The part of the last line before "</Groups>", less its trailing blanks, kept as a line of
    /// its own; nullopt when that line holds "</Groups>" alone (blanks around it allowed).
    std::optional<std::string> keptPrefix;
};

/// Scans a group list. Trailing lines of blanks (space, tab, LF) are dropped; the last line left
/// must end in "</Groups>" (blanks after it allowed). nullopt when it does not (an empty list
/// included): such a list is refused.
std::optional<GroupListEnd> scanGroupList(LineReader& lines);

/// The group list update in the RC directory `rcDir` (a path string ending in a separator).
/// begin() copies the list up to its closing line into a new work file and writes the group start;
/// addSubgroup() writes one subgroup line; finish() closes the group and the list, commits the work
/// file GroupsTMP.xml and then replaces Groups.xml with the same bytes, each through a temporary
/// file and a rename. An update dropped before finish() leaves both files as they were.
class GroupListUpdate final : public GroupListRecorder {
public:
    explicit GroupListUpdate(std::string rcDir);
    ~GroupListUpdate() override;

    /// Throws FileError, or GroupListRefused for a list that does not end in "</Groups>".
    void begin(std::string_view groupName) override;
    void addSubgroup(std::string_view playlistName, std::string_view playlistPath) override;
    void finish();
    /// Drops the group begun, if any, leaving Groups.xml and GroupsTMP.xml untouched.
    void abandon() noexcept;

    std::string listPath() const;
    std::string workPath() const;

private:
    std::string m_rcDir;
    std::unique_ptr<AtomicFile> m_work;
};

/// A group list that does not end in "</Groups>".
class GroupListRefused : public std::runtime_error {
public:
    explicit GroupListRefused(const std::string& listPath);
};

/// Checks, before a register-mode run writes anything, that the group list of `rcDir` can be read
/// and ends in "</Groups>". Returns the message to show when it cannot be used.
std::optional<std::string> checkGroupList(const std::string& rcDir);

} // namespace deckshift::formats
