#include "formats/SafeNames.h"

namespace deckshift::formats {

namespace {

bool unsafeCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F ||
           std::string_view("/\\?:<>|\"*").find(c) != std::string_view::npos;
}

char upper(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z')
        return static_cast<char>(byte - 0x20);
    // Windows-1252: à-þ (less ÷) above À-Þ, and the four letters of 0x80-0x9F.
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<char>(byte - 0x20);
    switch (byte) {
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return static_cast<char>(byte - 0x10);
    case 0xFF: // ÿ
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

bool equalsUpper(std::string_view text, std::string_view upperWord) {
    if (text.size() != upperWord.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (upper(text[i]) != upperWord[i])
            return false;
    }
    return true;
}

/// Whether `stem` (a name up to its first dot) names a device on Windows.
bool deviceName(std::string_view stem) {
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
        if (equalsUpper(stem, device))
            return true;
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
        return equalsUpper(stem.substr(0, 3), "COM") || equalsUpper(stem.substr(0, 3), "LPT");
    return false;
}

} // namespace

std::string safeNameCharacters(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (unsafeCharacter(c))
            c = '-';
    }
    return out;
}

std::string safeFileName(std::string_view name) {
    std::string out = safeNameCharacters(name);
    if (out.empty())
        return "-";
    for (auto it = out.rbegin(); it != out.rend() && (*it == '.' || *it == ' '); ++it)
        *it = '-';
    const std::size_t dot = out.find('.');
    std::string_view stem = std::string_view(out).substr(0, dot);
    // Windows drops the blanks before the dot too: "CON .x" is CON.
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    if (deviceName(stem))
        out.insert(stem.size(), 1, '-');
    return out;
}

std::string fileNameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = upper(c);
    return key;
}

} // namespace deckshift::formats
