#include "convert/FileToFileChecks.h"

#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"

namespace deckshift::convert {

std::optional<std::string> refuseNonVrmPlaylist(const std::string& path) {
    try {
        formats::TextFileReader reader(path, settings::toFsPath(path));
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

} // namespace deckshift::convert
