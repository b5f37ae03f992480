#pragma once
// What the windows do with their drive, directory and file lists together.

#include <string_view>

namespace deckshift::ui {

class DirList;
class DriveList;
class FileList;

/// Opens the current directory of the drive just chosen in `drive` in `dir`. A drive that cannot
/// be read puts the drive list back to the directory list's drive; when the user chose it, a
/// message says so first.
void followDrive(DriveList& drive, DirList& dir);

/// Sets the lists to `path`: the drive list takes its drive (whose change handler moves the
/// directory list to that drive's current directory), the directory list is set to the path, and
/// the file list, where there is one, too. A path that cannot be listed changes nothing and gives
/// false.
bool setListsToPath(DriveList& drive, DirList& dir, FileList* file, std::string_view path);

} // namespace deckshift::ui
