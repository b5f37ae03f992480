// The VRM media-line reader, and the writer's media lines read back.

#include "FuzzSupport.h"
#include "formats/VrmPlaylist.h"

using namespace deckshift;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto expected = fuzz::referenceLines(bytes, true);

    fuzz::PieceSource source(bytes, size % 37 + 1);
    formats::LineReader reader(source, formats::kVrmLineEnds);
    std::string line;
    std::size_t index = 0;
    while (reader.next(line)) {
        FUZZ_CHECK(index < expected.size() && line == expected[index]);
        ++index;
        const auto path = formats::mediaLinePath(line);
        if (!formats::isMediaLine(line) || line.size() < 23) {
            FUZZ_CHECK(!path);
            continue;
        }
        FUZZ_CHECK(path && path->size() <= line.size() - 23);
        const std::size_t cut = line.size() >= 24 && line.ends_with("\"/>") ? 24 : 23;
        if (path->find('&') == std::string::npos && line.find('&') == std::string::npos)
            FUZZ_CHECK(*path == line.substr(21, line.size() - cut));
    }
    FUZZ_CHECK(index == expected.size());

    // Any path without line ends survives the writer and the reader unchanged.
    std::string path = bytes;
    for (char& c : path) {
        if (c == '\r')
            c = 'r';
        else if (c == '\n')
            c = 'n';
    }
    std::string media;
    formats::appendMediaLines(media, path);
    const auto lines = fuzz::referenceLines(media, true);
    FUZZ_CHECK(lines.size() == 2 && lines[1] == formats::kMediaEnd);
    const auto back = formats::mediaLinePath(lines[0]);
    FUZZ_CHECK(back && *back == path);
    return 0;
}
