#include "settings/Paths.h"

#include "settings/CodePage.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <unordered_map>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace deckshift::settings {

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    }
    return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

namespace {

#ifdef _WIN32
/// A file name in UTF-16 as the program's strings carry it: in the ANSI code page, as the registry
/// values read through the ANSI calls and the command line are. nullopt when the code page cannot
/// represent it.
std::optional<std::string> toAnsi(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    const int wideSize = static_cast<int>(wide.size());
    // A UTF-8 code page holds every name but takes neither the flag nor the default-char test.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide.data(), wideSize, nullptr, 0, nullptr,
                                         usedDefaultOut);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), wideSize, out.data(), size, nullptr,
                        usedDefaultOut);
    return out;
}

/// A path string, held in the ANSI code page, in UTF-16 as the file system takes it.
std::wstring fromAnsi(std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int textSize = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), textSize, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), textSize, out.data(), size);
    return out;
}
#endif

/// The name of a directory entry as the program's strings carry it. On Windows the conversion to
/// the ANSI code page can fail for a name it cannot represent; such names are left out.
std::optional<std::string> entryName(const fs::directory_entry& entry) {
#ifdef _WIN32
    // Converted explicitly: the library's own narrow form of a path is not the ANSI code page
    // with every compiler.
    return toAnsi(entry.path().filename().wstring());
#else
    try {
        return entry.path().filename().string();
    } catch (const std::exception&) {
        return std::nullopt;
    }
#endif
}

bool isHidden([[maybe_unused]] const fs::directory_entry& entry, std::string_view name) {
#ifdef _WIN32
    (void)name;
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    return !name.empty() && name.front() == '.';
#endif
}

#ifndef _WIN32
bool endsWithSeparator(std::string_view path) {
    return !path.empty() && isSeparator(path.back(), isWindowsForm(path));
}

/// Whether a name found on disk stands for `wanted`, a name as a Windows program spells it. Wine
/// keeps file names in UTF-8 while the program's strings are in the ANSI code page, so a name with
/// bytes above 0x7F is also compared in its code-page form.
bool nameMatches(std::string_view onDisk, std::string_view wanted) {
    if (equalsIgnoringCase(onDisk, wanted))
        return true;
    const bool high = std::any_of(onDisk.begin(), onDisk.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!high)
        return false;
    // A name that is not UTF-8, or holds a character the code page lacks, names nothing the
    // program can spell.
    const auto ansi = utf8ToCodePage(onDisk);
    return ansi && equalsIgnoringCase(*ansi, wanted);
}
#endif

enum class EntryKind { Any, Directory };

/// The order in which names that match without regard to case are preferred: NTFS order, and
/// the byte order between names NTFS takes as equal (both can exist outside Windows).
bool preferred(std::string_view a, std::string_view b) {
    return ntfsLess(a, b) || (!ntfsLess(b, a) && a < b);
}

/// The entry of `directory` named `name`: the exact spelling when present, else the first match
/// without regard to letter case in NTFS order.
std::optional<std::string> scanForEntry(const fs::path& directory, std::string_view name,
                                        EntryKind kind) {
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return std::nullopt;
    std::optional<std::string> best;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const auto entry = entryName(*it);
        if (!entry)
            continue;
        std::error_code kindEc;
        if (kind == EntryKind::Directory && !it->is_directory(kindEc))
            continue;
        if (*entry == name)
            return entry;
#ifdef _WIN32
        const bool matches = equalsIgnoringCase(*entry, name);
#else
        const bool matches = nameMatches(*entry, name);
#endif
        if (matches && (!best || preferred(*entry, *best)))
            best = entry;
    }
    return best;
}

/// The directories listed during a DirectoryListingScope: for each, the names of its entries
/// under the upper-cased forms by which they can be asked for, each list in preferred order.
class ListingCache {
public:
    /// What scanForEntry(directory, name, EntryKind::Any) gives, from the directory's listing.
    std::optional<std::string> find(const fs::path& directory, std::string_view name) {
        auto* names = listing(directory);
        if (!names)
            return std::nullopt;
        // A name listed may have gone since, and one the run meant to create may not be there
        // yet: only what exists now counts.
        auto exists = [&](const std::string& entry) {
            std::error_code ec;
            return fs::exists(fs::symlink_status(directory / entry, ec));
        };
        const std::string exact(name);
#ifndef _WIN32
        if (exists(exact))
            return exact;
#endif
        // On Windows any spelling exists: only the listing tells how the name is spelled on disk.
        if (const auto found = names->find(upperKey(name)); found != names->end()) {
            for (const auto& entry : found->second) {
                if (exists(entry))
                    return entry;
            }
        }
#ifdef _WIN32
        // Made by another program since the directory was listed: a scan finds its spelling.
        if (exists(exact))
            return scanForEntry(directory, name, EntryKind::Any);
#endif
        return std::nullopt;
    }

    /// `name` is about to be created in `directory` as it is spelled (it matched nothing there).
    void remember(const fs::path& directory, const std::string& name) {
        if (auto* names = listing(directory))
            add(*names, upperKey(name), name);
    }

private:
    using Names = std::unordered_map<std::string, std::vector<std::string>>;

    static void add(Names& names, const std::string& key, const std::string& entry) {
        auto& list = names[key];
        if (std::find(list.begin(), list.end(), entry) != list.end())
            return;
        list.insert(std::upper_bound(
                        list.begin(), list.end(), entry,
                        [](const std::string& a, const std::string& b) { return preferred(a, b); }),
                    entry);
    }

    // The listing of `directory`, read on first use; nullptr when it cannot be listed (nothing is
    // kept then, so a directory that appears later is listed when it is asked for again).
    Names* listing(const fs::path& directory) {
        const auto cached = m_dirs.find(directory.native());
        if (cached != m_dirs.end())
            return &cached->second;
        std::error_code ec;
        fs::directory_iterator it(directory, ec);
        if (ec)
            return nullptr;
        Names names;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec)
                return nullptr;
            const auto entry = entryName(*it);
            if (!entry)
                continue;
            const std::string key = upperKey(*entry);
            add(names, key, *entry);
#ifndef _WIN32
            // A UTF-8 name on disk is also found by its spelling in the code page.
            const bool high = std::any_of(entry->begin(), entry->end(), [](char c) {
                return static_cast<unsigned char>(c) >= 0x80;
            });
            if (high) {
                if (const auto ansi = utf8ToCodePage(*entry)) {
                    if (const std::string ansiKey = upperKey(*ansi); ansiKey != key)
                        add(names, ansiKey, *entry);
                }
            }
#endif
        }
        return &m_dirs.emplace(directory.native(), std::move(names)).first->second;
    }

    std::unordered_map<fs::path::string_type, Names> m_dirs;
};

// A plain pointer, owned by the DirectoryListingScope that set it, so that no thread-local object
// has a destructor: with MinGW-w64's runtime as DLLs, such a destructor left the heap corrupted
// after the windows' worker thread (a QThread, which that runtime did not start) had ended.
thread_local ListingCache* t_listings = nullptr;

std::optional<std::string> findEntry(const fs::path& directory, std::string_view name,
                                     EntryKind kind) {
    if (t_listings && kind == EntryKind::Any)
        return t_listings->find(directory, name);
    return scanForEntry(directory, name, kind);
}

std::vector<std::string> sortedNtfs(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        // Names equal without regard to case can both exist outside Windows; the byte order
        // between them keeps the listing stable.
        return preferred(a, b);
    });
    return names;
}

enum class ListKind { Files, Directories };

std::vector<std::string> listEntries(std::string_view directory, std::string_view pattern,
                                     ListKind kind, std::string* error) {
    const fs::path root = toFsPath(directory);
    std::error_code ec;
    fs::directory_iterator it(root, ec);
    if (ec) {
        if (error)
            *error = ec.message();
        return {};
    }
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const auto name = entryName(*it);
        if (!name || isHidden(*it, *name))
            continue;
        std::error_code kindEc;
        const bool wanted =
            kind == ListKind::Files ? it->is_regular_file(kindEc) : it->is_directory(kindEc);
        if (!wanted)
            continue;
        if (kind == ListKind::Files && !wildcardMatch(pattern, *name))
            continue;
        names.push_back(*name);
    }
    if (ec) {
        if (error)
            *error = ec.message();
        return {};
    }
    return sortedNtfs(std::move(names));
}

} // namespace

std::string upperKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = upperAscii(c);
    return key;
}

bool isSeparator(char c, [[maybe_unused]] bool windowsForm) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/' || (windowsForm && c == '\\');
#endif
}

std::size_t lastSeparator(std::string_view path) {
    const bool windowsForm = isWindowsForm(path);
    for (std::size_t i = path.size(); i > 0; --i) {
        if (isSeparator(path[i - 1], windowsForm))
            return i - 1;
    }
    return std::string_view::npos;
}

bool isExistingDirectory(std::string_view path) {
    std::error_code ec;
    return fs::is_directory(toFsPath(path), ec);
}

bool isWindowsForm(std::string_view path) {
    if (path.size() < 2 || path[1] != ':')
        return false;
    const char drive = upperAscii(path[0]);
    return drive >= 'A' && drive <= 'Z';
}

char separatorFor(std::string_view directory) {
#ifdef _WIN32
    (void)directory;
    return '\\';
#else
    return isWindowsForm(directory) ? '\\' : '/';
#endif
}

std::string joinPath(std::string_view directory, std::string_view name) {
    std::string joined(directory);
    joined += separatorFor(directory);
    joined += name;
    return joined;
}

std::optional<fs::path> winePrefix() {
#ifdef _WIN32
    return std::nullopt;
#else
    fs::path prefix;
    if (const char* env = std::getenv("WINEPREFIX"); env && *env) {
        prefix = env;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        prefix = fs::path(home) / ".wine";
    } else {
        return std::nullopt;
    }
    std::error_code ec;
    if (!fs::is_directory(prefix, ec))
        return std::nullopt;
    return prefix;
#endif
}

std::string diskName(std::string_view text) {
#ifdef _WIN32
    return std::string(text);
#else
    return codePageToUtf8(text);
#endif
}

std::optional<std::string> programName(std::string_view onDisk, char32_t* bad) {
#ifdef _WIN32
    (void)bad;
    return std::string(onDisk);
#else
    const bool high = std::any_of(onDisk.begin(), onDisk.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!high || !isValidUtf8(onDisk))
        return std::string(onDisk);
    return utf8ToCodePage(onDisk, bad);
#endif
}

fs::path toFsPath(std::string_view path) {
#ifdef _WIN32
    return fs::path(fromAnsi(path));
#else
    if (!isWindowsForm(path))
        return fs::path(std::string(path));

    const char drive = lowerAscii(path[0]);
    fs::path result;
    if (const auto prefix = winePrefix()) {
        const fs::path dosdevices = *prefix / "dosdevices";
        const std::string driveName{drive, ':'};
        const auto found = findEntry(dosdevices, driveName, EntryKind::Any);
        result = dosdevices / (found ? *found : driveName);
    } else if (drive == 'c') {
        result = "/";
    } else {
        // No prefix, no drive: a path that names nothing.
        return {};
    }

    // Once one component is missing, the ones below it cannot be looked up either.
    bool searching = true;
    std::size_t pos = 2;
    while (pos < path.size()) {
        while (pos < path.size() && isSeparator(path[pos], true))
            ++pos;
        if (pos == path.size())
            break;
        std::size_t end = pos;
        while (end < path.size() && !isSeparator(path[end], true))
            ++end;
        const std::string component(path.substr(pos, end - pos));
        pos = end;
        if (searching && component != "." && component != "..") {
            std::error_code ec;
            if (!fs::exists(fs::symlink_status(result / component, ec))) {
                if (const auto found = findEntry(result, component, EntryKind::Any)) {
                    result /= *found;
                    continue;
                }
                // A name that matches nothing is one the caller may be about to create.
                if (t_listings)
                    t_listings->remember(result, component);
                searching = false;
            }
        }
        result /= component;
    }
    if (endsWithSeparator(path) && result.has_filename())
        result /= "";
    return result;
#endif
}

std::optional<std::string> windowsFormThroughWine([[maybe_unused]] std::string_view nativePath) {
#ifdef _WIN32
    return std::nullopt;
#else
    const auto prefix = winePrefix();
    if (!prefix || nativePath.empty() || isWindowsForm(nativePath))
        return std::nullopt;
    std::error_code ec;
    const fs::path here =
        fs::weakly_canonical(fs::absolute(fs::path(diskName(nativePath)), ec), ec);
    if (ec)
        return std::nullopt;
    fs::directory_iterator it(*prefix / "dosdevices", ec);
    if (ec)
        return std::nullopt;
    char bestDrive = 0;
    std::size_t bestDepth = 0;
    fs::path bestRest;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const std::string name = it->path().filename().native();
        const char letter = name.size() == 2 && name[1] == ':' ? lowerAscii(name[0]) : '\0';
        if (letter < 'a' || letter > 'z')
            continue;
        std::error_code targetEc;
        const fs::path target = fs::canonical(it->path(), targetEc);
        if (targetEc)
            continue;
        // Whether the path lies in or below the drive's directory, and the rest below it.
        auto p = here.begin();
        std::size_t depth = 0;
        bool inside = true;
        for (auto t = target.begin(); t != target.end(); ++t) {
            if (t->empty())
                continue; // a trailing separator
            if (p == here.end() || *p != *t) {
                inside = false;
                break;
            }
            ++p;
            ++depth;
        }
        // The deepest directory wins; between equal ones, the first letter.
        if (!inside ||
            (bestDrive != 0 && (depth < bestDepth || (depth == bestDepth && letter > bestDrive))))
            continue;
        bestDrive = letter;
        bestDepth = depth;
        bestRest.clear();
        for (; p != here.end(); ++p)
            bestRest /= *p;
    }
    if (bestDrive == 0)
        return std::nullopt;
    std::string path{upperAscii(bestDrive), ':', '\\'};
    bool first = true;
    for (const auto& part : bestRest) {
        if (part.empty())
            continue;
        const auto name = programName(part.native());
        if (!name)
            return std::nullopt;
        if (!first)
            path += '\\';
        path += *name;
        first = false;
    }
    const char last = nativePath.back();
    if (!first && last == '/')
        path += '\\';
    return path;
#endif
}

DirectoryListingScope::DirectoryListingScope() {
    if (!t_listings) {
        t_listings = new ListingCache();
        m_owner = true;
    }
}

DirectoryListingScope::~DirectoryListingScope() {
    if (m_owner) {
        delete t_listings;
        t_listings = nullptr;
    }
}

std::optional<std::string> findNameIgnoringCase(std::string_view directory, std::string_view name) {
    return findEntry(toFsPath(directory), name, EntryKind::Any);
}

std::string resolveSubdirectory(std::string_view base, std::string_view subdir) {
    std::string joined(base);
    joined += subdir;
    const std::size_t separator = lastSeparator(joined);
    const std::size_t cut = separator == std::string::npos ? 0 : separator + 1;
    if (cut == 0 || cut == joined.size())
        return joined;
    const std::string parent = joined.substr(0, cut);
    const auto found =
        findEntry(toFsPath(parent), std::string_view(joined).substr(cut), EntryKind::Directory);
    if (!found)
        return joined;
    return parent + *found;
}

bool wildcardMatch(std::string_view pattern, std::string_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || upperAscii(pattern[p]) == upperAscii(text[t]))) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool ntfsLess(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(upperAscii(a[i]));
        const auto y = static_cast<unsigned char>(upperAscii(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

std::vector<std::string> listFiles(std::string_view directory, std::string_view pattern,
                                   std::string* error) {
    return listEntries(directory, pattern, ListKind::Files, error);
}

std::vector<std::string> listDirectories(std::string_view directory, std::string* error) {
    return listEntries(directory, {}, ListKind::Directories, error);
}

std::optional<std::string> directoryEntryName(const fs::directory_entry& entry) {
    return entryName(entry);
}

bool isHiddenEntry(const fs::directory_entry& entry, std::string_view name) {
    return isHidden(entry, name);
}

std::string stripExtension(std::string_view name) {
    if (name.size() < 4)
        return {};
    return std::string(name.substr(0, name.size() - 4));
}

} // namespace deckshift::settings
