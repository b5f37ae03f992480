#pragma once
// The PCDJ FX group list read as XML, for whatever goes through a whole library (the export, the
// track check). Writing stays line-based (GroupList.h); reading as XML takes the groups wherever
// the list's lines break.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace deckshift::formats {

struct ListedSubgroup {
    std::string name;
    /// The src value as the list holds it, references decoded.
    std::string src;
    /// Where the playlist is: src taken from the list's directory. A relative src is joined to
    /// that directory, one rooted at "\" without a drive gets the directory's drive (when it has
    /// one); any other src is the path as it stands.
    std::string path;
    /// The line of the list on which the SubGroup element starts (CR LF, a lone CR and a lone LF
    /// each end a line).
    std::uint64_t line = 0;
};

struct ListedGroup {
    std::string name;
    std::vector<ListedSubgroup> subgroups;
};

/// True when this build can read a group list as XML (it needs pugixml).
bool groupListXmlAvailable();

/// The groups of the group list `bytes` in document order: each Group element of the root Groups,
/// with its Name, and each of its SubGroup elements with Name and src, paths taken from
/// `listDirectory` (a path string; empty leaves them as src). Values are in the 8-bit code page
/// whatever the list's declaration says: bytes above 0x7F come back as they are, entities and
/// character references are decoded into the code page, and a bare "&" as the group list update
/// writes it stays an "&". nullopt for text that is not such a list, with the reason in `error`
/// as it follows the list's name in a message ("cannot be read as XML: ...").
std::optional<std::vector<ListedGroup>> readGroupListXml(const std::string& bytes,
                                                         std::string& error,
                                                         const std::string& listDirectory = {});

/// The most bytes readGroupListFile() reads: the list is parsed whole, so a larger file is refused
/// rather than read and memory stays bounded whatever the file.
inline constexpr std::uint64_t kMaxGroupListBytes = std::uint64_t{64} << 20;

/// Reads the group list at `listPath` (a path string) as readGroupListXml() does, with paths taken
/// from its directory. Throws FileError when it cannot be opened or read; nullopt, with the reason
/// in `error`, for a file that is not a group list or is larger than kMaxGroupListBytes.
std::optional<std::vector<ListedGroup>> readGroupListFile(const std::string& listPath,
                                                          std::string& error);

} // namespace deckshift::formats
