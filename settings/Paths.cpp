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

/// The name of a directory entry as the disk spells it: outside Windows its bytes; on Windows in
/// the ANSI code page, nullopt for a name the code page cannot represent.
std::optional<std::string> onDiskName(const fs::directory_entry& entry) {
#ifdef _WIN32
    // Converted explicitly: the library's own narrow form of a path is not the ANSI code page
    // with every compiler.
    return toAnsi(entry.path().filename().wstring());
#else
    return entry.path().filename().native();
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
bool hasHighBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool endsWithSeparator(std::string_view path) {
    return !path.empty() && isSeparator(path.back(), isWindowsForm(path));
}

bool existsOnDisk(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

/// Whether a name found on disk stands for `wanted`, a name in the program's strings, without
/// regard to letter case: in its code-page form, or byte for byte.
bool nameMatches(std::string_view onDisk, std::string_view wanted) {
    if (equalsIgnoringCase(onDisk, wanted))
        return true;
    if (!hasHighBytes(onDisk))
        return false;
    const auto name = programName(onDisk);
    return name && equalsIgnoringCase(*name, wanted);
}

/// A native path in the program's strings as a file-system path: each component that holds
/// bytes above 0x7F in its UTF-8 form where that exists or nothing does, else byte for byte.
fs::path nativeFsPath(std::string_view path) {
    if (!hasHighBytes(path))
        return fs::path(std::string(path));
    std::string out;
    out.reserve(path.size() + path.size() / 2);
    bool searching = true;
    std::size_t pos = 0;
    while (pos < path.size()) {
        if (path[pos] == '/') {
            out += '/';
            ++pos;
            continue;
        }
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view component = path.substr(pos, end - pos);
        pos = end;
        if (!hasHighBytes(component)) {
            out += component;
            continue;
        }
        const std::string utf8 = diskName(component);
        if (searching && !existsOnDisk(fs::path(out + utf8))) {
            if (existsOnDisk(fs::path(out + std::string(component)))) {
                out += component;
                continue;
            }
            // Nothing below a missing name can exist either.
            searching = false;
        }
        out += utf8;
    }
    return fs::path(std::move(out));
}
#endif

enum class EntryKind { Any, Directory };

/// The order in which names that match without regard to case are preferred: NTFS order, and
/// the byte order between names NTFS takes as equal (both can exist outside Windows).
bool preferred(std::string_view a, std::string_view b) {
    return ntfsLess(a, b) || (!ntfsLess(b, a) && a < b);
}

/// The name on disk of the entry of `directory` named `name` (in the program's strings): the
/// exact spelling when present (outside Windows its UTF-8 form first, then its bytes as they are),
/// else the first match without regard to letter case in NTFS order.
std::optional<std::string> scanForEntry(const fs::path& directory, std::string_view name,
                                        EntryKind kind) {
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return std::nullopt;
    const std::string exact = diskName(name);
    std::optional<std::string> raw;
    std::optional<std::string> best;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const auto entry = onDiskName(*it);
        if (!entry)
            continue;
        std::error_code kindEc;
        if (kind == EntryKind::Directory && !it->is_directory(kindEc))
            continue;
        if (*entry == exact)
            return entry;
        if (*entry == name) {
            raw = entry;
            continue;
        }
#ifdef _WIN32
        const bool matches = equalsIgnoringCase(*entry, name);
#else
        const bool matches = nameMatches(*entry, name);
#endif
        if (matches && (!best || preferred(*entry, *best)))
            best = entry;
    }
    return raw ? raw : best;
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
        const std::string exact = diskName(name);
#ifndef _WIN32
        if (exists(exact))
            return exact;
        if (exact != name && exists(std::string(name)))
            return std::string(name);
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

    /// `name` (in the program's strings) is about to be created in `directory` as diskName()
    /// spells it (it matched nothing there).
    void remember(const fs::path& directory, std::string_view name) {
        if (auto* names = listing(directory))
            add(*names, upperKey(name), diskName(name));
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
            const auto entry = onDiskName(*it);
            if (!entry)
                continue;
            const std::string key = upperKey(*entry);
            add(names, key, *entry);
#ifndef _WIN32
            // A UTF-8 name on disk is also found by its spelling in the code page.
            if (hasHighBytes(*entry)) {
                if (const auto name = programName(*entry)) {
                    if (const std::string nameKey = upperKey(*name); nameKey != key)
                        add(names, nameKey, *entry);
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

/// A name on disk the code page cannot hold, with "?" for each character it lacks.
UnnamedEntry unnamedEntry(std::string_view onDisk) {
    UnnamedEntry entry;
    for (std::size_t pos = 0; pos < onDisk.size();) {
        const std::size_t start = pos;
        const auto code = decodeUtf8(onDisk, pos);
        if (!code) {
            entry.name += onDisk[pos++];
            continue;
        }
        const std::string one(onDisk.substr(start, pos - start));
        char32_t bad = 0;
        if (const auto mapped = programName(one, &bad)) {
            entry.name += *mapped;
        } else {
            entry.name += '?';
            if (entry.character == 0)
                entry.character = bad;
        }
    }
    return entry;
}

std::vector<std::string> listEntries(std::string_view directory, std::string_view pattern,
                                     ListKind kind, std::string* error,
                                     std::vector<UnnamedEntry>* unnamed) {
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
        const auto onDisk = onDiskName(*it);
        if (!onDisk || isHidden(*it, *onDisk))
            continue;
        std::error_code kindEc;
        const bool wanted =
            kind == ListKind::Files ? it->is_regular_file(kindEc) : it->is_directory(kindEc);
        if (!wanted)
            continue;
        const auto name = programName(*onDisk);
        if (!name) {
            if (unnamed) {
                auto entry = unnamedEntry(*onDisk);
                if (kind != ListKind::Files || wildcardMatch(pattern, entry.name))
                    unnamed->push_back(std::move(entry));
            }
            continue;
        }
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

bool isRootedWithoutDrive(std::string_view path) {
    return !path.empty() && path.front() == '\\' && !(path.size() > 1 && path[1] == '\\');
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
    if (!hasHighBytes(onDisk))
        return std::string(onDisk);
    if (!isValidUtf8(onDisk))
        return std::string(onDisk);
    return utf8ToCodePage(onDisk, bad);
#endif
}

fs::path toFsPath(std::string_view path) {
#ifdef _WIN32
    return fs::path(fromAnsi(path));
#else
    if (!isWindowsForm(path))
        return nativeFsPath(path);

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
        const std::string onDisk = diskName(component);
        if (searching && component != "." && component != "..") {
            if (!existsOnDisk(result / onDisk)) {
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
        result /= onDisk;
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

std::vector<std::pair<std::string, fs::path>> wineDrives(const fs::path& prefix) {
    std::vector<std::pair<std::string, fs::path>> drives;
    std::error_code ec;
    fs::directory_iterator it(prefix / "dosdevices", ec);
    if (ec)
        return drives;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const std::string name = it->path().filename().string();
        if (name.size() != 2 || name[1] != ':' || lowerAscii(name[0]) < 'a' ||
            lowerAscii(name[0]) > 'z')
            continue;
        std::error_code targetEc;
        fs::path target = fs::canonical(it->path(), targetEc);
        if (targetEc)
            target.clear();
        drives.emplace_back(std::string{lowerAscii(name[0]), ':'}, target);
    }
    std::sort(drives.begin(), drives.end());
    return drives;
}

std::string absolutePath(std::string_view path) {
    if (path.empty() || isWindowsForm(path))
        return std::string(path);
    std::error_code ec;
    const fs::path absolute = fs::absolute(toFsPath(path), ec);
    if (ec)
        return std::string(path);
#ifdef _WIN32
    return toAnsi(absolute.wstring()).value_or(std::string(path));
#else
    if (absolute.native() == toFsPath(path).native())
        return std::string(path); // already absolute: kept as the program spells it
    // The current directory as the disk spells it, then the path as given.
    const auto current = programName(fs::current_path(ec).native());
    if (ec || !current)
        return std::string(path);
    return fs::path(joinPath(*current, path)).lexically_normal().native();
#endif
}

std::optional<std::string> findNameIgnoringCase(std::string_view directory, std::string_view name) {
    const auto found = findEntry(toFsPath(directory), name, EntryKind::Any);
    if (!found)
        return std::nullopt;
    return programName(*found);
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
    const auto name = found ? programName(*found) : std::nullopt;
    if (!name)
        return joined;
    return parent + *name;
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
                                   std::string* error, std::vector<UnnamedEntry>* unnamed) {
    return listEntries(directory, pattern, ListKind::Files, error, unnamed);
}

std::vector<std::string> listDirectories(std::string_view directory, std::string* error) {
    return listEntries(directory, {}, ListKind::Directories, error, nullptr);
}

std::optional<std::string> directoryEntryName(const fs::directory_entry& entry) {
    const auto name = onDiskName(entry);
    if (!name)
        return std::nullopt;
    return programName(*name);
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
