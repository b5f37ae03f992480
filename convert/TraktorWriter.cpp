// The Traktor collection file: NML with the HEAD, an empty MUSICFOLDERS, a COLLECTION of every
// distinct track once (in order of first appearance) located by volume, directory and file, and
// PLAYLISTS under the $ROOT folder: a folder per group, a playlist per subgroup whose entries name
// tracks by their key (volume, directory and file joined).

#include "convert/CollectionWriter.h"

#include "settings/Paths.h"

namespace deckshift::convert {

namespace {

class TraktorWriter final : public CollectionWriter {
public:
    using CollectionWriter::CollectionWriter;

    void finish() override {
        formats::OutputFile file(m_setup.output, settings::toFsPath(m_setup.output),
                                 m_setup.dryRun);
        std::string& out = file.buffer();
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n"
               "<NML VERSION=\"19\">\r\n"
               "  <HEAD COMPANY=\"www.native-instruments.com\" PROGRAM=\"Traktor\"></HEAD>\r\n"
               "  <MUSICFOLDERS></MUSICFOLDERS>\r\n"
               "  <COLLECTION";
        appendNumber(out, "ENTRIES", m_tracks.size());
        out += ">\r\n";
        forEachTrack([&](std::size_t, std::string_view path, const TrackDetails& details) {
            const TraktorLocation location = traktorLocation(textToUtf8(path), m_setup.volume);
            out += "    <ENTRY";
            appendAttribute(out, "TITLE", details.title);
            if (!details.artist.empty())
                appendAttribute(out, "ARTIST", details.artist);
            out += "><LOCATION";
            appendAttribute(out, "DIR", location.directory);
            appendAttribute(out, "FILE", location.file);
            appendAttribute(out, "VOLUME", location.volume);
            out += " VOLUMEID=\"\"></LOCATION>";
            if (!details.album.empty()) {
                out += "<ALBUM";
                appendAttribute(out, "TITLE", details.album);
                out += "></ALBUM>";
            }
            if (!details.genre.empty() || details.seconds > 0 || details.kbps > 0) {
                out += "<INFO";
                if (!details.genre.empty())
                    appendAttribute(out, "GENRE", details.genre);
                if (details.seconds > 0)
                    appendNumber(out, "PLAYTIME", details.seconds);
                if (details.kbps > 0)
                    appendNumber(out, "BITRATE", std::uint64_t{details.kbps} * 1000);
                out += "></INFO>";
            }
            out += "</ENTRY>\r\n";
            file.appended();
        });
        out += "  </COLLECTION>\r\n  <PLAYLISTS>\r\n"
               "    <NODE TYPE=\"FOLDER\" NAME=\"$ROOT\"><SUBNODES";
        appendNumber(out, "COUNT", m_tracks.groups());
        out += ">\r\n";
        // Each entry names its track by key; a track listed in many playlists is located once.
        TrackCollection::Visitor visitor;
        visitor.group = [&](std::string_view name, std::size_t, std::size_t playlists) {
            out += "      <NODE TYPE=\"FOLDER\"";
            appendAttribute(out, "NAME", name);
            out += "><SUBNODES";
            appendNumber(out, "COUNT", playlists);
            out += ">\r\n";
        };
        visitor.playlist = [&](std::string_view group, std::size_t groupPosition,
                               std::string_view name, std::size_t position, std::uint64_t entries) {
            out += "        <NODE TYPE=\"PLAYLIST\"";
            appendAttribute(out, "NAME", name);
            out += "><PLAYLIST";
            appendNumber(out, "ENTRIES", entries);
            out += " TYPE=\"LIST\" UUID=\"";
            out += playlistUuid(group, groupPosition, name, position);
            out += "\">\r\n";
        };
        std::string key;
        visitor.entry = [&](std::uint32_t index) {
            key = traktorLocation(textToUtf8(m_tracks.path(index)), m_setup.volume).key();
            out += "          <ENTRY><PRIMARYKEY TYPE=\"TRACK\"";
            appendAttribute(out, "KEY", key);
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
};

} // namespace

std::unique_ptr<LibraryWriter> makeTraktorWriter(const WriterSetup& setup) {
    return std::make_unique<TraktorWriter>(setup);
}

} // namespace deckshift::convert
