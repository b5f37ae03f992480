#include "cli/CliSupport.h"

#include "settings/Paths.h"

#include <algorithm>

namespace deckshift::cli {

std::string typedPath(std::string path) {
    if (settings::isWindowsForm(path))
        std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::pair<std::string, std::string> splitSourcePath(const std::string& source) {
    // Outside Windows a native path is cut at "/" only: "\" is an ordinary character of a name.
    const auto cut = settings::lastSeparator(source);
    if (cut == std::string::npos)
        return {".", source};
    std::string dir = source.substr(0, cut);
    if (dir.empty() || (dir.size() == 2 && dir[1] == ':'))
        dir = source.substr(0, cut + 1);
    return {dir, source.substr(cut + 1)};
}

} // namespace deckshift::cli
