#include "formats/GroupListBackup.h"

#include "formats/TextIO.h"
#include "settings/Paths.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::formats {

std::string groupListBackupPath(const std::string& listPath, int n) {
    return listPath + "." + std::to_string(n) + ".bak";
}

void backupGroupList(const std::string& listPath) {
    const std::string first = groupListBackupPath(listPath, 1);
    FileSource in(listPath, settings::toFsPath(listPath));
    AtomicFile copy(first, settings::toFsPath(first), AtomicFile::Durability::SyncToDisk);
    std::array<char, 64 * 1024> block{};
    for (std::size_t n; (n = in.read(block.data(), block.size())) > 0;)
        copy.write(std::string_view(block.data(), n));
    copy.flush();

    // The copy is whole in its temporary file; now make room for it.
    std::error_code ec;
    const std::string oldest = groupListBackupPath(listPath, kGroupListBackups);
    fs::remove(settings::toFsPath(oldest), ec);
    if (ec)
        throw FileError(oldest, "remove", ec.message());
    for (int n = kGroupListBackups - 1; n >= 1; --n) {
        const std::string from = groupListBackupPath(listPath, n);
        const auto fsFrom = settings::toFsPath(from);
        if (!fs::exists(fsFrom, ec))
            continue;
        const std::string to = groupListBackupPath(listPath, n + 1);
        fs::rename(fsFrom, settings::toFsPath(to), ec);
        if (ec)
            throw FileError(from, "rename", ec.message());
    }
    copy.commit();
}

} // namespace deckshift::formats
