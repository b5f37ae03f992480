#pragma once
// Finding the DJ applications' directories through their registry settings, as the pickers and
// the playlist window do when they load.

#include "settings/Registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace deckshift::ui {

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
};

/// Looks the setting up in the system registry and applies the presence test.
Detection detectDirectory(std::int32_t hive, std::string_view keyPath, std::string_view valueName,
                          DetectOrder order);

/// The PCDJ FX RecordCase directory setting.
Detection detectFxRc(DetectOrder order);
/// The PCDJ RED group directory setting.
Detection detectRedGroups(DetectOrder order);

} // namespace deckshift::ui
