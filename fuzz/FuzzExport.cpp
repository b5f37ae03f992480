// A random library (group and playlist names and track paths of any bytes) through each XML
// writer of the library export, read back with pugixml: the tree, the counts and every path must
// come back, or the track must have been left out with a warning.
//
// The input is split at 0x00 bytes into items; an item's first byte says what it is: below 0x20
// a group, below 0x40 a playlist, any other a track path (the rest of the item). A track's source
// form (Windows or not) follows from the path itself.

#include "FuzzSupport.h"
#include "convert/ExportText.h"
#include "convert/LibraryFormats.h"
#include "convert/TrackCollection.h"
#include "settings/Paths.h"
#include "tests/support/ExportReadBack.h"

#include <map>

using namespace deckshift;
namespace fs = std::filesystem;

namespace {

class Messages final : public convert::MessageSink {
public:
    std::uint64_t warnings = 0;
    void message(convert::MessageKind kind, std::string_view, std::string_view) override {
        FUZZ_CHECK(kind == convert::MessageKind::Warning);
        ++warnings;
    }
};

/// A name as a reader gives it back after the writer escaped it.
std::string nameAfterEscaping(std::string_view name) {
    std::string escaped = "<a n=\"";
    convert::appendXmlEscaped(escaped, convert::textToUtf8(name));
    escaped += "\"/>";
    pugi::xml_document doc;
    FUZZ_CHECK(
        doc.load_buffer(escaped.data(), escaped.size(), pugi::parse_default, pugi::encoding_utf8));
    return doc.child("a").attribute("n").value();
}

/// The key by which two paths are one track: a run of separators as one, and for a path in
/// Windows form letter case ignored and "\\" as "/".
std::string trackKey(std::string_view path) {
    const bool windowsForm = settings::isWindowsForm(path);
    std::string key;
    for (char c : path) {
        if (windowsForm)
            c = c == '\\' ? '/' : settings::upperAscii(c);
        if (!(c == '/' && !key.empty() && key.back() == '/'))
            key += c;
    }
    return key;
}

std::string expectedPath(std::string_view path, convert::ExportFormat format) {
    std::string utf8 = test::slashed(convert::textToUtf8(path));
    if (format == convert::ExportFormat::Traktor) {
        // Traktor keeps no empty folder names: doubled separators come back single.
        std::string single;
        for (char c : utf8)
            if (!(c == '/' && !single.empty() && single.back() == '/'))
                single += c;
        utf8 = single;
    }
    return utf8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> items;
    for (std::size_t start = 0; start <= input.size();) {
        const auto end = std::min(input.find('\0', start), input.size());
        if (end > start)
            items.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    for (const auto format : {convert::ExportFormat::Rekordbox, convert::ExportFormat::Traktor}) {
        const fs::path dir = fuzz::Scratch::get().fresh();
        Messages messages;
        convert::WriterSetup setup;
        setup.output = (dir / "library.xml").string();
        setup.messages = &messages;
        setup.readTags = false;
        auto writer = convert::formatEntry(format).make(setup);
        std::vector<test::ReadGroup> expected;
        std::vector<std::string> collection;
        std::map<std::string, std::string> firstSpelling;
        std::uint64_t leftOut = 0;
        bool inPlaylist = false;
        for (const auto item : items) {
            const auto kind = static_cast<unsigned char>(item.front());
            const auto text = item.substr(1);
            if (kind < 0x20 || expected.empty()) {
                if (inPlaylist)
                    writer->endPlaylist();
                if (!expected.empty())
                    writer->endGroup();
                inPlaylist = false;
                writer->beginGroup(text);
                expected.push_back({nameAfterEscaping(text), {}});
                if (kind < 0x20)
                    continue;
            }
            if (kind < 0x40 || !inPlaylist) {
                if (inPlaylist)
                    writer->endPlaylist();
                writer->beginPlaylist(text);
                inPlaylist = true;
                expected.back().playlists.push_back({nameAfterEscaping(text), {}});
                if (kind < 0x40)
                    continue;
            }
            convert::LibraryTrack track;
            track.path = item;
            track.source = "fuzz";
            track.line = 1;
            track.windowsForm = settings::isWindowsForm(item);
            const bool kept = writer->track(track);
            const bool holdable =
                !convert::holdsControlCharacter(item) && convert::isAbsoluteTrackPath(item);
            FUZZ_CHECK(kept == holdable);
            if (!kept) {
                ++leftOut;
                continue;
            }
            const auto [it, added] = firstSpelling.emplace(trackKey(item), std::string(item));
            const std::string path = expectedPath(it->second, format);
            if (added)
                collection.push_back(path);
            expected.back().playlists.back().paths.push_back(path);
        }
        if (inPlaylist)
            writer->endPlaylist();
        if (!expected.empty())
            writer->endGroup();
        writer->finish();
        // Every track left out is warned of (the writer names the first ones of each reason), and
        // nothing is warned of when none is.
        FUZZ_CHECK((leftOut == 0) == (messages.warnings == 0));
        const std::string bytes = fuzz::readFile(setup.output);
        const auto back = format == convert::ExportFormat::Rekordbox ? test::readRekordbox(bytes)
                                                                     : test::readTraktor(bytes);
        if (!back.error.empty()) {
            std::fprintf(stderr, "read back: %s\n", back.error.c_str());
            std::abort();
        }
        FUZZ_CHECK(back.groups == expected);
        FUZZ_CHECK(back.collection == collection);
    }
    return 0;
}
