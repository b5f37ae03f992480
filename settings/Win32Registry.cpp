#ifdef _WIN32

#include "settings/Paths.h"
#include "settings/WineRegistry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <vector>

namespace deckshift::settings {

namespace {

/// Closes a registry key when it goes.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool openKey(HKEY root, const std::string& path, KeyHandle& key) {
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.out()) ==
        ERROR_SUCCESS)
        return true;
    *key.out() = nullptr;
    return false;
}

std::optional<std::string> queryString(HKEY key, const std::string& valueName) {
    std::vector<char> buffer(256);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<LPBYTE>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA) {
            // The value may grow between the two calls; ask again with the size it gave.
            buffer.resize(static_cast<std::size_t>(size) + 2);
            continue;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::string value(buffer.data(), std::min<std::size_t>(size, buffer.size()));
        while (!value.empty() && value.back() == '\0')
            value.pop_back();
        return value;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> Win32RegistryReader::read(std::int32_t hive, std::string_view keyPath,
                                                     std::string_view valueName) const {
    HKEY root = nullptr;
    if (hive == kHkeyLocalMachine)
        root = HKEY_LOCAL_MACHINE;
    else if (hive == kHkeyCurrentUser)
        root = HKEY_CURRENT_USER;
    else
        return std::nullopt;

    KeyHandle key;
    if (!openKey(root, std::string(keyPath), key)) {
        // A 32-bit application's settings live below Wow6432Node on a 64-bit system.
        constexpr std::string_view kSoftware = "Software\\";
        if (!startsWithIgnoringCase(keyPath, kSoftware) ||
            startsWithIgnoringCase(keyPath.substr(kSoftware.size()), "Wow6432Node\\"))
            return std::nullopt;
        std::string redirected(kSoftware);
        redirected += "Wow6432Node\\";
        redirected += keyPath.substr(kSoftware.size());
        if (!openKey(root, redirected, key))
            return std::nullopt;
    }
    return queryString(key.get(), std::string(valueName));
}

} // namespace deckshift::settings

#endif // _WIN32
