#include "formats/GroupListBackup.h"

#include "formats/TextIO.h"
#include "settings/Paths.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::formats {

std::string groupListBackupPath(const std::string& listPath, int n) {
    return listPath + "." + std::to_string(n) + ".bak";
}

std::string groupListOriginalPath(const std::string& listPath) {
    return listPath + ".original.bak";
}

namespace {

/// Copies the file at `from` to `to` through a temporary file synced to disk. With `beforeRename`
/// it runs once the copy is whole on disk, last before the copy is renamed into place.
void copyFile(const std::string& from, const std::string& to,
              const std::function<void()>& beforeRename = {}) {
    FileSource in(from, settings::toFsPath(from));
    AtomicFile copy(to, settings::toFsPath(to), AtomicFile::Durability::SyncToDisk);
    copyBytes(in, copy);
    copy.commit(beforeRename);
}

bool backupExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(settings::toFsPath(path), ec);
}

} // namespace

void backupGroupList(const std::string& listPath) {
    // The copy is written whole and forced to disk before anything else changes, so that a copy
    // that fails leaves the backups as they were.
    copyFile(listPath, groupListBackupPath(listPath, 1), [&listPath] {
        // The first backup ever made stays as it is: the oldest backup kept, else the list.
        const std::string original = groupListOriginalPath(listPath);
        if (!backupExists(original)) {
            std::string oldest = listPath;
            for (int n = kGroupListBackups; n >= 1; --n) {
                if (backupExists(groupListBackupPath(listPath, n))) {
                    oldest = groupListBackupPath(listPath, n);
                    break;
                }
            }
            copyFile(oldest, original);
        }
        // Now the older backups make room for the copy.
        std::error_code ec;
        const std::string last = groupListBackupPath(listPath, kGroupListBackups);
        fs::remove(settings::toFsPath(last), ec);
        if (ec)
            throw FileError(last, "remove", ec.message());
        for (int n = kGroupListBackups - 1; n >= 1; --n) {
            const std::string from = groupListBackupPath(listPath, n);
            if (!backupExists(from))
                continue;
            const std::string to = groupListBackupPath(listPath, n + 1);
            fs::rename(settings::toFsPath(from), settings::toFsPath(to), ec);
            if (ec)
                throw FileError(from, "rename", ec.message());
        }
    });
}

} // namespace deckshift::formats
