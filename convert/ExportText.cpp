#include "convert/ExportText.h"

#include "formats/TrackTags.h"
#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <array>
#include <utility>

namespace deckshift::convert {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD
constexpr std::string_view kUriPrefix = "file://localhost/";

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

void appendPercent(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = settings::upperAscii(c);
    return out;
}

} // namespace

void appendXmlEscaped(std::string& out, std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            ++pos;
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F)
                    out += kReplacement;
                else
                    out += c;
            }
            continue;
        }
        const std::size_t start = pos;
        const auto code = settings::decodeUtf8(text, pos);
        if (!code) {
            out += kReplacement;
            ++pos;
        } else if (!isXmlChar(*code)) {
            out += kReplacement;
        } else {
            out.append(text.substr(start, pos - start));
        }
    }
}

std::string textToUtf8(std::string_view text) {
    if (settings::isValidUtf8(text))
        return std::string(text);
    return settings::codePageToUtf8(text);
}

bool holdsControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

bool isAbsoluteTrackPath(std::string_view path) {
    if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' &&
        (path[2] == '\\' || path[2] == '/'))
        return true;
#ifdef _WIN32
    return false;
#else
    return path.size() >= 2 && path[0] == '/' && path[1] != '/';
#endif
}

std::string fileUri(std::string_view path) {
    const bool windowsForm = settings::isWindowsForm(path);
    std::string out(kUriPrefix);
    out.reserve(out.size() + path.size() + 16);
    std::size_t i = 0;
    if (windowsForm) {
        out += path[0];
        out += ':';
        i = 2;
    } else if (!path.empty() && path.front() == '/') {
        i = 1; // the prefix ends with the root's "/"
    }
    for (; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '/' || (c == '\\' && windowsForm))
            out += '/';
        else if (isUnreserved(c))
            out += c;
        else
            appendPercent(out, static_cast<unsigned char>(c));
    }
    return out;
}

std::optional<std::string> pathFromFileUri(std::string_view uri) {
    if (!uri.starts_with(kUriPrefix))
        return std::nullopt;
    uri.remove_prefix(kUriPrefix.size());
    std::string path;
    const bool windowsForm = uri.size() >= 2 && isDriveLetter(uri[0]) && uri[1] == ':';
    if (!windowsForm)
        path += '/';
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] != '%') {
            path += uri[i];
            continue;
        }
        if (i + 2 >= uri.size())
            return std::nullopt;
        const int high = settings::hexDigit(uri[i + 1]);
        const int low = settings::hexDigit(uri[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

TraktorLocation traktorLocation(std::string_view path, std::string_view nativeVolume) {
    TraktorLocation location;
    const bool windowsForm = settings::isWindowsForm(path);
    std::string_view rest = path;
    if (windowsForm) {
        location.volume = std::string(path.substr(0, 2));
        rest.remove_prefix(2);
    } else {
        location.volume = std::string(nativeVolume);
    }
    location.directory = "/:";
    const auto isSeparator = [&](char c) { return c == '/' || (windowsForm && c == '\\'); };
    std::size_t start = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSeparator(rest[i]))
            continue;
        const auto component = rest.substr(start, i - start);
        start = i + 1;
        if (i == rest.size()) {
            location.file = std::string(component);
        } else if (!component.empty()) {
            location.directory += component;
            location.directory += "/:";
        }
    }
    return location;
}

std::string_view fileNameOf(std::string_view path) {
    const auto sep = settings::lastSeparator(path);
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string directoryOf(std::string_view path) {
    const auto sep = settings::lastSeparator(path);
    if (sep == std::string_view::npos)
        return ".";
    // A file in a root directory keeps the root's separator.
    return std::string(path.substr(0, sep == 0 || (sep == 2 && path[1] == ':') ? sep + 1 : sep));
}

std::string fileKind(std::string_view path) {
    const auto name = fileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return "File";
    const std::string extension = upperAscii(name.substr(dot + 1));
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kKinds = {{
        {"MP3", "MP3 File"},
        {"WAV", "WAV File"},
        {"AIF", "AIFF File"},
        {"AIFF", "AIFF File"},
        {"M4A", "M4A File"},
        {"FLAC", "FLAC File"},
        {"WAVE", "WAV File"},
    }};
    for (const auto& [ext, kind] : kKinds)
        if (extension == ext)
            return std::string(kind);
    return extension + " File";
}

NameFromFile nameFromFile(std::string_view path) {
    std::string_view name = fileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    const auto dash = name.find(" - ");
    if (dash == std::string_view::npos)
        return {std::string(name), {}};
    return {std::string(name.substr(dash + 3)), std::string(name.substr(0, dash))};
}

TrackDetails trackDetails(std::string_view path, bool readTags) {
    TrackDetails details;
    if (readTags) {
        if (auto tags = formats::readTrackTags(settings::toFsPath(path))) {
            details.title = std::move(tags->title);
            details.artist = std::move(tags->artist);
            details.album = std::move(tags->album);
            details.genre = std::move(tags->genre);
            details.seconds = tags->seconds;
            details.kbps = tags->kbps;
        }
    }
    if (details.title.empty() || details.artist.empty()) {
        auto named = nameFromFile(textToUtf8(path));
        if (details.title.empty())
            details.title = std::move(named.title);
        if (details.artist.empty())
            details.artist = std::move(named.artist);
    }
    return details;
}

std::string playlistUuid(std::string_view group, std::uint64_t groupPosition,
                         std::string_view playlist, std::uint64_t playlistPosition) {
    // FNV-1a over the names and positions; the positions themselves make the digits unique.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&](std::string_view bytes) {
        for (char c : bytes) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001b3ull;
        }
        hash ^= 0xFF; // ends each field, so that "ab"+"c" and "a"+"bc" differ
        hash *= 0x100000001b3ull;
    };
    mix(group);
    mix(std::to_string(groupPosition));
    mix(playlist);
    mix(std::to_string(playlistPosition));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    const auto appendHex = [&](std::uint64_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            out += kHex[(value >> shift) & 0xF];
    };
    appendHex(hash, 16);
    appendHex(groupPosition & 0xFFFFFFFFu, 8);
    appendHex(playlistPosition & 0xFFFFFFFFu, 8);
    return out;
}

} // namespace deckshift::convert
