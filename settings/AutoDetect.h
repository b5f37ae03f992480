#pragma once
// Finding the DJ applications' directories through their registry settings: the lookup, the
// presence test and the backslash normalisation, as the INI-to-VRM run and the windows that start
// in those directories all apply them.

#include "settings/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace deckshift::settings {

/// The message for a setting that names a directory that is not there, where it is shown to the
/// user when a window loads.
inline constexpr std::string_view kMsgRegistryDirMissing =
    "The directory listed in your registry does not exist!";

enum class Detected {
    NotFound, ///< no such setting
    Missing,  ///< found, but the presence test failed
    Present,  ///< found and present; the path is normalised
};

enum class DetectOrder {
    TestThenNormalise, ///< the presence test sees the value as read
    NormaliseThenTest, ///< the presence test sees the value with doubled backslashes made single
};

struct Detection {
    Detected state = Detected::NotFound;
    std::string path; ///< Present: the value with doubled backslashes made single
    /// NotFound because the registry could not be read: the message naming the file and the
    /// reason (empty otherwise).
    std::string unreadable;
};

/// Looks the setting up in `registry` and applies the presence test.
Detection detectDirectory(const RegistryReader& registry, std::int32_t hive,
                          std::string_view keyPath, std::string_view valueName, DetectOrder order);

/// The PCDJ FX RecordCase directory setting.
Detection detectFxRc(DetectOrder order, const RegistryReader& registry = systemRegistry());
/// The PCDJ RED group directory setting.
Detection detectRedGroups(DetectOrder order, const RegistryReader& registry = systemRegistry());

} // namespace deckshift::settings
