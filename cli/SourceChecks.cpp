#include "cli/CliSupport.h"

#include "settings/Paths.h"

#include <filesystem>
#include <system_error>

namespace deckshift::cli {

bool refuseOutputFile(Context& context, const std::string& output) {
    std::error_code ec;
    const auto status = std::filesystem::status(settings::toFsPath(output), ec);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return false;
    context.err << "The output directory \"" << shown(output)
                << "\" is a file, not a directory. Please name a directory. Nothing was written.\n";
    return true;
}

} // namespace deckshift::cli
