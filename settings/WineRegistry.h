#pragma once
// The registry of a Wine prefix, read from the .reg files that Wine writes: system.reg for
// HKEY_LOCAL_MACHINE and user.reg for HKEY_CURRENT_USER.

#include "settings/Registry.h"

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace deckshift::settings {

/// Finds one string value in the text of a Wine .reg file. Key paths and value names are compared
/// without regard to letter case, as the registry does. Wine's escapes are decoded; characters
/// above 0x7F come back in the Windows ANSI code page (1252), "?" where it has none. String
/// values ("..." and str(2):"...") are found; other types give nullopt. Reads the stream line by
/// line without holding the file.
std::optional<std::string> findWineRegValue(std::istream& reg, std::string_view keyPath,
                                            std::string_view valueName);

/// Decodes the inside of a quoted Wine string (between the quotes), in UTF-16 code units.
std::u16string decodeWineString(std::string_view escaped);

/// Reads values from the .reg files of the prefix `prefix`. A key under "Software" that is absent
/// is looked up again under "Software\Wow6432Node", where a 32-bit application's settings live on
/// a 64-bit prefix.
class WineRegistryReader final : public RegistryReader {
public:
    /// `prefix`: the prefix directory; nullopt reads the prefix of winePrefix() at each lookup.
    explicit WineRegistryReader(std::optional<std::filesystem::path> prefix = std::nullopt)
        : m_prefix(std::move(prefix)) {}
    std::optional<std::string> read(std::int32_t hive, std::string_view keyPath,
                                    std::string_view valueName) const override;

private:
    std::optional<std::filesystem::path> m_prefix;
};

#ifdef _WIN32
/// The Win32 registry, read through RegOpenKeyExA / RegQueryValueExA (the ANSI code page), with the
/// same Wow6432Node fallback as the Wine reader.
class Win32RegistryReader final : public RegistryReader {
public:
    std::optional<std::string> read(std::int32_t hive, std::string_view keyPath,
                                    std::string_view valueName) const override;
};
#endif

} // namespace deckshift::settings
