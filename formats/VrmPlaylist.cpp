#include "formats/VrmPlaylist.h"

#include <cstring>

namespace deckshift::formats {

void appendMediaLines(std::string& out, std::string_view path) {
    constexpr std::string_view kOpen = "\"";
    constexpr std::string_view kClose = "\">\r\n";
    constexpr std::string_view kAmp = "&amp;";
    std::size_t amps = 0;
    for (auto amp = path.find('&'); amp != std::string_view::npos; amp = path.find('&', amp + 1))
        ++amps;
    // Sized once and filled in place: two lines per track add up over a large playlist.
    const std::size_t at = out.size();
    out.resize(at + kMediaPrefix.size() + kOpen.size() + path.size() + amps * (kAmp.size() - 1) +
               kClose.size() + kMediaEnd.size() + 2);
    char* p = out.data() + at;
    auto put = [&p](std::string_view piece) {
        if (!piece.empty())
            std::memcpy(p, piece.data(), piece.size());
        p += piece.size();
    };
    put(kMediaPrefix);
    put(kOpen);
    if (amps == 0) {
        put(path);
    } else {
        std::string_view::size_type start = 0;
        for (auto amp = path.find('&'); amp != std::string_view::npos;
             amp = path.find('&', start)) {
            put(path.substr(start, amp - start));
            put(kAmp);
            start = amp + 1;
        }
        put(path.substr(start));
    }
    put(kClose);
    put(kMediaEnd);
    put("\r\n");
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
