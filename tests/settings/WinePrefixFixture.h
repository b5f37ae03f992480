#pragma once
// A Wine prefix laid out as Wine lays it out, below a temporary directory, and made the prefix in
// use through WINEPREFIX for the lifetime of the object.

#include "support/TestSupport.h"

#include <filesystem>
#include <string_view>

namespace deckshift::test {

class WinePrefix {
public:
    WinePrefix() : m_env("WINEPREFIX", m_dir.str()) {
        std::filesystem::create_directories(m_dir / "drive_c");
        std::filesystem::create_directories(m_dir / "dosdevices");
        // Wine links the C: drive relative to dosdevices.
        std::filesystem::create_directory_symlink("../drive_c", m_dir / "dosdevices" / "c:");
    }

    const std::filesystem::path& path() const { return m_dir.path(); }
    std::filesystem::path driveC() const { return m_dir / "drive_c"; }
    std::filesystem::path dosC() const { return m_dir / "dosdevices" / "c:"; }

    void writeSystemReg(std::string_view text) const { writeBytes(m_dir / "system.reg", text); }
    void writeUserReg(std::string_view text) const { writeBytes(m_dir / "user.reg", text); }

private:
    TempDir m_dir;
    ScopedEnv m_env;
};

} // namespace deckshift::test
