#include "formats/VrmPlaylist.h"

namespace deckshift::formats {

namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::string::size_type pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
}

} // namespace

std::string escapeAmpersands(std::string_view path) {
    std::string out;
    out.reserve(path.size() + 8);
    for (char c : path) {
        if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

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

bool isMediaLine(std::string_view line) { return line.starts_with(kMediaPrefix); }

std::optional<std::string> mediaLinePath(std::string_view line) {
    if (!isMediaLine(line) || line.size() < 23)
        return std::nullopt;
    std::string path(line.substr(21, line.size() - 23));
    if (path.find('&') != std::string::npos) {
        replaceAll(path, "&apos;", "'");
        replaceAll(path, "&amp;", "&");
    }
    return path;
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
