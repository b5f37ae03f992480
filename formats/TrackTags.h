#pragma once
// A track's details from its audio file: the tags and the audio properties, read with TagLib
// where the build has it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace deckshift::formats {

struct TrackTags {
    std::string title; ///< UTF-8; empty where the file has none
    std::string artist;
    std::string album;
    std::string genre;
    std::uint32_t seconds = 0; ///< the playing time, whole seconds; 0 when unknown
    std::uint32_t kbps = 0;    ///< the bit rate in kbit/s; 0 when unknown
};

/// True when this build reads tags (it was made with TagLib).
bool trackTagsAvailable();

/// The details of the audio file at `file`; nullopt when it cannot be read as one (or this build
/// reads no tags).
std::optional<TrackTags> readTrackTags(const std::filesystem::path& file);

} // namespace deckshift::formats
