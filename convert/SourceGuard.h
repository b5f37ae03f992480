#pragma once
// Checks shared by the conversions that read one file and write another.

#include "settings/Paths.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace deckshift::convert {

/// True when writing `output` would replace `source`: both name the same existing file, whatever
/// the spelling (letter case on a case-insensitive file system, links, "." components).
inline bool sameExistingFile(std::string_view source, std::string_view output) {
    std::error_code ec;
    const auto fsSource = settings::toFsPath(source);
    const auto fsOutput = settings::toFsPath(output);
    if (!std::filesystem::exists(fsSource, ec) || !std::filesystem::exists(fsOutput, ec))
        return false;
    const bool same = std::filesystem::equivalent(fsSource, fsOutput, ec);
    return !ec && same;
}

/// True when `path` names an existing directory.
inline bool isExistingDirectory(std::string_view path) {
    std::error_code ec;
    return std::filesystem::is_directory(settings::toFsPath(path), ec);
}

} // namespace deckshift::convert
