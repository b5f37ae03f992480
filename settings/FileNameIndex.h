#pragma once
// The names of all files below a few folders, for finding a file by its name alone.
//
// The index keeps every name once, in one block of characters, and a sorted table of fixed-size
// records that point into it: its memory grows with the names listed, about 16 bytes per file
// and 12 per folder beside the names themselves, and 1 to 2 per file for the buckets that lead a
// lookup to its place in the table.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::settings {

class FileNameIndex {
public:
    /// A file of the index, as find() gives it.
    using FileId = std::uint32_t;

    /// What listing the folders met on the way. Nothing of it stops the listing.
    struct Problems {
        /// Folders given that could not be listed at all, with the system's reason.
        std::vector<std::string> roots;
        /// Folders further down that could not be listed (the first few), and how many in all.
        std::vector<std::string> folders;
        std::uint64_t folderCount = 0;
        /// The index reached its limit (4 GiB of names, or 4 billion files) and lists no more.
        bool full = false;
    };

    FileNameIndex() = default;

    /// Lists the ordinary files below each of `roots`, recursively. A root is a path as typed: a
    /// native path (relative to the working directory or absolute), or outside Windows a path in
    /// Windows form, mapped through the Wine prefix. Hidden files and folders are left out, and a
    /// symbolic link to a folder is not followed (a link to a file is a file). A root inside
    /// another root is listed once. Names are held as file content holds them, in the 8-bit code
    /// page: a UTF-8 name on disk is converted, a name that is not UTF-8 is taken byte for byte,
    /// and a name holding a character the code page lacks is left out, as no track path can name
    /// it (so is everything below a folder of such a name).
    static FileNameIndex build(const std::vector<std::string>& roots, Problems* problems = nullptr);

    /// The files named `name`, letter case (a-z, A-Z) ignored, in no particular order.
    std::vector<FileId> find(std::string_view name) const;

    /// How many of the folders holding `file`, from the innermost outwards (the root's own path
    /// included), equal `folders` read from its end, letter case ignored. `folders` lists a
    /// path's folders outermost first.
    std::size_t sharedTrailingFolders(FileId file,
                                      const std::vector<std::string_view>& folders) const;

    /// The path of `file`: with `windowsForm`, below the Windows form of its root ("X:\..."),
    /// outside Windows the root's own when typed so, else the root through the Wine prefix's
    /// drives, and `separator` between names; without, below the root as an absolute native
    /// path, with the native separator. nullopt when the root has no such form (a native root
    /// on no drive of the Wine prefix). The path is in the 8-bit code page.
    std::optional<std::string> path(FileId file, bool windowsForm, char separator = '\\') const;

    /// The number of files indexed.
    std::size_t size() const { return m_files.size(); }
    /// The bytes the index holds on the heap.
    std::size_t memoryBytes() const;

private:
    struct File {
        std::uint32_t hash;   ///< of the name with a-z upper-cased
        std::uint32_t name;   ///< offset of the name in m_names
        std::uint32_t folder; ///< index in m_folders
        std::uint16_t length; ///< of the name
    };
    struct Folder {
        std::uint32_t parent; ///< kNoFolder above the outermost
        std::uint32_t name;
        std::uint16_t length;
        std::uint16_t root; ///< 1 + the index in m_roots for a root folder; 0 otherwise
    };
    struct Root {
        std::string native;                 ///< absolute native path, in the code page
        std::optional<std::string> windows; ///< its Windows form, in the code page
    };
    static constexpr std::uint32_t kNoFolder = 0xFFFFFFFFu;

    class Builder;

    std::string_view name(std::uint32_t offset, std::uint16_t length) const {
        return std::string_view(m_names).substr(offset, length);
    }

    std::string m_names;
    std::vector<File> m_files; ///< sorted by hash
    /// m_files[m_buckets[b]] is the first file whose hash begins with the m_bucketBits bits b
    /// (one more entry ends the last bucket): a lookup reads a bucket of two to four files instead
    /// of searching the whole table.
    std::vector<std::uint32_t> m_buckets;
    unsigned m_bucketBits = 0;
    std::vector<Folder> m_folders;
    std::vector<Root> m_roots;
};

} // namespace deckshift::settings
