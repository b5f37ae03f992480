#include "convert/TrackCheck.h"

#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <algorithm>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::convert {

namespace {

bool isRelative(std::string_view path) {
    if (path.empty() || settings::isWindowsForm(path) || path.front() == '\\' ||
        path.front() == '/')
        return false;
    return true;
}

} // namespace

bool trackExists(std::string_view path, std::string_view baseDirectory, bool utf8) {
    if (path.empty())
        return false;
#ifdef _WIN32
    // Windows names files in UTF-16: a UTF-8 path is joined to its directory in UTF-8 and
    // converted from that, not from the ANSI code page.
    std::string base;
    if (utf8) {
        base = settings::codePageToUtf8(baseDirectory);
        baseDirectory = base;
    }
#else
    // Elsewhere names on disk are in UTF-8, which the lookup below takes as it is.
    (void)utf8;
#endif
    std::string lookup;
    if (settings::isRootedWithoutDrive(path)) {
        lookup = settings::isWindowsForm(baseDirectory) ? std::string(baseDirectory.substr(0, 2))
                                                        : std::string("C:");
        lookup += path;
    } else if (isRelative(path) && !baseDirectory.empty()) {
        lookup = settings::joinPath(baseDirectory, path);
    } else {
        lookup = path;
    }
    std::error_code ec;
#ifdef _WIN32
    if (utf8)
        return fs::is_regular_file(fs::path(std::u8string(lookup.begin(), lookup.end())), ec);
#endif
    const auto fsPath = settings::toFsPath(lookup);
    return !fsPath.empty() && fs::is_regular_file(fsPath, ec);
}

bool TrackChecker::check(std::string_view path, std::string_view baseDirectory,
                         std::string_view source, std::uint64_t line, bool utf8) {
    const bool exists = trackExists(path, baseDirectory, utf8);
    record(exists,
           exists ? MissingTrack{}
                  : MissingTrack{std::string(source), line, std::string(path), {}, {}, 0, utf8});
    return exists;
}

void TrackChecker::record(bool exists, MissingTrack track) {
    ++m_checked;
    if (exists)
        return;
    ++m_missing;
    if (onMissing)
        onMissing(track);
    if (m_first.size() < kMaxListed)
        m_first.push_back(std::move(track));
}

std::string TrackChecker::report() const {
    if (m_missing == 0)
        return {};
    std::string text = std::to_string(m_missing) + " of " + std::to_string(m_checked) +
                       (m_checked == 1 ? " track" : " tracks") + " not found";
    for (const auto& track : m_first) {
        text += '\n';
        text += missingTrackLine(track);
    }
    if (m_missing > m_first.size())
        text += "\n...";
    return text;
}

std::string missingTrackLine(const MissingTrack& track,
                             const std::function<std::string(std::string_view)>& shown) {
    const auto name = [&shown](const std::string& text) { return shown ? shown(text) : text; };
    std::string text = name(track.source) + ":" + std::to_string(track.line) + ": " +
                       (track.pathInUtf8 ? track.path : name(track.path));
    if (!track.foundAt.empty())
        text += "\n    found: " + name(track.foundAt);
    for (const auto& candidate : track.candidates)
        text += "\n    candidate: " + name(candidate);
    if (track.tied > track.candidates.size())
        text += "\n    (" + std::to_string(track.tied) + " candidates in all)";
    return text;
}

} // namespace deckshift::convert
