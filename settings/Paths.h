#pragma once
// Paths as the DJ applications and the user give them, and their mapping onto the file system.
//
// Paths travel through the program as plain strings. On Windows they are Windows paths joined with
// "\". Elsewhere a native directory ("/home/dj/Music") is joined with "/", while a path in Windows
// form ("C:\FX\RC\", as read from a registry) stays in Windows form wherever it is written into a
// file and is mapped through the Wine prefix only when a file is opened or listed.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::settings {

/// The edge between the program's strings and the names on disk. The program carries every name
/// and path in the 8-bit code page, as the DJ applications' files hold them. Windows converts at
/// its own edge; elsewhere names on disk are UTF-8, so a name goes to the disk through diskName()
/// and comes back through programName(). toFsPath() and the listings below use both.

/// The name or path `text` (in the 8-bit code page) as the disk spells it: UTF-8 outside
/// Windows, unchanged on Windows.
std::string diskName(std::string_view text);

/// A name or path as the disk spells it, in the 8-bit code page: converted from UTF-8 outside
/// Windows, taken byte for byte when it is not valid UTF-8 (a name left by an older tool), and
/// unchanged on Windows. nullopt when it holds a character the code page cannot hold; `bad` then
/// receives that character.
std::optional<std::string> programName(std::string_view onDisk, char32_t* bad = nullptr);

/// True when `path` starts with a drive letter and a colon ("C:", "d:\x").
bool isWindowsForm(std::string_view path);

/// True when `path` is rooted at "\" without a drive letter ("\Music\a.mp3"); a network path
/// ("\\server\share") is not.
bool isRootedWithoutDrive(std::string_view path);

/// Whether `c` separates the components of a path in Windows form (`windowsForm`) or not: "\" and
/// "/" on Windows; elsewhere "/", and in a Windows-form path "\" as well, as Wine reads it. In a
/// native path outside Windows "\" is an ordinary character of a name.
bool isSeparator(char c, bool windowsForm);

/// The position of the last separator of `path` by isSeparator(), npos when it has none.
std::size_t lastSeparator(std::string_view path);

/// True when `path` names an existing directory.
bool isExistingDirectory(std::string_view path);

/// The separator that joins names below `directory`: "\" for a Windows-form directory and on
/// Windows, "/" for a native directory elsewhere.
char separatorFor(std::string_view directory);

/// `directory`, its separator and `name`. No separator is dropped or added beyond that one, so a
/// root directory that already ends in a separator gives a doubled one ("C:\" + "x" = "C:\\x"),
/// which the file system accepts.
std::string joinPath(std::string_view directory, std::string_view name);

/// The Wine prefix in use: $WINEPREFIX, else ~/.wine; nullopt when that directory does not exist.
/// Always nullopt on Windows.
std::optional<std::filesystem::path> winePrefix();

/// The file-system path for a path string. Native paths are used as they are. A Windows-form path
/// is mapped through the Wine prefix: "X:\rest" becomes <prefix>/dosdevices/x:/rest, each
/// component matched without regard to letter case where the exact name does not exist. Runs of
/// separators count as one. Without a prefix, "C:\" stands for "/" and other drives for nothing
/// (the returned path then does not exist). On Windows the string is the path, in the ANSI
/// code page.
std::filesystem::path toFsPath(std::string_view path);

/// The drives of the Wine prefix `prefix`, each as "x:" (lower case) with the directory its link
/// in dosdevices leads to (empty when it leads nowhere), in order of their letters.
std::vector<std::pair<std::string, std::filesystem::path>>
wineDrives(const std::filesystem::path& prefix);

/// `path` made absolute against the current directory; a path in Windows form stays as it is.
std::string absolutePath(std::string_view path);

/// A native directory or file in Windows form through the drives of the Wine prefix in use, as a
/// Windows program running under Wine names it: the drive whose directory is the longest leading
/// part of `nativePath` (compared name by name, symbolic links resolved on both sides; "z:"
/// usually leads to "/"), then the rest with "\" ("/home/dj/RC/" gives "Z:\home\dj\RC\"). Both
/// paths are in the 8-bit code page; a trailing separator is kept. nullopt without a prefix, when
/// no drive holds the path or a name below the drive holds a character the code page cannot
/// hold, for a path already in Windows form, and on Windows.
std::optional<std::string> windowsFormThroughWine(std::string_view nativePath);

/// While an object of this class lives, toFsPath() on the same thread lists each directory it has
/// to search for a name of another letter case at most once, instead of once for every name
/// looked up in it: a run that writes N new files into a directory of M files then reads M names
/// once rather than N times. Names the run itself gives to new files are remembered too, so a
/// later spelling of one in another letter case still finds it. What other programs add to a
/// listed directory while the object lives is not seen. Objects nest: only the outermost one
/// counts. An engine run holds one for its whole length.
class DirectoryListingScope {
public:
    DirectoryListingScope();
    ~DirectoryListingScope();
    DirectoryListingScope(const DirectoryListingScope&) = delete;
    DirectoryListingScope& operator=(const DirectoryListingScope&) = delete;

private:
    bool m_owner = false;
};

/// The name of the entry of `directory` (a path string) that equals `name` without regard to
/// letter case, the exact spelling first; nullopt when there is none.
std::optional<std::string> findNameIgnoringCase(std::string_view directory, std::string_view name);

/// `base` + `subdir` (appended directly, with no separator added, as the RC directory setting ends
/// in one), with the last component spelled as the existing directory whose name matches it
/// without regard to case, exact spelling first. Unchanged when no such directory exists.
std::string resolveSubdirectory(std::string_view base, std::string_view subdir);

/// Letter case as Windows file names and registry keys know it: only a-z and A-Z change; every
/// other byte stays as it is.
char upperAscii(char c);
char lowerAscii(char c);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

/// `name` with its ASCII letters upper-cased: the key under which names that differ only in the
/// case of their ASCII letters are one.
std::string upperKey(std::string_view name);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

/// True when `text` matches the wildcard `pattern` ("*" and "?" only), letters a-z and A-Z
/// compared without regard to case, every other byte as it is.
bool wildcardMatch(std::string_view pattern, std::string_view text);

/// Orders names as NTFS lists them: ordinal comparison of the upper-cased names (a-z only).
bool ntfsLess(std::string_view a, std::string_view b);

/// An entry a listing leaves out because the 8-bit code page cannot hold its name: the name with
/// "?" for each character the code page lacks, and the first such character.
struct UnnamedEntry {
    std::string name;
    char32_t character = 0;
};

/// The ordinary files of `directory` (a path string) whose names match `pattern`: no directories,
/// no hidden files (outside Windows, names beginning with "."), sorted by ntfsLess. A directory
/// that cannot be listed gives an empty list and sets `error` when given. Files whose names the
/// code page cannot hold are left out, and listed in `unnamed` when given.
std::vector<std::string> listFiles(std::string_view directory, std::string_view pattern,
                                   std::string* error = nullptr,
                                   std::vector<UnnamedEntry>* unnamed = nullptr);

/// The immediate subdirectories of `directory`, hidden ones left out, sorted by ntfsLess.
std::vector<std::string> listDirectories(std::string_view directory, std::string* error = nullptr);

/// The name of a directory entry as the program's strings carry it, in the code page (see
/// programName()); nullopt for a name the code page cannot hold.
std::optional<std::string> directoryEntryName(const std::filesystem::directory_entry& entry);

/// True for an entry that listings leave out: hidden or system on Windows; elsewhere a name
/// beginning with ".".
bool isHiddenEntry(const std::filesystem::directory_entry& entry, std::string_view name);

/// `name` less its last four characters (the dot and a three-letter extension); empty when the
/// name is shorter.
std::string stripExtension(std::string_view name);

} // namespace deckshift::settings
