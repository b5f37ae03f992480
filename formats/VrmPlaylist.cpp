#include "formats/VrmPlaylist.h"

namespace deckshift::formats {

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
    std::string path;
    if (!mediaLinePath(line, path))
        return std::nullopt;
    return path;
}

bool mediaLinePath(std::string_view line, std::string& path) {
    if (!isMediaLine(line) || line.size() < 23)
        return false;
    const std::string_view raw = line.substr(21, line.size() - 23);
    // "&apos;" becomes "'" and then "&amp;" becomes "&". Neither entity holds another "&", and an
    // apostrophe put in cannot make a new "&amp;", so one pass from left to right that takes
    // either entity where an "&" starts gives the same text as the two replacements in turn.
    path.clear();
    std::size_t start = 0;
    for (auto amp = raw.find('&'); amp != std::string_view::npos; amp = raw.find('&', start)) {
        path.append(raw.data() + start, amp - start);
        const std::string_view at = raw.substr(amp);
        if (at.starts_with("&apos;")) {
            path += '\'';
            start = amp + 6;
        } else if (at.starts_with("&amp;")) {
            path += '&';
            start = amp + 5;
        } else {
            path += '&';
            start = amp + 1;
        }
    }
    path.append(raw.data() + start, raw.size() - start);
    return true;
}

bool mediaLinePath(std::string_view line, std::string_view& path, std::string& storage) {
    if (!isMediaLine(line) || line.size() < 23)
        return false;
    const std::string_view raw = line.substr(21, line.size() - 23);
    if (raw.find('&') == std::string_view::npos) {
        path = raw;
        return true;
    }
    mediaLinePath(line, storage);
    path = storage;
    return true;
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
