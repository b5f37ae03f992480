#include "formats/GroupList.h"

#include "settings/Paths.h"

#include <array>

namespace deckshift::formats {

namespace {

constexpr std::string_view kListName = "Groups.xml";
constexpr std::string_view kWorkName = "GroupsTMP.xml";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool isBlankLine(std::string_view line) {
    for (char c : line)
        if (!isBlank(c))
            return false;
    return true;
}

std::string_view trimBlanksRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string refusedText(const std::string& listPath) {
    return "The PCDJ FX group list \"" + listPath +
           "\" does not end with </Groups>, so no group can be added to it. Nothing was written. "
           "Please repair the list in PCDJ FX and try again.";
}

} // namespace

std::string groupStartLine(std::string_view groupName) {
    std::string line = "   <Group Name=\"";
    line += groupName;
    line += "\" pos=\"2\" lastrow=\"-1\">";
    return line;
}

std::string subgroupLine(std::string_view playlistName, std::string_view playlistPath) {
    std::string line = "      <SubGroup Name=\"";
    line += playlistName;
    line += "\" pos=\"0\" src=\"";
    line += playlistPath;
    line += "\"/>";
    return line;
}

std::optional<GroupListEnd> scanGroupList(LineReader& lines) {
    std::string line;
    std::string last; // the last line that is not all blanks
    std::uint64_t lineNumber = 0;
    std::uint64_t lastNumber = 0;
    while (lines.next(line)) {
        ++lineNumber;
        if (!isBlankLine(line)) {
            lastNumber = lineNumber;
            last.swap(line);
        }
    }
    std::string_view tail = trimBlanksRight(last);
    if (lastNumber == 0 || !tail.ends_with(kRootEndLine))
        return std::nullopt;
    GroupListEnd end;
    end.keepLines = lastNumber - 1;
    std::string_view before = trimBlanksRight(tail.substr(0, tail.size() - kRootEndLine.size()));
    if (!before.empty())
        end.keptPrefix = std::string(before);
    return end;
}

GroupListRefused::GroupListRefused(const std::string& listPath)
    : std::runtime_error(refusedText(listPath)) {}

GroupListUpdate::GroupListUpdate(std::string rcDir) : m_rcDir(std::move(rcDir)) {}

GroupListUpdate::~GroupListUpdate() { abandon(); }

std::string GroupListUpdate::listPath() const { return m_rcDir + std::string(kListName); }
std::string GroupListUpdate::workPath() const { return m_rcDir + std::string(kWorkName); }

void GroupListUpdate::begin(std::string_view groupName) {
    abandon();
    const std::string list = listPath();
    // The list is read twice: once to find its closing line, once to copy what comes before it.
    FileSource source(list, settings::toFsPath(list));
    LineReader listLines(source);
    auto end = scanGroupList(listLines);
    if (!end)
        throw GroupListRefused(list);
    listLines.rewind();

    const std::string work = workPath();
    auto out = std::make_unique<AtomicFile>(work, settings::toFsPath(work),
                                            AtomicFile::Durability::SyncToDisk);
    std::string line;
    for (std::uint64_t n = 0; n < end->keepLines && listLines.next(line); ++n)
        out->writeLine(line);
    if (end->keptPrefix)
        out->writeLine(*end->keptPrefix);
    out->writeLine(groupStartLine(groupName));
    m_work = std::move(out);
}

void GroupListUpdate::addSubgroup(std::string_view playlistName, std::string_view playlistPath) {
    if (!m_work)
        throw std::logic_error("group list update: addSubgroup before begin");
    m_work->writeLine(subgroupLine(playlistName, playlistPath));
}

void GroupListUpdate::finish() {
    if (!m_work)
        throw std::logic_error("group list update: finish before begin");
    m_work->writeLine(kGroupEndLine);
    m_work->writeLine(kRootEndLine);
    m_work->commit();
    m_work.reset();

    // The list itself is replaced only now, with the bytes of the work file.
    const std::string work = workPath();
    const std::string list = listPath();
    FileSource in(work, settings::toFsPath(work));
    AtomicFile out(list, settings::toFsPath(list), AtomicFile::Durability::SyncToDisk);
    std::array<char, 64 * 1024> block{};
    for (std::size_t n; (n = in.read(block.data(), block.size())) > 0;)
        out.write(std::string_view(block.data(), n));
    out.commit();
}

void GroupListUpdate::abandon() noexcept { m_work.reset(); }

std::optional<std::string> checkGroupList(const std::string& rcDir) {
    const std::string list = rcDir + std::string(kListName);
    try {
        FileSource source(list, settings::toFsPath(list));
        LineReader lines(source);
        if (!scanGroupList(lines))
            return refusedText(list);
    } catch (const FileError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

} // namespace deckshift::formats
