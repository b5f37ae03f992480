#include "convert/TrackSearch.h"

#include "settings/Paths.h"

#include <algorithm>
#include <utility>

namespace deckshift::convert {

namespace {

struct SplitPath {
    std::vector<std::string_view> folders; ///< outermost first
    std::string_view name;
};

SplitPath split(std::string_view path, bool windowsForm) {
    SplitPath parts;
    std::size_t pos = windowsForm && settings::isWindowsForm(path) ? 2 : 0;
    while (pos <= path.size()) {
        std::size_t end = pos;
        while (end < path.size() && !settings::isSeparator(path[end], windowsForm))
            ++end;
        const auto part = path.substr(pos, end - pos);
        if (end == path.size())
            parts.name = part;
        else if (!part.empty() && part != "." && part != "..")
            parts.folders.push_back(part);
        pos = end + 1;
    }
    return parts;
}

bool inNtfsOrder(const std::string& a, const std::string& b) {
    return settings::ntfsLess(a, b) || (!settings::ntfsLess(b, a) && a < b);
}

} // namespace

TrackSearch::TrackSearch(std::vector<std::string> directories)
    : m_directories(std::move(directories)) {}

std::optional<settings::FileNameIndex::Problems> TrackSearch::buildIndex() {
    if (m_built)
        return std::nullopt;
    settings::FileNameIndex::Problems problems;
    m_index = settings::FileNameIndex::build(m_directories, &problems);
    m_built = true;
    return problems;
}

SearchResult TrackSearch::find(std::string_view path) {
    buildIndex();
#ifdef _WIN32
    const bool windowsForm = true;
#else
    const bool backslash = path.find('\\') != std::string_view::npos;
    const bool slash = path.find('/') != std::string_view::npos;
    const bool windowsForm = settings::isWindowsForm(path) || (!path.empty() && path[0] == '\\') ||
                             (backslash && !slash);
#endif
    const char separator =
        path.find('/') != std::string_view::npos && path.find('\\') == std::string_view::npos
            ? '/'
            : '\\';

    SearchResult result;
    const SplitPath parts = split(path, windowsForm);
    if (parts.name.empty())
        return result;
    const auto files = m_index.find(parts.name);
    if (files.empty())
        return result;

    auto pathOf = [&](settings::FileNameIndex::FileId file, bool* native) {
        if (auto found = m_index.path(file, windowsForm, separator))
            return std::move(*found);
        if (native)
            *native = true;
        return m_index.path(file, false).value_or(std::string());
    };

    std::vector<settings::FileNameIndex::FileId> best{files.front()};
    if (files.size() > 1) {
        std::size_t most = 0;
        best.clear();
        for (const auto file : files) {
            const std::size_t shared = m_index.sharedTrailingFolders(file, parts.folders);
            if (best.empty() || shared > most) {
                best.assign(1, file);
                most = shared;
            } else if (shared == most) {
                best.push_back(file);
            }
        }
    }
    if (best.size() == 1) {
        result.kind = SearchResult::Kind::Found;
        result.path = pathOf(best.front(), &result.nativeFallback);
        return result;
    }
    result.kind = SearchResult::Kind::Ambiguous;
    result.tied = best.size();
    std::vector<std::string> tied;
    tied.reserve(best.size());
    for (const auto file : best)
        tied.push_back(pathOf(file, nullptr));
    const std::size_t listed = std::min(tied.size(), kMaxCandidates);
    std::partial_sort(tied.begin(), tied.begin() + static_cast<std::ptrdiff_t>(listed), tied.end(),
                      inNtfsOrder);
    tied.resize(listed);
    result.candidates = std::move(tied);
    return result;
}

std::string searchProblemsText(const settings::FileNameIndex::Problems& problems) {
    std::string text;
    auto line = [&](const std::string& more) {
        if (!text.empty())
            text += '\n';
        text += more;
    };
    for (const auto& root : problems.roots)
        line("A folder to search for moved tracks could not be listed: " + root);
    if (problems.folderCount > 0) {
        line(std::to_string(problems.folderCount) +
             (problems.folderCount == 1 ? " folder" : " folders") +
             " below the folders searched for moved tracks could not be listed:");
        for (const auto& folder : problems.folders)
            text += "\n" + folder;
        if (problems.folderCount > problems.folders.size())
            text += "\n...";
    }
    if (problems.full)
        line("There are too many files in the folders searched for moved tracks; the ones listed "
             "last were left out.");
    return text;
}

} // namespace deckshift::convert
