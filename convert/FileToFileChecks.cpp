#include "convert/FileToFileChecks.h"

#include "formats/M3uEncoding.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"

namespace deckshift::convert {

std::optional<std::string> refuseNonVrmPlaylist(const std::string& path) {
    try {
        formats::TextFileReader reader(path, settings::toFsPath(path), formats::kVrmLineEnds);
        std::string line;
        while (reader.next(line)) {
            if (!reader.lines().lastLineTooLong() && formats::isVrmSignLine(line))
                return std::nullopt;
        }
    } catch (const formats::FileError&) {
        return std::nullopt;
    }
    return "The file \"" + path +
           "\" is not a PCDJ FX VRM playlist: it holds no <smil> line and no media line. Please "
           "choose a VRM playlist. Nothing was written.";
}

std::optional<std::string> refuseNonM3uPlaylist(const std::string& path) {
    try {
        formats::FileSource source(path, settings::toFsPath(path));
        if (!formats::mostlyNulBytes(source))
            return std::nullopt;
    } catch (const formats::FileError&) {
        return std::nullopt;
    }
    return "The file \"" + path +
           "\" is not an M3U playlist: a third or more of its bytes are NUL bytes, as in a "
           "binary file or in text in UTF-16 without a byte-order mark. Please choose an M3U "
           "playlist (a UTF-16 one needs its byte-order mark). Nothing was written.";
}

} // namespace deckshift::convert
