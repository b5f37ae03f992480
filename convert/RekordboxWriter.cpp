// The rekordbox collection file: DJ_PLAYLISTS with the PRODUCT, a COLLECTION of every distinct
// track once (in order of first appearance, TrackID 1..N) and PLAYLISTS with a ROOT folder, a
// folder per group and a playlist per subgroup whose entries name tracks by TrackID.

#include "convert/LibraryFormats.h"

#include "Version.h"
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

class RekordboxWriter final : public LibraryWriter {
public:
    explicit RekordboxWriter(const WriterSetup& setup)
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
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<DJ_PLAYLISTS Version=\"1.0.0\">\r\n"
               "  <PRODUCT Name=\"Deckshift\" Version=\"" DECKSHIFT_VERSION
               "\" Company=\"Deckshift\"/>\r\n";
        out += "  <COLLECTION";
        number(out, "Entries", m_tracks.size());
        out += ">\r\n";
        const std::uint64_t total = m_tracks.size();
        // A dry run writes nothing, so it reads no file for details it would not show.
        for (std::size_t i = 0; !m_setup.dryRun && i < m_tracks.size(); ++i) {
            if (i % 256 == 0) {
                if (m_setup.cancel && m_setup.cancel->load(std::memory_order_relaxed))
                    throw ExportCancelled{};
                if (m_setup.detailsProgress && m_setup.readTags)
                    m_setup.detailsProgress(i, total);
            }
            const std::string_view path = m_tracks.path(i);
            const TrackDetails details = trackDetails(path, m_setup.readTags);
            out += "    <TRACK";
            number(out, "TrackID", i + 1);
            attribute(out, "Name", details.title);
            attribute(out, "Artist", details.artist);
            attribute(out, "Album", details.album);
            attribute(out, "Genre", details.genre);
            attribute(out, "Kind", fileKind(path));
            if (details.seconds > 0)
                number(out, "TotalTime", details.seconds);
            if (details.kbps > 0)
                number(out, "BitRate", details.kbps);
            attribute(out, "Location", fileUri(textToUtf8(path)));
            out += "/>\r\n";
            file.appended();
        }
        if (m_setup.detailsProgress && m_setup.readTags && !m_setup.dryRun)
            m_setup.detailsProgress(total, total);
        out += "  </COLLECTION>\r\n  <PLAYLISTS>\r\n    <NODE Type=\"0\" Name=\"ROOT\"";
        number(out, "Count", m_tracks.groups());
        out += ">\r\n";
        TrackCollection::Visitor visitor;
        visitor.group = [&](std::string_view name, std::size_t, std::size_t playlists) {
            out += "      <NODE Type=\"0\"";
            attribute(out, "Name", name);
            number(out, "Count", playlists);
            out += ">\r\n";
        };
        visitor.playlist = [&](std::string_view, std::size_t, std::string_view name, std::size_t,
                               std::uint64_t entries) {
            out += "        <NODE";
            attribute(out, "Name", name);
            out += " Type=\"1\" KeyType=\"0\"";
            number(out, "Entries", entries);
            out += ">\r\n";
        };
        visitor.entry = [&](std::uint32_t index) {
            out += "          <TRACK Key=\"";
            out += std::to_string(std::uint64_t{index} + 1);
            out += "\"/>\r\n";
            file.appended();
        };
        visitor.endPlaylist = [&] { out += "        </NODE>\r\n"; };
        visitor.endGroup = [&] {
            out += "      </NODE>\r\n";
            file.appended();
        };
        m_tracks.visit(visitor);
        out += "    </NODE>\r\n  </PLAYLISTS>\r\n</DJ_PLAYLISTS>\r\n";
        file.commit();
    }

private:
    WriterSetup m_setup;
    TrackCollection m_tracks;
};

} // namespace

std::unique_ptr<LibraryWriter> makeRekordboxWriter(const WriterSetup& setup) {
    return std::make_unique<RekordboxWriter>(setup);
}

} // namespace deckshift::convert
