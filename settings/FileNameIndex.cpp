#include "settings/FileNameIndex.h"

#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace deckshift::settings {

namespace {

constexpr std::size_t kMaxListedProblems = 5;

std::uint32_t foldedHash(std::string_view name) {
    // FNV-1a over the bytes with a-z upper-cased, so that names equal but for letter case meet.
    std::uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash ^= std::uint32_t{static_cast<unsigned char>(upperAscii(c))};
        hash *= 16777619u;
    }
    return hash;
}

/// The names of the folders of `path` (a path in the code page), outermost first; a drive
/// ("C:") is no folder.
std::vector<std::string> folderNames(std::string_view path, bool windowsForm) {
    std::vector<std::string> names;
    std::size_t pos = windowsForm && isWindowsForm(path) ? 2 : 0;
    while (pos < path.size()) {
        std::size_t end = pos;
        while (end < path.size() && !isSeparator(path[end], windowsForm))
            ++end;
        if (end > pos && path.substr(pos, end - pos) != ".")
            names.emplace_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return names;
}

/// `path` less the separators at its end, a root ("/", "C:\") kept whole.
std::string withoutTrailingSeparators(std::string path, bool windowsForm) {
    const std::size_t keep = windowsForm && isWindowsForm(path) ? 3 : 1;
    while (path.size() > keep && isSeparator(path.back(), windowsForm))
        path.pop_back();
    return path;
}

/// A Windows-form path with "\" between its names and no run of separators.
std::string normalisedWindowsForm(std::string_view path) {
    std::string out;
    for (const char c : path) {
        const bool separator = c == '\\' || c == '/';
        if (separator && !out.empty() && out.back() == '\\')
            continue;
        out += separator ? '\\' : c;
    }
    return withoutTrailingSeparators(out, true);
}

#ifdef _WIN32
/// The absolute form of a root as typed, in the ANSI code page.
std::string absoluteNative(const std::string& typed) {
    const DWORD size = GetFullPathNameA(typed.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return typed;
    std::string full(size, '\0');
    const DWORD written = GetFullPathNameA(typed.c_str(), size, full.data(), nullptr);
    full.resize(written < size ? written : 0);
    return full.empty() ? typed : normalisedWindowsForm(full);
}
#endif

/// A path as a message shows it.
std::string shown(const fs::path& path) {
    try {
        return path.string();
    } catch (const std::exception&) {
        // On Windows, a name the narrow form cannot represent.
        return "(a folder whose name cannot be shown)";
    }
}

bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty())
            continue; // a trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

} // namespace

class FileNameIndex::Builder {
public:
    Builder(FileNameIndex& index, Problems* problems) : m_index(index), m_problems(problems) {}

    /// Lists the files below one root, whose folders' names (outermost first) are `folders`.
    void root(const fs::path& directory, const std::vector<std::string>& folders, Root forms) {
        std::error_code ec;
        fs::directory_iterator probe(directory, ec);
        if (ec) {
            if (m_problems)
                m_problems->roots.push_back(forms.native + ": " + ec.message());
            return;
        }
        std::uint32_t folder = kNoFolder;
        for (const auto& name : folders) {
            const auto added = addFolder(folder, name);
            if (!added)
                return;
            folder = *added;
        }
        if (folder == kNoFolder) {
            // The root of the file system: a folder without a name holds its files.
            const auto added = addFolder(kNoFolder, {});
            if (!added)
                return;
            folder = *added;
        }
        m_index.m_roots.push_back(std::move(forms));
        m_index.m_folders[folder].root = static_cast<std::uint16_t>(m_index.m_roots.size());
        walk(directory, folder);
    }

    void finish() {
        auto& files = m_index.m_files;
        std::sort(files.begin(), files.end(), [](const File& a, const File& b) {
            return a.hash != b.hash
                       ? a.hash < b.hash
                       : (a.folder != b.folder ? a.folder < b.folder : a.name < b.name);
        });
        files.shrink_to_fit();
        // Two to four files a bucket.
        unsigned bits = 1;
        while (bits < 24 && (std::size_t{1} << (bits + 2)) <= files.size())
            ++bits;
        m_index.m_bucketBits = bits;
        auto& buckets = m_index.m_buckets;
        buckets.assign((std::size_t{1} << bits) + 1, 0);
        std::size_t at = 0;
        for (std::size_t b = 0; b + 1 < buckets.size(); ++b) {
            buckets[b] = static_cast<std::uint32_t>(at);
            while (at < files.size() && (files[at].hash >> (32 - bits)) == b)
                ++at;
        }
        buckets.back() = static_cast<std::uint32_t>(files.size());
        m_index.m_folders.shrink_to_fit();
        m_index.m_names.shrink_to_fit();
    }

private:
    /// Appends `name` to the block of names; nullopt when the index is full.
    std::optional<std::uint32_t> addName(std::string_view name) {
        auto& names = m_index.m_names;
        if (name.size() > std::numeric_limits<std::uint16_t>::max() ||
            names.size() + name.size() > std::numeric_limits<std::uint32_t>::max())
            return full();
        const auto offset = static_cast<std::uint32_t>(names.size());
        names.append(name);
        return offset;
    }

    std::optional<std::uint32_t> addFolder(std::uint32_t parent, std::string_view name) {
        if (m_index.m_folders.size() >= kNoFolder)
            return full();
        const auto offset = addName(name);
        if (!offset)
            return std::nullopt;
        m_index.m_folders.push_back(
            {parent, *offset, static_cast<std::uint16_t>(name.size()), std::uint16_t{0}});
        return static_cast<std::uint32_t>(m_index.m_folders.size() - 1);
    }

    void addFile(std::uint32_t folder, std::string_view name) {
        if (m_index.m_files.size() >= kNoFolder) {
            full();
            return;
        }
        if (const auto offset = addName(name))
            m_index.m_files.push_back(
                {foldedHash(name), *offset, folder, static_cast<std::uint16_t>(name.size())});
    }

    std::nullopt_t full() {
        if (m_problems)
            m_problems->full = true;
        return std::nullopt;
    }

    void unlisted(const fs::path& directory, const std::error_code& ec) {
        if (!m_problems)
            return;
        ++m_problems->folderCount;
        if (m_problems->folders.size() < kMaxListedProblems)
            m_problems->folders.push_back(shown(directory) + ": " + ec.message());
    }

    // Depth first with a stack of its own, so that a deep tree costs no call stack.
    void walk(const fs::path& top, std::uint32_t topFolder) {
        std::vector<std::pair<fs::path, std::uint32_t>> pending{{top, topFolder}};
        while (!pending.empty()) {
            auto [directory, folder] = std::move(pending.back());
            pending.pop_back();
            std::error_code ec;
            fs::directory_iterator it(directory, ec);
            for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
                // A name the code page cannot hold is no track's: no track path can name it.
                const auto name = directoryEntryName(*it);
                if (!name || isHiddenEntry(*it, *name))
                    continue;
                std::error_code typeEc;
                const auto type = it->symlink_status(typeEc).type();
                if (type == fs::file_type::directory) {
                    if (const auto sub = addFolder(folder, *name))
                        pending.emplace_back(it->path(), *sub);
                } else if (type == fs::file_type::regular ||
                           (type == fs::file_type::symlink && it->is_regular_file(typeEc))) {
                    addFile(folder, *name);
                }
            }
            if (ec)
                unlisted(directory, ec);
        }
    }

    FileNameIndex& m_index;
    Problems* m_problems;
};

FileNameIndex FileNameIndex::build(const std::vector<std::string>& roots, Problems* problems) {
    struct Planned {
        fs::path directory;
        fs::path canonical;
        std::vector<std::string> folders;
        Root root;
    };
    std::vector<Planned> planned;
    for (const auto& typed : roots) {
        Planned plan;
#ifdef _WIN32
        plan.root.native = absoluteNative(typed);
        plan.root.windows = plan.root.native;
        plan.directory = toFsPath(plan.root.native);
        plan.folders = folderNames(plan.root.native, true);
#else
        // Roots come in the code page, as every path the program carries: the index holds that
        // spelling, and the folder is opened as the disk spells it.
        const bool windowsForm = isWindowsForm(typed);
        std::optional<std::string> native;
        if (windowsForm) {
            plan.directory = toFsPath(typed);
            native = programName(plan.directory.native());
        } else {
            native = withoutTrailingSeparators(
                fs::path(absolutePath(typed)).lexically_normal().native(), false);
            plan.directory = toFsPath(*native);
        }
        if (!native) {
            if (problems)
                problems->roots.push_back(typed + ": " +
                                          "the path holds a character that the 8-bit code page "
                                          "of PCDJ cannot hold");
            continue;
        }
        plan.root.native = *native;
        if (windowsForm) {
            plan.root.windows = normalisedWindowsForm(typed);
            plan.folders = folderNames(*plan.root.windows, true);
        } else {
            plan.root.windows = windowsFormThroughWine(plan.root.native);
            if (plan.root.windows)
                *plan.root.windows = withoutTrailingSeparators(*plan.root.windows, true);
            plan.folders = folderNames(plan.root.native, false);
        }
#endif
        std::error_code ec;
        plan.canonical = fs::weakly_canonical(plan.directory, ec);
        if (ec)
            plan.canonical = plan.directory;
        planned.push_back(std::move(plan));
    }

    FileNameIndex index;
    Builder builder(index, problems);
    for (std::size_t i = 0; i < planned.size(); ++i) {
        // A root inside another (or the same twice) would list its files twice: the outer one
        // (the first of equal ones) lists them once.
        bool inside = false;
        for (std::size_t j = 0; j < planned.size() && !inside; ++j) {
            if (j == i || !isWithin(planned[i].canonical, planned[j].canonical))
                continue;
            inside = !isWithin(planned[j].canonical, planned[i].canonical) || j < i;
        }
        if (!inside)
            builder.root(planned[i].directory, planned[i].folders, std::move(planned[i].root));
    }
    builder.finish();
    return index;
}

std::vector<FileNameIndex::FileId> FileNameIndex::find(std::string_view wanted) const {
    std::vector<FileId> found;
    if (m_buckets.empty())
        return found;
    const std::uint32_t hash = foldedHash(wanted);
    const std::uint32_t bucket = hash >> (32 - m_bucketBits);
    for (std::uint32_t i = m_buckets[bucket]; i < m_buckets[bucket + 1]; ++i) {
        const File& file = m_files[i];
        if (file.hash == hash && equalsIgnoringCase(name(file.name, file.length), wanted))
            found.push_back(i);
    }
    return found;
}

std::size_t
FileNameIndex::sharedTrailingFolders(FileId file,
                                     const std::vector<std::string_view>& folders) const {
    std::size_t shared = 0;
    std::uint32_t folder = m_files[file].folder;
    auto wanted = folders.rbegin();
    while (folder != kNoFolder && wanted != folders.rend()) {
        const Folder& f = m_folders[folder];
        if (f.length == 0) // the root of the file system
            break;
        if (!equalsIgnoringCase(name(f.name, f.length), *wanted))
            break;
        ++shared;
        ++wanted;
        folder = f.parent;
    }
    return shared;
}

std::optional<std::string> FileNameIndex::path(FileId id, bool windowsForm, char separator) const {
    const File& file = m_files[id];
    std::vector<std::string_view> below{name(file.name, file.length)};
    std::uint32_t folder = file.folder;
    while (m_folders[folder].root == 0) {
        const Folder& f = m_folders[folder];
        below.push_back(name(f.name, f.length));
        folder = f.parent;
    }
    const Root& root = m_roots[m_folders[folder].root - 1u];
#ifdef _WIN32
    (void)windowsForm;
    std::string result = root.native;
    separator = '\\';
#else
    if (windowsForm && !root.windows)
        return std::nullopt;
    std::string result = windowsForm ? *root.windows : root.native;
    if (!windowsForm)
        separator = '/';
#endif
    for (auto it = below.rbegin(); it != below.rend(); ++it) {
        if (result.empty() || (result.back() != '\\' && result.back() != '/'))
            result += separator;
        result += *it;
    }
    return result;
}

std::size_t FileNameIndex::memoryBytes() const {
    std::size_t bytes = m_names.capacity() + m_files.capacity() * sizeof(File) +
                        m_buckets.capacity() * sizeof(std::uint32_t) +
                        m_folders.capacity() * sizeof(Folder) + m_roots.capacity() * sizeof(Root);
    for (const auto& root : m_roots)
        bytes += root.native.capacity() + (root.windows ? root.windows->capacity() : 0);
    return bytes;
}

} // namespace deckshift::settings
