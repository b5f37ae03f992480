#include "formats/GroupList.h"

#include "formats/SafeNames.h"
#include "formats/XmlText.h"
#include "settings/Paths.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace deckshift::formats {

namespace {

constexpr std::string_view kListName = "Groups.xml";
constexpr std::string_view kWorkName = "GroupsTMP.xml";
constexpr std::size_t kPlaylistsNamed = 10;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

std::string_view trimBlanksRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Follows the reason a group list cannot be read, which names the list.
constexpr std::string_view kMissingListAdvice =
    ". Nothing was written. Please check that this is the PCDJ FX RecordCase directory and that "
    "its group list Groups.xml is there, or convert without registering the group.";

std::string refusedText(const std::string& listPath) {
    return "The PCDJ FX group list \"" + listPath +
           "\" does not end with </Groups>, so no group can be added to it. Nothing was written. "
           "Please repair the list in PCDJ FX and try again.";
}

/// Passes the bytes of a source on and keeps a digest of them (their count and a 64-bit FNV-1a
/// hash), to tell whether a file read twice gave the same bytes both times.
class DigestSource final : public ByteSource {
public:
    struct Digest {
        std::uint64_t size = 0;
        std::uint64_t hash = 14695981039346656037ull;
        bool operator==(const Digest&) const = default;
    };

    explicit DigestSource(ByteSource& inner) : m_inner(inner) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t n = m_inner.read(buffer, size);
        for (std::size_t i = 0; i < n; ++i) {
            m_digest.hash ^= static_cast<unsigned char>(buffer[i]);
            m_digest.hash *= 1099511628211ull;
        }
        m_digest.size += n;
        return n;
    }
    void rewind() override {
        m_inner.rewind();
        m_digest = {};
    }
    const Digest& digest() const { return m_digest; }

private:
    ByteSource& m_inner;
    Digest m_digest;
};

/// Forces a commit of `file` in the RC directory `rcDir` to disk: the RC directory's entries, and
/// those of the directory where the replaced file stands when that is another one (a list that is
/// a symbolic link to a file elsewhere).
void syncReplaced(const std::string& rcDir, const AtomicFile& file) {
    const std::filesystem::path rc = settings::toFsPath(rcDir);
    syncDirectory(rcDir, rc, DirectorySync::Entries);
    const std::filesystem::path where = file.replacedPath().parent_path();
    std::error_code ec;
    if (!std::filesystem::equivalent(where, rc, ec))
        syncDirectory(where.string(), where, DirectorySync::Entries);
}

DigestSource::Digest digestOf(const std::string& path) {
    FileSource file(path, settings::toFsPath(path));
    DigestSource bytes(file);
    readBlocks(bytes, [](std::string_view) { return true; });
    return bytes.digest();
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

namespace {

/// What the scan needs of a line that may be too long to hold: whether it holds anything but
/// blanks, and whether it ends in "</Groups>" (blanks after it allowed) and where the part before
/// that ends once its own trailing blanks are dropped. Fed in pieces, it keeps only the last few
/// bytes that are not blanks, with their offsets in the line.
class LineEndScan {
public:
    void feed(std::string_view piece) {
        // The last kKeep bytes of the piece that are not blanks, found from its end.
        std::array<Byte, kKeep> recent{};
        std::size_t found = 0;
        for (std::size_t i = piece.size(); i > 0 && found < kKeep; --i) {
            if (!isBlank(piece[i - 1]))
                recent[found++] = {piece[i - 1], m_offset + i - 1};
        }
        m_offset += piece.size();
        // Those held before go first; only the last kKeep of all stay.
        const std::size_t fromBefore = std::min(m_count, kKeep - found);
        std::array<Byte, kKeep> merged{};
        std::size_t n = 0;
        for (std::size_t i = m_count - fromBefore; i < m_count; ++i)
            merged[n++] = m_bytes[i];
        for (std::size_t i = found; i > 0; --i)
            merged[n++] = recent[i - 1];
        m_bytes = merged;
        m_count = n;
    }
    void reset() { *this = {}; }
    bool blank() const { return m_count == 0; }
    /// nullopt when the line does not end in "</Groups>"; else the length of the part before it,
    /// less the blanks at its end (0 when there is none).
    std::optional<std::uint64_t> closedPrefix() const {
        const std::size_t tagLength = kRootEndLine.size();
        if (m_count < tagLength)
            return std::nullopt;
        const std::size_t first = m_count - tagLength;
        for (std::size_t i = 0; i < tagLength; ++i) {
            if (m_bytes[first + i].c != kRootEndLine[i] ||
                m_bytes[first + i].offset != m_bytes[first].offset + i)
                return std::nullopt;
        }
        return first == 0 ? 0 : m_bytes[first - 1].offset + 1;
    }

private:
    struct Byte {
        char c = 0;
        std::uint64_t offset = 0;
    };
    static constexpr std::size_t kKeep = kRootEndLine.size() + 1;
    std::array<Byte, kKeep> m_bytes{}; ///< oldest first
    std::size_t m_count = 0;
    std::uint64_t m_offset = 0;
};

} // namespace

std::optional<GroupListEnd> scanGroupList(LineReader& lines) {
    std::string piece;
    LineEndScan current;
    std::optional<std::uint64_t> lastPrefix; // of the last line that is not all blanks
    std::uint64_t lineNumber = 0;
    std::uint64_t lastNumber = 0;
    bool lfEnds = false;
    bool crEnds = false;
    bool lineEnds = true;
    while (lines.nextPiece(piece, lineEnds)) {
        current.feed(piece);
        if (!lineEnds)
            continue;
        ++lineNumber;
        lfEnds |= lines.lastLineEnd() == '\n';
        crEnds |= lines.lastLineEnd() == '\r';
        if (!current.blank()) {
            lastNumber = lineNumber;
            lastPrefix = current.closedPrefix();
        }
        current.reset();
    }
    if (lastNumber == 0 || !lastPrefix)
        return std::nullopt;
    GroupListEnd end;
    end.keepLines = lastNumber - 1;
    end.keptPrefixLength = *lastPrefix;
    end.lfLineEnds = lfEnds && !crEnds;
    return end;
}

bool copyLine(LineReader& lines, AtomicFile& out, std::string_view lastEnd, std::uint64_t limit) {
    std::string piece;
    bool lineEnds = false;
    if (!lines.nextPiece(piece, lineEnds))
        return false;
    for (;;) {
        const auto kept = std::min<std::uint64_t>(limit, piece.size());
        out.write(std::string_view(piece).substr(0, static_cast<std::size_t>(kept)));
        limit -= kept;
        if (lineEnds)
            break;
        lines.nextPiece(piece, lineEnds);
    }
    switch (lines.lastLineEnd()) {
    case '\n':
        out.write("\n");
        break;
    case '\r':
        out.write("\r\n");
        break;
    default:
        out.write(lastEnd);
        break;
    }
    return true;
}

std::optional<std::string_view> groupNameOfLine(std::string_view line) {
    constexpr std::string_view kStart = "<Group Name=\"";
    std::size_t pos = 0;
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    if (line.substr(pos, kStart.size()) != kStart)
        return std::nullopt;
    const std::size_t nameStart = pos + kStart.size();
    const auto quote = line.find('"', nameStart);
    if (quote == std::string_view::npos)
        return std::nullopt;
    return line.substr(nameStart, quote - nameStart);
}

std::string playlistPathKey(std::string_view path) {
    std::string key = fileNameKey(path);
    for (char& c : key) {
        if (c == '/')
            c = '\\';
    }
    return key;
}

std::set<std::string> listedPlaylists(LineReader& lines, std::string_view exceptGroup,
                                      bool leaveOut) {
    constexpr std::string_view kSubgroup = "<SubGroup ";
    constexpr std::string_view kSrc = " src=\"";
    std::set<std::string> listed;
    std::string line;
    std::string value;
    bool inLeftOut = false; // within a group named exceptGroup
    while (lines.next(line)) {
        if (lines.lastLineTooLong())
            continue;
        if (const auto name = groupNameOfLine(line))
            inLeftOut = leaveOut && *name == exceptGroup;
        // A group and its subgroups may share a line: each SubGroup on it is looked at.
        for (auto at = line.find(kSubgroup); at != std::string::npos;
             at = line.find(kSubgroup, at + 1)) {
            if (inLeftOut)
                break;
            const auto src = line.find(kSrc, at);
            const auto end = src == std::string::npos ? src : line.find('"', src + kSrc.size());
            if (end == std::string::npos)
                break;
            const auto start = src + kSrc.size();
            decodeXmlText(std::string_view(line).substr(start, end - start), value);
            listed.insert(playlistPathKey(value));
        }
        if (trimBlanksRight(line).ends_with("</Group>"))
            inLeftOut = false;
    }
    return listed;
}

std::vector<std::pair<std::uint64_t, std::uint64_t>>
findGroups(LineReader& lines, std::string_view name, std::uint64_t beforeLine) {
    auto isGroupEnd = [](std::string_view line) {
        line = trimBlanksRight(line);
        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        return line == "</Group>";
    };
    std::vector<std::pair<std::uint64_t, std::uint64_t>> found;
    std::string line;
    std::uint64_t lineNumber = 0;
    std::uint64_t open = 0; // the Group line of the group being read, 0 for none
    while (lineNumber < beforeLine && lines.next(line)) {
        ++lineNumber;
        if (lines.lastLineTooLong())
            continue;
        if (open != 0) {
            if (isGroupEnd(line)) {
                found.emplace_back(open, lineNumber);
                open = 0;
                continue;
            }
            if (!groupNameOfLine(line))
                continue;
            open = 0; // a group that never closed is left alone
        }
        const auto groupName = groupNameOfLine(line);
        if (groupName && *groupName == name) {
            if (trimBlanksRight(line).ends_with("/>"))
                found.emplace_back(lineNumber, lineNumber);
            else
                open = lineNumber;
        }
    }
    // The rest of the list is read too, so that a reader that keeps a digest sees all of it.
    while (lines.next(line)) {
    }
    return found;
}

GroupListRefused::GroupListRefused(const std::string& listPath)
    : std::runtime_error(refusedText(listPath)) {}

GroupListUpdate::GroupListUpdate(std::string rcDir, GroupListUpdateOptions options)
    : m_rcDir(std::move(rcDir)), m_options(options) {}

GroupListUpdate::~GroupListUpdate() {
    abandon();
}

std::string GroupListUpdate::listPath() const {
    return m_rcDir + std::string(kListName);
}
std::string GroupListUpdate::workPath() const {
    return m_rcDir + std::string(kWorkName);
}

void GroupListUpdate::begin(std::string_view groupName) {
    abandon();
    // Refused here, before the group's first playlist is written, when the list cannot take a
    // group; finish() reads the list afresh.
    const std::string list = listPath();
    FileSource source(list, settings::toFsPath(list));
    LineReader listLines(source, kGroupListLineEnds);
    const auto end = scanGroupList(listLines);
    if (!end)
        throw GroupListRefused(list);
    m_lineEnd = lineEndOf(*end);
    listLines.rewind();
    m_alreadyListed = findGroups(listLines, groupName, end->keepLines).size();
    listLines.rewind();
    m_listed = listedPlaylists(listLines, groupName, m_options.replaceListed);
    m_groupName = groupName;
    m_begun = true;
    if (m_options.dryRun)
        return; // no spool either: a dry run leaves no temporary file

    const std::string work = workPath();
    // Never committed: its temporary file holds the subgroup lines until finish() copies them.
    m_spool = std::make_unique<AtomicFile>(work, settings::toFsPath(m_rcDir + "GroupsTMP.spool"));
    m_groupName = groupName;
}

void GroupListUpdate::addSubgroup(std::string_view playlistName, std::string_view playlistPath) {
    if (!m_begun)
        throw std::logic_error("group list update: addSubgroup before begin");
    if (m_spool) {
        m_spool->write(subgroupLine(playlistName, playlistPath));
        m_spool->write(m_lineEnd);
    }
    if (m_firstPlaylists.size() < kPlaylistsNamed)
        m_firstPlaylists.emplace_back(playlistPath);
    ++m_playlistCount;
}

std::string GroupListUpdate::keptPlaylistsText() const {
    if (m_playlistCount == 0)
        return "The group has no playlists.";
    std::string text = m_playlistCount == 1 ? "Its playlist was written and is kept: "
                                            : "Its " + std::to_string(m_playlistCount) +
                                                  " playlists were written and are kept: ";
    for (std::size_t i = 0; i < m_firstPlaylists.size(); ++i)
        text += (i ? ", \"" : "\"") + m_firstPlaylists[i] + "\"";
    if (m_playlistCount > m_firstPlaylists.size())
        text += ", ...";
    return text + ".";
}

void GroupListUpdate::finish() {
    if (!m_begun)
        throw std::logic_error("group list update: finish before begin");
    if (m_options.dryRun) {
        const bool replacing = m_options.replaceListed && m_alreadyListed > 0;
        m_options.dryRun->line("update " + listPath() + ": " + (replacing ? "replace" : "add") +
                               " group " + m_groupName + " with " +
                               std::to_string(m_playlistCount) +
                               (m_playlistCount == 1 ? " subgroup" : " subgroups"));
    } else {
        replaceList();
    }
    abandon();
}

void GroupListUpdate::replaceList() {
    const std::string list = listPath();
    const std::string work = workPath();
    auto changed = [&](std::string_view what) {
        return GroupListChanged(
            "The PCDJ FX group list \"" + list + "\" " + std::string(what) + " while the group \"" +
            m_groupName +
            "\" was being added to it, so the group was not added and the list was left as it "
            "is. " +
            keptPlaylistsText() +
            " Please close PCDJ FX (or wait for the other conversion to end) and convert the "
            "group again.");
    };

    m_spool->flush();
    // Other Deckshift runs wait here; the list is read, extended and replaced within one hold.
    DirectoryLock lock(m_rcDir, settings::toFsPath(m_rcDir));

    AtomicFile out(work, settings::toFsPath(work), AtomicFile::Durability::SyncToDisk);
    DigestSource::Digest found;
    std::string lineEnd = m_lineEnd;
    auto writeLine = [&](std::string_view line) {
        out.write(line);
        out.write(lineEnd);
    };
    auto writeGroup = [&] {
        writeLine(groupStartLine(m_groupName));
        FileSource spool(work, m_spool->temporaryPath());
        if (lineEnd == m_lineEnd) {
            copyBytes(spool, out);
        } else {
            // The list's line ends changed since begin(): the spooled lines take the new ones.
            // (Their text holds no CR or LF of its own.)
            std::string line;
            LineReader spooled(spool, kGroupListLineEnds);
            while (spooled.next(line))
                writeLine(line);
        }
        writeLine(kGroupEndLine);
    };
    {
        // The list is closed again before anything is renamed over it: Windows refuses to
        // replace a file that is still open.
        FileSource listFile(list, settings::toFsPath(list));
        DigestSource listBytes(listFile);
        LineReader listLines(listBytes, kGroupListLineEnds);
        const auto end = scanGroupList(listLines);
        if (!end)
            throw changed("was changed and no longer ends with </Groups>");
        lineEnd = lineEndOf(*end);
        found = listBytes.digest();
        listLines.rewind();
        // With replaceListed, the groups of the same name go and the new group stands where
        // the first of them stood.
        std::vector<std::pair<std::uint64_t, std::uint64_t>> replaced;
        if (m_options.replaceListed) {
            replaced = findGroups(listLines, m_groupName, end->keepLines);
            if (!(listBytes.digest() == found))
                throw changed("was changed by another program");
            listLines.rewind();
        }

        // Lines are copied in pieces, so that a line of any length is never held whole.
        std::string line;
        std::size_t next = 0; // the next group left out
        bool groupWritten = false;
        std::uint64_t n = 1;
        for (; n <= end->keepLines; ++n) {
            if (next < replaced.size() && n >= replaced[next].first) {
                if (!groupWritten) {
                    writeGroup();
                    groupWritten = true;
                }
                if (n == replaced[next].second)
                    ++next;
                if (!listLines.next(line))
                    break;
                continue;
            }
            if (!copyLine(listLines, out, lineEnd))
                break;
        }
        // The part of the last line before "</Groups>" stands on a line of its own.
        if (n > end->keepLines && end->keptPrefixLength > 0)
            copyLine(listLines, out, lineEnd, end->keptPrefixLength);
        while (listLines.next(line)) {
        }
        // The list read a second time must be the list scanned: one that shrank or grew in
        // between would be copied cut short or with its new end lost.
        if (!(listBytes.digest() == found))
            throw changed("was changed by another program");
        if (!groupWritten)
            writeGroup();
    }
    writeLine(kRootEndLine);

    // Each file is renamed into place only while the list still holds the bytes read above.
    auto unchanged = [&] {
        if (!(digestOf(list) == found))
            throw changed("was changed by another program");
    };
    out.commit(unchanged);
    syncReplaced(m_rcDir, out);

    // The list as it stands is kept before it is first replaced; a backup that cannot be written
    // stops the update here, with the list untouched.
    if (m_options.backup) {
        unchanged();
        m_options.backup->ensure();
    }

    // The list itself is replaced only now, with the bytes of the work file.
    FileSource in(work, settings::toFsPath(work));
    AtomicFile listOut(list, settings::toFsPath(list), AtomicFile::Durability::SyncToDisk);
    copyBytes(in, listOut);
    listOut.commit(unchanged);
    syncReplaced(m_rcDir, listOut);
}

AtomicFile::Durability GroupListUpdate::playlistDurability() const {
    return kDirectorySyncCoversFiles ? AtomicFile::Durability::Rename
                                     : AtomicFile::Durability::SyncToDisk;
}

void GroupListUpdate::abandon() noexcept {
    m_begun = false;
    m_alreadyListed = 0;
    m_spool.reset();
    m_groupName.clear();
    m_firstPlaylists.clear();
    m_playlistCount = 0;
    m_listed.clear();
}

std::optional<std::string> checkGroupList(const std::string& rcDir) {
    const std::string list = rcDir + std::string(kListName);
    try {
        FileSource source(list, settings::toFsPath(list));
        LineReader lines(source, kGroupListLineEnds);
        if (!scanGroupList(lines))
            return refusedText(list);
    } catch (const FileError& e) {
        return std::string(e.what()) + std::string(kMissingListAdvice);
    }
    return std::nullopt;
}

} // namespace deckshift::formats
