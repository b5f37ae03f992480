#include "formats/GroupListXml.h"

#ifdef DECKSHIFT_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace deckshift::formats {

#ifdef DECKSHIFT_HAVE_PUGIXML

bool groupListXmlAvailable() {
    return true;
}

std::optional<std::vector<ListedGroup>> readGroupListXml(const std::string& bytes,
                                                         std::string& error) {
    pugi::xml_document doc;
    // Taken as UTF-8 so that no byte is converted: the list is in the 8-bit code page, which its
    // declaration may or may not say. pugixml leaves an "&" that starts no reference as it is.
    const auto parsed =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        error = std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset);
        return std::nullopt;
    }
    const auto root = doc.child("Groups");
    if (!root) {
        error = "it has no Groups element";
        return std::nullopt;
    }
    std::vector<ListedGroup> groups;
    for (const auto& group : root.children("Group")) {
        ListedGroup listed{group.attribute("Name").value(), {}};
        for (const auto& sub : group.children("SubGroup"))
            listed.subgroups.push_back(
                {sub.attribute("Name").value(), sub.attribute("src").value()});
        groups.push_back(std::move(listed));
    }
    return groups;
}

#else

bool groupListXmlAvailable() {
    return false;
}

std::optional<std::vector<ListedGroup>> readGroupListXml(const std::string&, std::string& error) {
    error = "this build reads no XML (it was made without pugixml)";
    return std::nullopt;
}

#endif

} // namespace deckshift::formats
