#include "formats/VrmPlaylist.h"

namespace deckshift::formats {

namespace {

// Replaces every occurrence of `from`, left to right, without rescanning what was put in.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    std::string_view::size_type start = 0;
    for (auto pos = text.find(from); pos != std::string_view::npos; pos = text.find(from, start)) {
        out.append(text.substr(start, pos - start));
        out.append(to);
        start = pos + from.size();
    }
    out.append(text.substr(start));
    return out;
}

} // namespace

void appendMediaLines(std::string& out, std::string_view path) {
    out += kMediaPrefix;
    out += '"';
    std::string_view::size_type start = 0;
    for (auto amp = path.find('&'); amp != std::string_view::npos; amp = path.find('&', start)) {
        out.append(path.substr(start, amp - start));
        out += "&amp;";
        start = amp + 1;
    }
    out.append(path.substr(start));
    out += "\">\r\n";
    out += kMediaEnd;
    out += "\r\n";
}

bool isMediaLine(std::string_view line) {
    return line.starts_with(kMediaPrefix);
}

bool isVrmSignLine(std::string_view line) {
    return line == kVrmHead[1] || isMediaLine(line);
}

std::optional<std::string> mediaLinePath(std::string_view line) {
    if (!isMediaLine(line) || line.size() < 23)
        return std::nullopt;
    const std::string_view raw = line.substr(21, line.size() - 23);
    if (raw.find('&') == std::string_view::npos)
        return std::string(raw);
    return replaceAll(replaceAll(raw, "&apos;", "'"), "&amp;", "&");
}

std::string playlistName(std::string_view subgroupName) {
    std::string name(subgroupName);
    for (char& c : name) {
        switch (c) {
        case '/':
        case '\\':
        case '?':
        case ':':
        case '<':
        case '>':
        case '|':
        case '"':
            c = '-';
            break;
        default:
            break;
        }
    }
    return name;
}

} // namespace deckshift::formats
