#pragma once
// Dry runs: what a run would write, told line by line instead of written.

#include "formats/TextIO.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace deckshift::formats {

/// Collects the lines of a dry run: "create PATH" or "replace PATH" for each file a run would
/// write, and any other line a writer gives (the group list's "update" line).
class FilePlan {
public:
    explicit FilePlan(std::function<void(std::string_view)> print) : m_print(std::move(print)) {}
    /// A file the run would write: "replace" when it exists on disk or an earlier step of the same
    /// run would have written it, "create" otherwise.
    void file(const std::string& displayPath, const std::filesystem::path& fsPath);
    void line(std::string_view text) {
        if (m_print)
            m_print(text);
    }

private:
    std::function<void(std::string_view)> m_print;
    std::set<std::string> m_planned;
};

/// An output file written whole through AtomicFile or, with a plan, only planned: nothing is
/// created, not even a temporary file, and commit() tells the plan instead. The refusals that do
/// not depend on the bytes (a directory in the way, a directory that cannot be written) are the
/// same in both.
class OutputFile {
public:
    OutputFile(std::string displayPath, std::filesystem::path fsTarget, FilePlan* dryRun,
               AtomicFile::Durability durability = AtomicFile::Durability::Rename);
    void write(std::string_view bytes) {
        m_pending.append(bytes);
        appended();
    }
    void writeLine(std::string_view line) {
        m_pending.append(line);
        m_pending.append("\r\n");
        appended();
    }
    /// The bytes not yet written, for a writer that builds its lines in place: append whole lines
    /// to it and call appended() after each, which hands the bytes on once they fill a block.
    std::string& buffer() { return m_pending; }
    void appended() {
        if (m_pending.size() >= kBlock)
            handOn();
    }
    void commit();

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    /// Hands on the whole blocks of the bytes pending, or with `all` every byte.
    void handOn(bool all = false);

    std::string m_displayPath;
    std::filesystem::path m_target;
    FilePlan* m_plan;
    std::unique_ptr<AtomicFile> m_file;
    std::string m_pending;
};

} // namespace deckshift::formats
