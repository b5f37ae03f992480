// The rekordbox collection file: DJ_PLAYLISTS with the PRODUCT, a COLLECTION of every distinct
// track once (in order of first appearance, TrackID 1..N) and PLAYLISTS with a ROOT folder, a
// folder per group and a playlist per subgroup whose entries name tracks by TrackID.

#include "convert/CollectionWriter.h"

#include "Version.h"
#include "settings/Paths.h"

namespace deckshift::convert {

namespace {

class RekordboxWriter final : public CollectionWriter {
public:
    using CollectionWriter::CollectionWriter;

    void finish() override {
        formats::OutputFile file(m_setup.output, settings::toFsPath(m_setup.output),
                                 m_setup.dryRun);
        std::string& out = file.buffer();
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<DJ_PLAYLISTS Version=\"1.0.0\">\r\n"
               "  <PRODUCT Name=\"Deckshift\" Version=\"" DECKSHIFT_VERSION
               "\" Company=\"Deckshift\"/>\r\n";
        out += "  <COLLECTION";
        appendNumber(out, "Entries", m_tracks.size());
        out += ">\r\n";
        forEachTrack([&](std::size_t i, std::string_view path, const TrackDetails& details) {
            out += "    <TRACK";
            appendNumber(out, "TrackID", i + 1);
            appendAttribute(out, "Name", details.title);
            appendAttribute(out, "Artist", details.artist);
            appendAttribute(out, "Album", details.album);
            appendAttribute(out, "Genre", details.genre);
            appendAttribute(out, "Kind", fileKind(path));
            if (details.seconds > 0)
                appendNumber(out, "TotalTime", details.seconds);
            if (details.kbps > 0)
                appendNumber(out, "BitRate", details.kbps);
            appendAttribute(out, "Location", fileUri(textToUtf8(path)));
            out += "/>\r\n";
            file.appended();
        });
        out += "  </COLLECTION>\r\n  <PLAYLISTS>\r\n    <NODE Type=\"0\" Name=\"ROOT\"";
        appendNumber(out, "Count", m_tracks.groups());
        out += ">\r\n";
        TrackCollection::Visitor visitor;
        visitor.group = [&](std::string_view name, std::size_t, std::size_t playlists) {
            out += "      <NODE Type=\"0\"";
            appendAttribute(out, "Name", name);
            appendNumber(out, "Count", playlists);
            out += ">\r\n";
        };
        visitor.playlist = [&](std::string_view, std::size_t, std::string_view name, std::size_t,
                               std::uint64_t entries) {
            out += "        <NODE";
            appendAttribute(out, "Name", name);
            out += " Type=\"1\" KeyType=\"0\"";
            appendNumber(out, "Entries", entries);
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
};

} // namespace

std::unique_ptr<LibraryWriter> makeRekordboxWriter(const WriterSetup& setup) {
    return std::make_unique<RekordboxWriter>(setup);
}

} // namespace deckshift::convert
