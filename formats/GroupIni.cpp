#include "formats/GroupIni.h"

#include <charconv>
#include <cstring>

namespace deckshift::formats {

bool isGroupFileSecondLine(std::string_view secondLine) {
    return secondLine.starts_with("Track");
}

std::string_view subgroupName(std::string_view headerLine) {
    if (headerLine.size() < 2)
        return {};
    return headerLine.substr(1, headerLine.size() - 2);
}

std::optional<IniEntry> parseEntryLine(std::string_view line) {
    const auto firstBar = line.find('|');
    if (firstBar == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = line.substr(firstBar + 1);
    const auto secondBar = rest.find('|');
    if (secondBar == std::string_view::npos)
        return std::nullopt;
    IniEntry entry;
    entry.fileName = rest.substr(0, secondBar);
    // After the file name's closing "|", one character is skipped whatever it is: the field
    // between the file name and the directory is always written empty.
    rest = rest.substr(secondBar + 1);
    if (rest.empty())
        return std::nullopt;
    rest.remove_prefix(1);
    entry.directory = rest.substr(0, rest.find('|'));
    return entry;
}

std::string headerLine(std::string_view name) {
    std::string line;
    line.reserve(name.size() + 2);
    line += '[';
    line += name;
    line += ']';
    return line;
}

void appendEntryLine(std::string& out, std::uint64_t number, std::string_view fileName,
                     std::string_view directory) {
    constexpr std::string_view kKey = "Track ";
    constexpr std::string_view kFields = "=;;;;;;|";
    char digits[24];
    const auto digitsEnd = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const auto digitCount = static_cast<std::size_t>(digitsEnd - digits);
    // Sized once and filled in place: a line per track adds up over a large group.
    const std::size_t at = out.size();
    out.resize(at + kKey.size() + digitCount + kFields.size() + fileName.size() + 2 +
               directory.size() + 3);
    char* p = out.data() + at;
    auto put = [&p](std::string_view piece) {
        if (!piece.empty())
            std::memcpy(p, piece.data(), piece.size());
        p += piece.size();
    };
    put(kKey);
    put(std::string_view(digits, digitCount));
    put(kFields);
    put(fileName);
    put("||");
    put(directory);
    put("|||");
}

} // namespace deckshift::formats
