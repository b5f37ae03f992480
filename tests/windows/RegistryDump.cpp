// Prints what the system registry gives for the settings of the DJ applications, one line each:
// a name, the found flag, and the value's bytes in hex. Built for Windows, where it reads the
// Win32 registry, and for Linux, where it reads the .reg files of the Wine prefix in WINEPREFIX,
// so that the two readers can be compared on one prefix.

#include "settings/Registry.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

using namespace deckshift::settings;

struct Lookup {
    const char* name;
    std::int32_t hive;
    std::string_view keyPath;
    std::string_view valueName;
};

constexpr Lookup kLookups[] = {
    {"fx-rc", kHkeyLocalMachine, kFxRcKey, kFxRcValue},
    {"red-group", kHkeyCurrentUser, kRedGroupKey, kRedGroupValue},
    {"missing-key", kHkeyLocalMachine, "Software\\Visiosonic\\PCDJ FX\\7.0\\NoSuchKey", kFxRcValue},
    {"missing-value", kHkeyCurrentUser, kRedGroupKey, "NoSuchValue"},
};

} // namespace

int main() {
    for (const auto& lookup : kLookups) {
        std::string value;
        const bool found = QueryRegistryValue(lookup.hive, lookup.keyPath, lookup.valueName, value);
        std::printf("%s found=%d", lookup.name, found ? 1 : 0);
        if (found) {
            std::printf(" hex=");
            for (const char c : value)
                std::printf("%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        }
        std::printf("\n");
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
