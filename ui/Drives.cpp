#include "ui/Drives.h"

#include "settings/Paths.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::ui {

namespace {

using settings::lowerAscii;
using settings::upperAscii;

bool isDriveName(std::string_view name) {
    return name.size() == 2 && name[1] == ':' && lowerAscii(name[0]) >= 'a' &&
           lowerAscii(name[0]) <= 'z';
}

bool isSep(char c, std::string_view directory) {
    return settings::isSeparator(c, settings::isWindowsForm(directory));
}

} // namespace

std::vector<std::string> availableDrives() {
    std::vector<std::string> drives;
#ifdef _WIN32
    for (const QFileInfo& info : QDir::drives()) {
        const QString root = info.absolutePath();
        if (root.size() >= 2 && root.at(1) == QLatin1Char(':'))
            drives.push_back(
                std::string{lowerAscii(static_cast<char>(root.at(0).toLatin1())), ':'});
    }
#else
    if (const auto prefix = settings::winePrefix()) {
        for (const auto& drive : settings::wineDrives(*prefix))
            drives.push_back(drive.first);
    }
#endif
    if (drives.empty())
        drives.emplace_back(settings::winePrefix() ? "c:" : "/");
    return drives;
}

std::string driveOf(std::string_view directory) {
    if (settings::isWindowsForm(directory))
        return std::string{lowerAscii(directory[0]), ':'};
    return "/";
}

bool sameDrive(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty())
        return false;
    if (isDriveName(a.substr(0, std::min<std::size_t>(a.size(), 2))) &&
        isDriveName(b.substr(0, std::min<std::size_t>(b.size(), 2))))
        return lowerAscii(a[0]) == lowerAscii(b[0]);
    return a == b;
}

std::string startDirectory() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
#ifdef _WIN32
    // Path strings are in the ANSI code page on Windows; fs::path::string() would give UTF-8 with
    // MinGW's library.
    (void)cwd;
    const QByteArray here = QDir::toNativeSeparators(QDir::currentPath()).toLocal8Bit();
    return normalizeDirectory(ec || here.isEmpty() ? std::string("C:\\") : here.toStdString());
#else
    if (ec)
        return fallbackRoot();
    // Names on disk are UTF-8; the lists carry them in the code page.
    const auto here = settings::programName(cwd.native());
    if (!here)
        return fallbackRoot();
    if (!settings::winePrefix())
        return normalizeDirectory(*here);
    // Written through the drive that holds it most closely (c: inside the prefix before z: at
    // "/").
    if (auto windows = settings::windowsFormThroughWine(*here))
        return *windows;
    return fallbackRoot();
#endif
}

std::string currentDirectoryOf(std::string_view drive) {
    const std::string start = startDirectory();
    if (sameDrive(driveOf(start), drive))
        return start;
    if (isDriveName(drive.substr(0, std::min<std::size_t>(drive.size(), 2))))
        return std::string{upperAscii(drive[0]), ':', '\\'};
    return "/";
}

std::string fallbackRoot() {
#ifdef _WIN32
    return "C:\\";
#else
    return settings::winePrefix() ? "C:\\" : "/";
#endif
}

std::string normalizeDirectory(std::string_view directory) {
    std::string path(directory);
    if (isDriveName(path))
        return path + '\\';
    const std::size_t rootLength = settings::isWindowsForm(path) ? 3 : 1;
    while (path.size() > rootLength && isSep(path.back(), path))
        path.pop_back();
    return path;
}

bool isRootDirectory(std::string_view directory) {
    if (settings::isWindowsForm(directory))
        return directory.size() <= 3;
    return directory == "/";
}

std::string parentDirectory(std::string_view directory) {
    if (isRootDirectory(directory))
        return {};
    const std::size_t separator = settings::lastSeparator(directory);
    if (separator == std::string_view::npos)
        return {};
    const std::size_t cut = separator + 1;
    return normalizeDirectory(directory.substr(0, cut));
}

std::string childDirectory(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (path.empty() || !isSep(path.back(), directory))
        path += settings::separatorFor(directory);
    path += name;
    return path;
}

std::string directoryName(std::string_view directory) {
    if (isRootDirectory(directory)) {
        if (settings::isWindowsForm(directory))
            return std::string{lowerAscii(directory[0]), ':', '\\'};
        return std::string(directory);
    }
    const std::size_t separator = settings::lastSeparator(directory);
    return std::string(directory.substr(separator == std::string_view::npos ? 0 : separator + 1));
}

} // namespace deckshift::ui
