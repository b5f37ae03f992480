#include "cli/CliSupport.h"

#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <filesystem>
#include <system_error>

namespace deckshift::cli {

bool refuseOutputFile(Context& context, const std::string& output) {
    std::error_code ec;
    const auto status = std::filesystem::status(settings::toFsPath(output), ec);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return false;
    context.err << "The output directory \"" << output
                << "\" is a file, not a directory. Please name a directory. Nothing was written.\n";
    return true;
}

bool refuseNonVrmSource(Context& context, const std::string& source) {
    try {
        formats::TextFileReader reader(source, settings::toFsPath(source));
        std::string line;
        while (reader.next(line)) {
            if (!reader.lines().lastLineTooLong() && formats::isVrmSignLine(line))
                return false;
        }
    } catch (const formats::FileError&) {
        return false; // the conversion reports it, naming the file and the reason
    }
    context.err << "The file \"" << source
                << "\" is not a PCDJ FX VRM playlist: it holds no <smil> line and no media line. "
                   "Please choose a VRM playlist. Nothing was written.\n";
    return true;
}

} // namespace deckshift::cli
