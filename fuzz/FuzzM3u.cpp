// The M3U reader: lines split at CR LF, CR or LF, then a whole M3U-to-VRM conversion of the input.

#include "FuzzSupport.h"
#include "convert/ConvertM3uToVrm.h"
#include "formats/M3uEncoding.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <algorithm>

using namespace deckshift;

namespace {

class Quiet final : public convert::MessageSink {
public:
    std::string last;
    void message(convert::MessageKind, std::string_view text, std::string_view) override {
        last = text;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The LF-taking line reader against the plain rule.
    {
        const auto expected = fuzz::referenceLines(bytes, true);
        fuzz::PieceSource source(bytes, size % 53 + 1);
        formats::LineReader reader(source, formats::LineEnds::CrOrCrLfOrLf);
        std::string line;
        std::size_t index = 0;
        while (reader.next(line)) {
            FUZZ_CHECK(index < expected.size() && line == expected[index]);
            ++index;
        }
        FUZZ_CHECK(index == expected.size());
    }

    const auto& dir = fuzz::Scratch::get().fresh();
    fuzz::writeFile(dir / "list.m3u", bytes);
    const int open = fuzz::openFileCount();
    convert::RunEvents progress;
    Quiet messages;
    const auto result = convert::ConvertM3uToVrm(
        {dir.string(), "list.m3u", "d: [MUSIC]", dir.string()}, progress, messages);
    FUZZ_CHECK(fuzz::openFileCount() == open);
    // A source of NUL bytes in a third or more of its first 64 KiB is no M3U playlist.
    {
        formats::StringSource nulProbe(bytes);
        if (formats::mostlyNulBytes(nulProbe)) {
            FUZZ_CHECK(result.status == convert::RunStatus::Refused);
            FUZZ_CHECK(!std::filesystem::exists(dir / "list.XML"));
            return 0;
        }
    }
    if (result.status != convert::RunStatus::Done) {
        std::fprintf(stderr, "%s\n", messages.last.c_str());
        FUZZ_CHECK(result.status == convert::RunStatus::Done);
    }
    FUZZ_CHECK(fuzz::temporaries(dir).empty());

    // Text in Unicode is converted into the code page and file URIs are decoded, so the bytes
    // are modelled exactly only where every track passes through as it stands: 8-bit text, or
    // plain ASCII, and no file URI. For the rest, every track written came from one source line.
    formats::StringSource probe(bytes);
    const auto encoding =
        formats::detectM3uEncoding(probe, "list.m3u", formats::EncodingChoice::Auto);
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    // The lines as the conversion reads them: after the byte order mark, where there is one.
    std::string_view body = bytes;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    const bool uri = std::ranges::any_of(fuzz::referenceLines(body, true), [](const auto& line) {
        return line.size() >= 7 && settings::equalsIgnoringCase(line.substr(0, 7), "file://");
    });
    const bool passedThrough =
        !uri && (encoding == formats::TextEncoding::EightBit ||
                 (encoding == formats::TextEncoding::Utf8 &&
                  (ascii || (bytes.starts_with("\xEF\xBB\xBF") &&
                             std::all_of(bytes.begin() + 3, bytes.end(), [](char c) {
                                 return static_cast<unsigned char>(c) < 0x80;
                             })))));
    if (!passedThrough) {
        FUZZ_CHECK(result.tracks <= fuzz::referenceLines(bytes, true).size());
        const std::string written = fuzz::readFile(dir / "list.XML");
        FUZZ_CHECK(written.starts_with(std::string(formats::kVrmHead[0]) + "\r\n"));
        return 0;
    }

    // The playlist the conversion should have written, built from the plain line rule.
    std::string want;
    for (auto head : formats::kVrmHead)
        (want += head) += "\r\n";
    std::uint64_t tracks = 0;
    for (const auto& line : fuzz::referenceLines(body, true)) {
        if (!line.empty() && line.front() == '#')
            continue;
        // A track holding a control character is skipped; a UNC path gets no drive.
        if (std::ranges::any_of(line, [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            continue;
        const bool rooted = line.starts_with('\\') && !line.starts_with("\\\\");
        formats::appendMediaLines(want, (rooted ? "d:" : "") + line);
        ++tracks;
    }
    for (auto tail : formats::kVrmTail)
        (want += tail) += "\r\n";
    FUZZ_CHECK(result.tracks == tracks);
    FUZZ_CHECK(fuzz::readFile(dir / "list.XML") == want);
    return 0;
}
