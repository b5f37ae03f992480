#pragma once
// Checks shared by the conversions that read one file and write another.

#include "settings/Paths.h"

#include <filesystem>
#include <optional>
#include <string>
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

/// Why a run that reads the file `sourcePath` (`sourceName` in its directory) and writes
/// `outputPath` into `outputDirectory` must not start: no source chosen, no output directory, an
/// output directory that does not exist, or an output that would replace its own source.
/// `sourceKind` names the source in the message ("M3U playlist").
inline std::optional<std::string> refuseFileToFile(std::string_view sourceKind,
                                                   std::string_view sourceName,
                                                   std::string_view outputDirectory,
                                                   std::string_view sourcePath,
                                                   std::string_view outputPath) {
    if (sourceName.empty())
        return "No " + std::string(sourceKind) + " is chosen. Please select one.";
    if (outputDirectory.empty())
        return std::string("No output directory is chosen. Please select one.");
    if (!settings::isExistingDirectory(outputDirectory))
        return "The output directory \"" + std::string(outputDirectory) +
               "\" does not exist. Nothing was written.";
    if (sameExistingFile(sourcePath, outputPath))
        return "The output file \"" + std::string(outputPath) +
               "\" would replace the playlist it is made from. Nothing was written.";
    return std::nullopt;
}

/// Why the file `path` must not be read as a VRM playlist: it holds no "<smil>" line and no media
/// line, so that whatever it is (an M3U playlist, a group file), converting it would write an
/// empty playlist in place of the user's. nullopt for a VRM playlist, and for a file that cannot
/// be read (the conversion reports that itself).
std::optional<std::string> refuseNonVrmPlaylist(const std::string& path);

/// Why the file `path` must not be read as an M3U playlist: a third or more of its first 64 KiB
/// are NUL bytes (formats::mostlyNulBytes()), as in a binary file or text in UTF-16 without a
/// byte-order mark. nullopt for any other file, and for one that cannot be read.
std::optional<std::string> refuseNonM3uPlaylist(const std::string& path);

} // namespace deckshift::convert
