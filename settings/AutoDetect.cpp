#include "settings/AutoDetect.h"

namespace deckshift::settings {

Detection detectDirectory(const RegistryReader& registry, std::int32_t hive,
                          std::string_view keyPath, std::string_view valueName, DetectOrder order) {
    std::string value;
    try {
        if (!QueryRegistryValue(registry, hive, keyPath, valueName, value))
            return {};
    } catch (const RegistryUnreadable& e) {
        // Not found, with the reason kept for those who report it.
        return {Detected::NotFound, {}, e.what()};
    }
    const std::string normalised = normalizeBackslashes(value);
    const bool present =
        presenceTest(order == DetectOrder::TestThenNormalise ? std::string_view(value)
                                                             : std::string_view(normalised));
    if (!present)
        return {Detected::Missing, {}, {}};
    return {Detected::Present, normalised, {}};
}

Detection detectFxRc(DetectOrder order, const RegistryReader& registry) {
    return detectDirectory(registry, kHkeyLocalMachine, kFxRcKey, kFxRcValue, order);
}

Detection detectRedGroups(DetectOrder order, const RegistryReader& registry) {
    return detectDirectory(registry, kHkeyCurrentUser, kRedGroupKey, kRedGroupValue, order);
}

} // namespace deckshift::settings
