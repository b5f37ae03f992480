#include "ui/Lists.h"

#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"

#include <filesystem>

namespace deckshift::ui {

void followDrive(DriveList& drive, DirList& dir) {
    const std::string chosen = drive.drive();
    std::string error;
    if (dir.setPath(currentDirectoryOf(chosen), &error))
        return;
    if (drive.changedByUser()) {
        showMessage(QStringLiteral("The drive %1 cannot be read: %2. Please choose another drive.")
                        .arg(qs(chosen), qs(error)),
                    QStringLiteral("Deckshift"));
    }
    drive.restore(driveOf(dir.path()));
}

bool setListsToPath(DriveList& drive, DirList& dir, FileList* file, std::string_view path) {
    std::error_code ec;
    const auto fsPath = settings::toFsPath(normalizeDirectory(path));
    if (fsPath.empty() || !std::filesystem::is_directory(fsPath, ec))
        return false;
    drive.setDrive(path);
    if (!dir.setPath(path))
        return false;
    if (file)
        file->setPath(dir.path());
    return true;
}

} // namespace deckshift::ui
