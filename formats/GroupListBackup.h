#pragma once
// Backups of the PCDJ FX group list, kept beside it before a run first replaces it:
// Groups.xml.1.bak is the list as it stood before the latest run, .2.bak the one before, and so on
// up to .5.bak. The first backup ever made is also kept as Groups.xml.original.bak, which no later
// backup replaces.

#include <string>

namespace deckshift::formats {

inline constexpr int kGroupListBackups = 5;

/// The path of backup number `n` (1 to 5) of the list at `listPath`: listPath + ".n.bak".
std::string groupListBackupPath(const std::string& listPath, int n);

/// The path of the first backup ever made of the list at `listPath`: listPath + ".original.bak".
std::string groupListOriginalPath(const std::string& listPath);

/// Keeps a copy of the list at `listPath` as ".1.bak": the copy is written whole to a temporary
/// file and forced to disk first; only then, where there is no ".original.bak" yet, is the oldest
/// backup there is (else the list itself) copied to it, the older backups moved up by one
/// (".1.bak" becomes ".2.bak" and so on, ".5.bak" is removed) and the copy renamed into place.
/// Throws FileError when a copy cannot be read or written; a copy of the list that fails leaves
/// the backups as they were.
void backupGroupList(const std::string& listPath);

/// Makes one backup per run, however many groups the run registers: the first call of ensure()
/// makes it, later calls do nothing.
class GroupListBackup {
public:
    explicit GroupListBackup(std::string listPath) : m_listPath(std::move(listPath)) {}
    void ensure() {
        if (m_done)
            return;
        backupGroupList(m_listPath);
        m_done = true;
    }
    bool done() const { return m_done; }
    const std::string& listPath() const { return m_listPath; }

private:
    std::string m_listPath;
    bool m_done = false;
};

} // namespace deckshift::formats
