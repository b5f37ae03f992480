#include "convert/TrackCollection.h"

#include "convert/ExportText.h"
#include "formats/TextIO.h"
#include "settings/Paths.h"

#include <array>
#include <cstring>
#include <limits>
#include <optional>

namespace deckshift::convert {

namespace {

/// The bytes by which two paths are compared, one at a time: a run of separators counts as one
/// (the same file on every system); a path the source gave in Windows form is `folded`, its
/// letters compared without regard to case and "\\" taken as "/".
class KeyBytes {
public:
    KeyBytes(const char* bytes, std::uint32_t length, bool folded)
        : m_p(bytes), m_end(bytes + length), m_folded(folded) {}
    /// The next byte, or -1 at the end.
    int next() {
        while (m_p < m_end) {
            char c = *m_p++;
            if (m_folded)
                c = c == '\\' ? '/' : settings::upperAscii(c);
            if (c == '/' && m_previous == '/')
                continue;
            m_previous = c;
            return static_cast<unsigned char>(c);
        }
        return -1;
    }

private:
    const char* m_p;
    const char* m_end;
    bool m_folded;
    char m_previous = 0;
};

} // namespace

/// The playlists' entries on their way to the document: track indices, four bytes each in the
/// machine's order, in a temporary file beside the output that is never renamed into place and
/// is removed with this object.
class TrackCollection::Spool {
public:
    explicit Spool(const std::string& outputPath)
        : m_file(outputPath, settings::toFsPath(outputPath)) {
        m_buffer.reserve(kBlock);
    }
    void put(std::uint32_t index) {
        char bytes[4];
        std::memcpy(bytes, &index, 4);
        m_buffer.append(bytes, 4);
        if (m_buffer.size() >= kBlock) {
            m_file.write(m_buffer);
            m_buffer.clear();
        }
    }
    /// Ends writing; from here on get() reads the indices back from the first.
    void rewind() {
        m_file.write(m_buffer);
        m_buffer.clear();
        m_file.flush();
        m_reader.emplace(m_file.displayPath(), m_file.temporaryPath());
        m_pos = m_end = 0;
    }
    std::uint32_t get() {
        if (m_pos + 4 > m_end) {
            // Whole indices only: the block size is a multiple of four.
            const std::size_t left = m_end - m_pos;
            std::memmove(m_block.data(), m_block.data() + m_pos, left);
            m_end = left + m_reader->read(m_block.data() + left, m_block.size() - left);
            m_pos = 0;
            if (m_end < 4)
                throw formats::FileError(m_file.displayPath(), "read",
                                         "the temporary file beside it ended early");
        }
        std::uint32_t index;
        std::memcpy(&index, m_block.data() + m_pos, 4);
        m_pos += 4;
        return index;
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    formats::AtomicFile m_file;
    std::string m_buffer;
    std::optional<formats::FileSource> m_reader;
    std::array<char, kBlock> m_block{};
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
};

std::size_t TrackCollection::Hash::operator()(std::uint32_t index) const {
    const Track& t = owner->m_tracks[index];
    // FNV-1a over the folded bytes for every track: two paths equal exactly are equal folded too,
    // so a track compared exactly hashes as one compared folded.
    KeyBytes bytes(owner->m_arena.data() + t.offset, t.length, true);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (int c; (c = bytes.next()) >= 0;) {
        hash ^= static_cast<unsigned>(c);
        hash *= 0x100000001b3ull;
    }
    return static_cast<std::size_t>(hash);
}

bool TrackCollection::Equal::operator()(std::uint32_t a, std::uint32_t b) const {
    const Track& x = owner->m_tracks[a];
    const Track& y = owner->m_tracks[b];
    const char* p = owner->m_arena.data() + x.offset;
    const char* q = owner->m_arena.data() + y.offset;
    const bool folded = x.folded && y.folded;
    if (!folded && x.length == y.length && std::memcmp(p, q, x.length) == 0)
        return true;
    KeyBytes left(p, x.length, folded);
    KeyBytes right(q, y.length, folded);
    for (;;) {
        const int c = left.next();
        if (c != right.next())
            return false;
        if (c < 0)
            return true;
    }
}

TrackCollection::TrackCollection(MessageSink& messages, std::string outputPath,
                                 formats::FilePlan* dryRun)
    : m_messages(messages), m_outputPath(std::move(outputPath)),
      m_index(0, Hash{this}, Equal{this}) {
    if (!dryRun)
        m_spool = std::make_unique<Spool>(m_outputPath);
}

TrackCollection::~TrackCollection() = default;

void TrackCollection::beginGroup(std::string_view name) {
    m_groups.push_back({textToUtf8(name), {}});
}

void TrackCollection::beginPlaylist(std::string_view name) {
    m_groups.back().playlists.push_back({textToUtf8(name)});
}

void TrackCollection::leaveOut(const LibraryTrack& track, std::uint64_t& count,
                               std::string_view why) {
    if (++count > kMaxWarned)
        return;
    const auto& group = m_groups.back();
    std::string text = std::string(track.source) + ":" + std::to_string(track.line) +
                       ": a track of playlist \"" + group.playlists.back().name + "\" in group \"" +
                       group.name + "\" was left out: " + std::string(why);
    if (count == kMaxWarned)
        text += " (further tracks left out for this reason are counted, not named)";
    m_messages.message(MessageKind::Warning, text, kTitleDeckshift);
}

bool TrackCollection::add(const LibraryTrack& track) {
    if (holdsControlCharacter(track.path)) {
        leaveOut(track, m_leftOut.controlCharacter,
                 "its path holds a control character, which the file cannot hold.");
        return false;
    }
    if (!isAbsoluteTrackPath(track.path)) {
        leaveOut(track, m_leftOut.notAbsolute,
                 "its path \"" + std::string(track.path) +
                     "\" is not absolute (a drive letter and a folder, or \"/\"), so the "
                     "application could not find the file. A --relocate rule can make it one.");
        return false;
    }
    if (m_tracks.size() >= std::numeric_limits<std::uint32_t>::max() ||
        track.path.size() >= std::numeric_limits<std::uint32_t>::max())
        throw formats::FileError(m_outputPath, "write", "the library holds too many tracks");
    const auto candidate = static_cast<std::uint32_t>(m_tracks.size());
    m_tracks.push_back(
        {m_arena.size(), static_cast<std::uint32_t>(track.path.size()), track.windowsForm});
    m_arena.append(track.path);
    const auto [it, inserted] = m_index.insert(candidate);
    if (!inserted) {
        m_tracks.pop_back();
        m_arena.resize(m_arena.size() - track.path.size());
    }
    auto& playlist = m_groups.back().playlists.back();
    ++playlist.entries;
    ++m_entries;
    if (m_spool) {
        m_spool->put(*it);
        ++playlist.spooled;
    }
    return true;
}

void TrackCollection::endPlaylist() {}

void TrackCollection::dropPlaylist() {
    auto& playlist = m_groups.back().playlists.back();
    m_entries -= playlist.entries;
    playlist.dropped = true;
}

std::uint64_t TrackCollection::bytesHeld() const {
    // The records, the path bytes, and per index a node of the hash set (a link, the index and
    // its hash: 24 bytes, 32 as the allocator hands them out) and a bucket.
    constexpr std::uint64_t kNodeBytes = 32;
    return m_tracks.capacity() * sizeof(Track) + m_arena.capacity() + m_index.size() * kNodeBytes +
           m_index.bucket_count() * sizeof(void*);
}

void TrackCollection::visit(const Visitor& visitor) {
    if (m_spool)
        m_spool->rewind();
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        const Group& group = m_groups[g];
        std::size_t kept = 0;
        for (const auto& playlist : group.playlists)
            kept += playlist.dropped ? 0u : 1u;
        visitor.group(group.name, g + 1, kept);
        std::size_t position = 0;
        for (const auto& playlist : group.playlists) {
            if (playlist.dropped) {
                for (std::uint64_t i = 0; m_spool && i < playlist.spooled; ++i)
                    m_spool->get();
                continue;
            }
            visitor.playlist(group.name, g + 1, playlist.name, ++position, playlist.entries);
            for (std::uint64_t i = 0; m_spool && i < playlist.spooled; ++i)
                visitor.entry(m_spool->get());
            visitor.endPlaylist();
        }
        visitor.endGroup();
    }
}

} // namespace deckshift::convert
