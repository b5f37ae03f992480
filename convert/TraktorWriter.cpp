// The Traktor collection file: NML with the HEAD, an empty MUSICFOLDERS, a COLLECTION of every
// distinct track once (in order of first appearance) located by volume, directory and file, and
// PLAYLISTS under the $ROOT folder: a folder per group, a playlist per subgroup whose entries name
// tracks by their key (volume, directory and file joined).

#include "convert/LibraryFormats.h"

#include "convert/ExportText.h"
#include "convert/TrackCollection.h"
#include "settings/Paths.h"

namespace deckshift::convert {

namespace {

void attribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendXmlEscaped(out, value);
    out += '"';
}

void number(std::string& out, std::string_view name, std::uint64_t value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += std::to_string(value);
    out += '"';
}

class TraktorWriter final : public LibraryWriter {
public:
    explicit TraktorWriter(const WriterSetup& setup)
        : m_setup(setup), m_tracks(*setup.messages, setup.output, setup.dryRun) {}

    void beginGroup(std::string_view name) override { m_tracks.beginGroup(name); }
    void beginPlaylist(std::string_view name) override { m_tracks.beginPlaylist(name); }
    bool track(const LibraryTrack& item) override { return m_tracks.add(item); }
    void endPlaylist() override { m_tracks.endPlaylist(); }
    void dropPlaylist() override { m_tracks.dropPlaylist(); }
    void endGroup() override { m_tracks.endGroup(); }
    std::string playlistDirectory() const override { return directoryOf(m_setup.output); }
    const TrackCollection* collection() const override { return &m_tracks; }

    void finish() override {
        formats::OutputFile file(m_setup.output, settings::toFsPath(m_setup.output),
                                 m_setup.dryRun);
        std::string& out = file.buffer();
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n"
               "<NML VERSION=\"19\">\r\n"
               "  <HEAD COMPANY=\"www.native-instruments.com\" PROGRAM=\"Traktor\"></HEAD>\r\n"
               "  <MUSICFOLDERS></MUSICFOLDERS>\r\n"
               "  <COLLECTION";
        number(out, "ENTRIES", m_tracks.size());
        out += ">\r\n";
        const std::uint64_t total = m_tracks.size();
        for (std::size_t i = 0; !m_setup.dryRun && i < m_tracks.size(); ++i) {
            if (i % 256 == 0) {
                if (m_setup.cancel && m_setup.cancel->load(std::memory_order_relaxed))
                    throw ExportCancelled{};
                if (m_setup.detailsProgress && m_setup.readTags)
                    m_setup.detailsProgress(i, total);
            }
            const std::string path = textToUtf8(m_tracks.path(i));
            const TrackDetails details = trackDetails(m_tracks.path(i), m_setup.readTags);
            const TraktorLocation location = traktorLocation(path, m_setup.volume);
            out += "    <ENTRY";
            attribute(out, "TITLE", details.title);
            if (!details.artist.empty())
                attribute(out, "ARTIST", details.artist);
            out += "><LOCATION";
            attribute(out, "DIR", location.directory);
            attribute(out, "FILE", location.file);
            attribute(out, "VOLUME", location.volume);
            out += " VOLUMEID=\"\"></LOCATION>";
            if (!details.album.empty()) {
                out += "<ALBUM";
                attribute(out, "TITLE", details.album);
                out += "></ALBUM>";
            }
            if (!details.genre.empty() || details.seconds > 0 || details.kbps > 0) {
                out += "<INFO";
                if (!details.genre.empty())
                    attribute(out, "GENRE", details.genre);
                if (details.seconds > 0)
                    number(out, "PLAYTIME", details.seconds);
                if (details.kbps > 0)
                    number(out, "BITRATE", std::uint64_t{details.kbps} * 1000);
                out += "></INFO>";
            }
            out += "</ENTRY>\r\n";
            file.appended();
        }
        if (m_setup.detailsProgress && m_setup.readTags && !m_setup.dryRun)
            m_setup.detailsProgress(total, total);
        out += "  </COLLECTION>\r\n  <PLAYLISTS>\r\n"
               "    <NODE TYPE=\"FOLDER\" NAME=\"$ROOT\"><SUBNODES";
        number(out, "COUNT", m_tracks.groups());
        out += ">\r\n";
        // Each entry names its track by key; a track listed in many playlists is located once.
        TrackCollection::Visitor visitor;
        visitor.group = [&](std::string_view name, std::size_t, std::size_t playlists) {
            out += "      <NODE TYPE=\"FOLDER\"";
            attribute(out, "NAME", name);
            out += "><SUBNODES";
            number(out, "COUNT", playlists);
            out += ">\r\n";
        };
        visitor.playlist = [&](std::string_view group, std::size_t groupPosition,
                               std::string_view name, std::size_t position, std::uint64_t entries) {
            out += "        <NODE TYPE=\"PLAYLIST\"";
            attribute(out, "NAME", name);
            out += "><PLAYLIST";
            number(out, "ENTRIES", entries);
            out += " TYPE=\"LIST\" UUID=\"";
            out += playlistUuid(group, groupPosition, name, position);
            out += "\">\r\n";
        };
        std::string key;
        visitor.entry = [&](std::uint32_t index) {
            key = traktorLocation(textToUtf8(m_tracks.path(index)), m_setup.volume).key();
            out += "          <ENTRY><PRIMARYKEY TYPE=\"TRACK\"";
            attribute(out, "KEY", key);
            out += "></PRIMARYKEY></ENTRY>\r\n";
            file.appended();
        };
        visitor.endPlaylist = [&] { out += "        </PLAYLIST></NODE>\r\n"; };
        visitor.endGroup = [&] {
            out += "      </SUBNODES></NODE>\r\n";
            file.appended();
        };
        m_tracks.visit(visitor);
        out += "    </SUBNODES></NODE>\r\n  </PLAYLISTS>\r\n</NML>\r\n";
        file.commit();
    }

private:
    WriterSetup m_setup;
    TrackCollection m_tracks;
};

} // namespace

std::unique_ptr<LibraryWriter> makeTraktorWriter(const WriterSetup& setup) {
    return std::make_unique<TraktorWriter>(setup);
}

} // namespace deckshift::convert
