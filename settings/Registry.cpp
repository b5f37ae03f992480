#include "settings/Registry.h"

#include "settings/Paths.h"
#include "settings/WineRegistry.h"

namespace deckshift::settings {

const RegistryReader& systemRegistry() {
#ifdef _WIN32
    static const Win32RegistryReader reader;
#else
    // The prefix is looked up again at each read, so that a changed WINEPREFIX takes effect.
    static const WineRegistryReader reader;
#endif
    return reader;
}

bool QueryRegistryValue(const RegistryReader& reader, std::int32_t hive, std::string_view keyPath,
                        std::string_view valueName, std::string& value) {
    auto found = reader.read(hive, keyPath, valueName);
    if (!found)
        return false;
    value = std::move(*found);
    return true;
}

bool QueryRegistryValue(std::int32_t hive, std::string_view keyPath, std::string_view valueName,
                        std::string& value) {
    return QueryRegistryValue(systemRegistry(), hive, keyPath, valueName, value);
}

std::string normalizeBackslashes(std::string_view path) {
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        out += path[i];
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\')
            ++i;
    }
    return out;
}

bool presenceTest(std::string_view path) {
    if (path.empty())
        return false;
    const bool windowsForm = isWindowsForm(path);
    // The value is a file-name pattern: a directory ending in a separator lists all its files,
    // otherwise the last component is matched against the files of the directory above it.
    const std::size_t separator = lastSeparator(path);
    const std::size_t cut = separator == std::string_view::npos ? 0 : separator + 1;
    std::string directory;
    std::string_view pattern;
    if (cut > 0) {
        directory = std::string(path.substr(0, cut));
        pattern = path.substr(cut);
    } else if (windowsForm) {
        // "C:name": the name on the drive's root.
        directory = std::string(path.substr(0, 2)) + '\\';
        pattern = path.substr(2);
    } else {
        directory = ".";
        pattern = path;
    }
    if (pattern.empty())
        pattern = "*";
    return !listFiles(directory, pattern).empty();
}

} // namespace deckshift::settings
