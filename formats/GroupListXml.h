#pragma once
// The PCDJ FX group list read as XML, for the export of a whole library. Writing stays line-based
// (GroupList.h); reading as XML takes the groups wherever the list's lines break.

#include <optional>
#include <string>
#include <vector>

namespace deckshift::formats {

struct ListedSubgroup {
    std::string name;
    std::string src;
};

struct ListedGroup {
    std::string name;
    std::vector<ListedSubgroup> subgroups;
};

/// True when this build can read a group list as XML (it needs pugixml).
bool groupListXmlAvailable();

/// The groups of the group list `bytes` in document order: each Group element of the root Groups,
/// with its Name, and each of its SubGroup elements with Name and src. Bytes above 0x7F come back
/// as they are (the list is in the 8-bit code page whatever its declaration says), and a bare "&"
/// as the group list update writes it stays an "&". nullopt, with the reason in `error`, for text
/// that is not such a list.
std::optional<std::vector<ListedGroup>> readGroupListXml(const std::string& bytes,
                                                         std::string& error);

} // namespace deckshift::formats
