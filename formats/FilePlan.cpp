#include "formats/FilePlan.h"

#include <cerrno>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace deckshift::formats {

void FilePlan::file(const std::string& displayPath, const fs::path& fsPath) {
    std::error_code ec;
    const bool exists = fs::exists(fsPath, ec) || m_planned.count(displayPath) > 0;
    m_planned.insert(displayPath);
    line((exists ? "replace " : "create ") + displayPath);
}

OutputFile::OutputFile(std::string displayPath, fs::path fsTarget, FilePlan* dryRun,
                       AtomicFile::Durability durability)
    : m_displayPath(std::move(displayPath)), m_target(std::move(fsTarget)), m_plan(dryRun) {
    if (!m_plan) {
        m_file = std::make_unique<AtomicFile>(m_displayPath, m_target, durability);
        return;
    }
    std::error_code ec;
    if (fs::is_directory(m_target, ec))
        throw FileError(m_displayPath, "write", "a directory of that name exists");
#ifndef _WIN32
    // A directory the run would create first is looked at through the nearest one that exists.
    fs::path dir = m_target.parent_path().empty() ? fs::path(".") : m_target.parent_path();
    while (!fs::exists(dir, ec) && dir.has_parent_path() && dir.parent_path() != dir)
        dir = dir.parent_path();
    if (::access(dir.c_str(), W_OK | X_OK) != 0)
        throw FileError(m_displayPath, "write", std::generic_category().message(errno));
#endif
}

void OutputFile::handOn(bool all) {
    // Whole blocks until the end, which AtomicFile writes without copying them again.
    const std::size_t count = all ? m_pending.size() : m_pending.size() / kBlock * kBlock;
    // A dry run writes nothing: the bytes are dropped.
    if (m_file)
        m_file->write(std::string_view(m_pending).substr(0, count));
    m_pending.erase(0, count);
}

void OutputFile::commit() {
    handOn(true);
    if (m_file) {
        m_file->commit();
        m_file.reset();
    } else if (m_plan) {
        m_plan->file(m_displayPath, m_target);
        m_plan = nullptr;
    }
}

} // namespace deckshift::formats
