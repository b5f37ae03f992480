// The group INI reader: line splitting, recognition, header and entry-line parsing.

#include "FuzzSupport.h"
#include "formats/GroupIni.h"
#include "formats/VrmPlaylist.h"

using namespace deckshift;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto expected = fuzz::referenceLines(bytes, false);

    fuzz::PieceSource source(bytes, size % 61 + 1);
    formats::LineReader reader(source);
    std::string line;
    std::size_t index = 0;
    for (int pass = 0; pass < 2; ++pass) {
        index = 0;
        while (reader.next(line)) {
            FUZZ_CHECK(index < expected.size());
            FUZZ_CHECK(line == expected[index]);
            ++index;
            if (index == 2)
                (void)formats::isGroupFileSecondLine(line);
            if (formats::isHeaderLine(line)) {
                const auto name = formats::subgroupName(line);
                FUZZ_CHECK(name.size() + 2 == line.size() || (line.size() == 1 && name.empty()));
                const auto safe = formats::playlistName(name);
                FUZZ_CHECK(safe.size() == name.size());
                FUZZ_CHECK(safe.find_first_of("/\\?:<>|\"") == std::string::npos);
                continue;
            }
            const auto entry = formats::parseEntryLine(line);
            if (!entry)
                continue;
            // The views lie inside the line, and neither holds a separator.
            const auto inside = [&](std::string_view v) {
                return v.empty() || (v.data() >= line.data() &&
                                     v.data() + v.size() <= line.data() + line.size());
            };
            FUZZ_CHECK(inside(entry->fileName) && inside(entry->directory));
            FUZZ_CHECK(entry->fileName.find('|') == std::string_view::npos);
            FUZZ_CHECK(entry->directory.find('|') == std::string_view::npos);
            // What the writer makes of the entry reads back as the same entry.
            std::string written;
            formats::appendEntryLine(written, index, entry->fileName, entry->directory);
            const auto again = formats::parseEntryLine(written);
            FUZZ_CHECK(again && again->fileName == entry->fileName &&
                       again->directory == entry->directory);
        }
        FUZZ_CHECK(index == expected.size());
        reader.rewind();
    }
    return 0;
}
