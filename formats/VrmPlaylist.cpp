#include "formats/VrmPlaylist.h"

#include "formats/SafeNames.h"
#include "formats/XmlText.h"

namespace deckshift::formats {

void appendMediaLines(std::string& out, std::string_view path) {
    constexpr std::string_view kOpen = "\"";
    constexpr std::string_view kClose = "\">\r\n";
    out += kMediaPrefix;
    out += kOpen;
    appendXmlEscaped(out, path);
    out += kClose;
    out += kMediaEnd;
    out += "\r\n";
}

bool isMediaLine(std::string_view line) {
    return line.starts_with(kMediaPrefix);
}

bool isVrmSignLine(std::string_view line) {
    return line == kVrmHead[1] || isMediaLine(line);
}

namespace {

/// The attribute value of a media line as written, before its references are decoded.
std::optional<std::string_view> rawMediaPath(std::string_view line) {
    if (!isMediaLine(line) || line.size() < 23)
        return std::nullopt;
    const std::size_t end = line.size() >= 24 && line.ends_with("\"/>") ? 3 : 2;
    return line.substr(21, line.size() - 21 - end);
}

} // namespace

std::optional<std::string> mediaLinePath(std::string_view line, char32_t* unheld) {
    std::string path;
    if (!mediaLinePath(line, path, unheld))
        return std::nullopt;
    return path;
}

bool mediaLinePath(std::string_view line, std::string& path, char32_t* unheld) {
    const auto raw = rawMediaPath(line);
    if (!raw)
        return false;
    decodeXmlText(*raw, path, unheld);
    return true;
}

bool mediaLinePath(std::string_view line, std::string_view& path, std::string& storage,
                   char32_t* unheld) {
    const auto raw = rawMediaPath(line);
    if (!raw)
        return false;
    if (raw->find('&') == std::string_view::npos) {
        path = *raw;
        return true;
    }
    decodeXmlText(*raw, storage, unheld);
    path = storage;
    return true;
}

VrmWriter::VrmWriter(std::string displayPath, std::filesystem::path fsTarget, FilePlan* dryRun,
                     AtomicFile::Durability durability)
    : m_out(std::move(displayPath), std::move(fsTarget), dryRun, durability) {
    for (auto line : kVrmHead)
        m_out.writeLine(line);
}

void VrmWriter::addTrack(std::string_view path) {
    appendMediaLines(m_out.buffer(), path);
    m_out.appended();
}

void VrmWriter::commit() {
    for (auto line : kVrmTail)
        m_out.writeLine(line);
    m_out.commit();
}

std::string playlistName(std::string_view subgroupName) {
    return safeNameCharacters(subgroupName);
}

} // namespace deckshift::formats
