#include "ui/AutoDetect.h"

namespace deckshift::ui {

Detection detectDirectory(std::int32_t hive, std::string_view keyPath, std::string_view valueName,
                          DetectOrder order) {
    std::string value;
    if (!settings::QueryRegistryValue(hive, keyPath, valueName, value))
        return {};
    const std::string normalised = settings::normalizeBackslashes(value);
    const bool present = settings::presenceTest(
        order == DetectOrder::TestThenNormalise ? std::string_view(value) : normalised);
    if (!present)
        return {Detected::Missing, {}};
    return {Detected::Present, normalised};
}

Detection detectFxRc(DetectOrder order) {
    return detectDirectory(settings::kHkeyLocalMachine, settings::kFxRcKey, settings::kFxRcValue,
                           order);
}

Detection detectRedGroups(DetectOrder order) {
    return detectDirectory(settings::kHkeyCurrentUser, settings::kRedGroupKey,
                           settings::kRedGroupValue, order);
}

} // namespace deckshift::ui
