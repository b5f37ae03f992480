#include "formats/GroupListXml.h"

#include "formats/TextIO.h"
#include "formats/XmlText.h"
#include "settings/Paths.h"

#include <filesystem>
#include <system_error>

#ifdef DECKSHIFT_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace deckshift::formats {

#ifdef DECKSHIFT_HAVE_PUGIXML

namespace {

/// Counts lines up to growing byte offsets of one text: CR LF, a lone CR and a lone LF each end a
/// line.
class LineOfOffset {
public:
    explicit LineOfOffset(std::string_view text) : m_text(text) {}
    std::uint64_t at(std::size_t offset) {
        for (; m_pos < offset && m_pos < m_text.size(); ++m_pos) {
            const char c = m_text[m_pos];
            if (c == '\r' || (c == '\n' && (m_pos == 0 || m_text[m_pos - 1] != '\r')))
                ++m_line;
        }
        return m_line;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::uint64_t m_line = 1;
};

std::string playlistPath(const std::string& listDirectory, const std::string& src) {
    if (listDirectory.empty() || src.empty())
        return src;
    if (settings::isRootedWithoutDrive(src))
        return settings::isWindowsForm(listDirectory) ? listDirectory.substr(0, 2) + src : src;
    if (settings::isWindowsForm(src) || src.front() == '\\' || src.front() == '/')
        return src;
    return settings::joinPath(listDirectory, src);
}

} // namespace

bool groupListXmlAvailable() {
    return true;
}

std::optional<std::vector<ListedGroup>>
readGroupListXml(const std::string& bytes, std::string& error, const std::string& listDirectory) {
    pugi::xml_document doc;
    // Taken as UTF-8 so that no byte is converted: the list is in the 8-bit code page, which its
    // declaration may or may not say. References are decoded here, into that code page.
    const auto parsed =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default & ~pugi::parse_escapes,
                        pugi::encoding_utf8);
    if (!parsed) {
        error = "cannot be read as XML: " + std::string(parsed.description()) + " at byte " +
                std::to_string(parsed.offset);
        return std::nullopt;
    }
    const auto root = doc.child("Groups");
    if (!root) {
        error = "cannot be read as XML: it has no Groups element";
        return std::nullopt;
    }
    LineOfOffset lines(bytes);
    std::vector<ListedGroup> groups;
    for (const auto& group : root.children("Group")) {
        ListedGroup listed;
        decodeXmlText(group.attribute("Name").value(), listed.name);
        for (const auto& sub : group.children("SubGroup")) {
            ListedSubgroup entry;
            decodeXmlText(sub.attribute("Name").value(), entry.name);
            decodeXmlText(sub.attribute("src").value(), entry.src);
            entry.path = playlistPath(listDirectory, entry.src);
            const auto offset = sub.offset_debug();
            entry.line = offset < 0 ? 0 : lines.at(static_cast<std::size_t>(offset));
            listed.subgroups.push_back(std::move(entry));
        }
        groups.push_back(std::move(listed));
    }
    return groups;
}

#else

bool groupListXmlAvailable() {
    return false;
}

std::optional<std::vector<ListedGroup>> readGroupListXml(const std::string&, std::string& error,
                                                         const std::string&) {
    error = "cannot be read: this build reads no XML (it was made without pugixml)";
    return std::nullopt;
}

#endif

std::optional<std::vector<ListedGroup>> readGroupListFile(const std::string& listPath,
                                                          std::string& error) {
    const auto fsPath = settings::toFsPath(listPath);
    FileSource source(listPath, fsPath);
    const auto tooLarge = [&] {
        error = "is more than " + std::to_string(kMaxGroupListBytes >> 20) +
                " MiB long, more than Deckshift reads";
        return std::nullopt;
    };
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(fsPath, ec); !ec && size > kMaxGroupListBytes)
        return tooLarge();
    std::string bytes;
    bool fits = true;
    readBlocks(source, [&](std::string_view block) {
        // A file grown since, or one that tells no size, is cut off here.
        fits = bytes.size() + block.size() <= kMaxGroupListBytes;
        if (fits)
            bytes.append(block);
        return fits;
    });
    if (!fits)
        return tooLarge();
    const auto cut = settings::lastSeparator(listPath);
    const std::string directory =
        cut == std::string::npos ? std::string() : listPath.substr(0, cut == 0 ? 1 : cut);
    return readGroupListXml(bytes, error, directory);
}

} // namespace deckshift::formats
