#include "formats/TrackTags.h"

#ifdef DECKSHIFT_HAVE_TAGLIB
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tstring.h>
#endif

#include <algorithm>
#include <system_error>

namespace deckshift::formats {

#ifdef DECKSHIFT_HAVE_TAGLIB

bool trackTagsAvailable() {
    return true;
}

std::optional<TrackTags> readTrackTags(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return std::nullopt;
    // TagLib takes the system's own form of a file name (wide characters on Windows).
    const TagLib::FileRef ref(file.c_str(), true, TagLib::AudioProperties::Average);
    if (ref.isNull())
        return std::nullopt;
    TrackTags tags;
    if (const TagLib::Tag* tag = ref.tag()) {
        tags.title = tag->title().to8Bit(true);
        tags.artist = tag->artist().to8Bit(true);
        tags.album = tag->album().to8Bit(true);
        tags.genre = tag->genre().to8Bit(true);
    }
    if (const TagLib::AudioProperties* audio = ref.audioProperties()) {
        tags.seconds = static_cast<std::uint32_t>(std::max(0, audio->lengthInSeconds()));
        tags.kbps = static_cast<std::uint32_t>(std::max(0, audio->bitrate()));
    }
    return tags;
}

#else

bool trackTagsAvailable() {
    return false;
}

std::optional<TrackTags> readTrackTags(const std::filesystem::path&) {
    return std::nullopt;
}

#endif

} // namespace deckshift::formats
