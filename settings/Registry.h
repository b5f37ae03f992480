#pragma once
// Reading the DJ applications' settings from the registry.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace deckshift::settings {

inline constexpr std::int32_t kHkeyCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002u);

/// The PCDJ FX RecordCase directory (ends in "\").
inline constexpr std::string_view kFxRcKey = "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG";
inline constexpr std::string_view kFxRcValue = "CONFIG_RC_PATH";
/// The PCDJ RED group directory.
inline constexpr std::string_view kRedGroupKey = "Software\\Visiosonic\\PCDJ RED\\Directory";
inline constexpr std::string_view kRedGroupValue = "Grouppath";

/// A registry that exists but cannot be read (a Wine .reg file that cannot be opened or read):
/// `what()` names the file and the reason.
class RegistryUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads one string value given hive, key path and value name. Returns nullopt when the value
/// does not exist or is not a string; throws RegistryUnreadable when the registry holding it
/// cannot be read.
class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    virtual std::optional<std::string> read(std::int32_t hive, std::string_view keyPath,
                                            std::string_view valueName) const = 0;
};

/// The registry of this platform: the Win32 registry on Windows, the Wine prefix's .reg files
/// elsewhere (see WineRegistry.h).
const RegistryReader& systemRegistry();

/// A reader that answers every lookup with one fixed value; used for an RC directory given on the
/// command line in place of the registry setting.
class FixedRegistryReader final : public RegistryReader {
public:
    explicit FixedRegistryReader(std::optional<std::string> value) : m_value(std::move(value)) {}
    std::optional<std::string> read(std::int32_t, std::string_view,
                                    std::string_view) const override {
        return m_value;
    }

private:
    std::optional<std::string> m_value;
};

/// Looks up one value. Returns the found flag; when found, `value` holds the value's data as text.
/// When not found, `value` keeps what it held.
bool QueryRegistryValue(const RegistryReader& reader, std::int32_t hive, std::string_view keyPath,
                        std::string_view valueName, std::string& value);
/// The same on the system registry.
bool QueryRegistryValue(std::int32_t hive, std::string_view keyPath, std::string_view valueName,
                        std::string& value);

/// Replaces every pair of backslashes by one, left to right in one pass that does not rescan its
/// output: four in a row become two, three become two.
std::string normalizeBackslashes(std::string_view path);

/// The presence test: `path` used as a file-name pattern must list at least one ordinary file.
/// A directory path ending in a separator passes when the directory exists and holds an ordinary
/// file; an empty directory, a directory path without a trailing separator and an empty value
/// fail.
bool presenceTest(std::string_view path);

} // namespace deckshift::settings
