// The Wine .reg reader. An input holding two NUL bytes gives the key path and the value name
// before them and the .reg text after; otherwise the whole input is the text, searched for the
// PCDJ FX RC setting.

#include "FuzzSupport.h"
#include "settings/CodePage.h"
#include "settings/WineRegistry.h"

#include <sstream>

using namespace deckshift;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string key = "Software\\Visiosonic\\PCDJ FX\\7.0\\CFG";
    std::string name = "CONFIG_RC_PATH";
    std::string text = bytes;
    const auto first = bytes.find('\0');
    const auto second = first == std::string::npos ? first : bytes.find('\0', first + 1);
    if (second != std::string::npos) {
        key = bytes.substr(0, first);
        name = bytes.substr(first + 1, second - first - 1);
        text = bytes.substr(second + 1);
    }
    std::istringstream reg(text);
    (void)settings::findWineRegValue(reg, key, name);

    // The string decoder on its own, and the code page conversion of what it gives.
    const auto decoded = settings::decodeWineString(bytes);
    const auto ansi = settings::toAnsi1252(decoded);
    FUZZ_CHECK(ansi.size() <= decoded.size());
    return 0;
}
