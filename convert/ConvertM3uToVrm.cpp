#include "convert/ConvertM3uToVrm.h"

#include "convert/FileToFileChecks.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace deckshift::convert {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8BomSize = 3;

/// Passes the bytes of `inner` on, less a UTF-8 byte-order mark at the very start: it belongs to
/// no line, so a "#EXTM3U" after it is still a directive.
class BomSkippingSource final : public formats::ByteSource {
public:
    explicit BomSkippingSource(formats::ByteSource& inner) : m_inner(inner) {}

    std::size_t read(char* buffer, std::size_t size) override {
        if (!m_started) {
            m_started = true;
            while (m_headSize < kUtf8BomSize) {
                const std::size_t n = m_inner.read(m_head + m_headSize, kUtf8BomSize - m_headSize);
                if (n == 0)
                    break;
                m_headSize += n;
            }
            if (m_headSize == kUtf8BomSize && std::memcmp(m_head, kUtf8Bom, kUtf8BomSize) == 0)
                m_headSize = 0;
        }
        if (m_headPos < m_headSize) {
            const std::size_t n = std::min(size, m_headSize - m_headPos);
            std::memcpy(buffer, m_head + m_headPos, n);
            m_headPos += n;
            return n;
        }
        return m_inner.read(buffer, size);
    }

    void rewind() override {
        m_inner.rewind();
        m_started = false;
        m_headSize = m_headPos = 0;
    }

private:
    formats::ByteSource& m_inner;
    bool m_started = false;
    char m_head[kUtf8BomSize] = {};
    std::size_t m_headSize = 0;
    std::size_t m_headPos = 0;
};

} // namespace

M3uToVrmResult ConvertM3uToVrm(const M3uToVrmInputs& inputs, RunEvents& events,
                               MessageSink& messages) {
    M3uToVrmResult result;
    auto stop = [&](RunStatus status, std::string_view text) {
        result.status = status;
        messages.message(MessageKind::Error, text, kTitleDeckshift);
        reportStopped(events, status);
        return result;
    };

    const std::string sourcePath = settings::joinPath(inputs.sourceDirectory, inputs.sourceName);
    result.outputPath = settings::joinPath(
        inputs.outputDirectory, settings::stripExtension(inputs.sourceName) + ".XML");
    if (auto refusal = refuseFileToFile("M3U playlist", inputs.sourceName, inputs.outputDirectory,
                                        sourcePath, result.outputPath))
        return stop(RunStatus::Refused, *refusal);

    // Paths rooted at "\" get the source drive's letter and colon, when it has them.
    const std::string_view drive = settings::isWindowsForm(inputs.sourceDrive)
                                       ? std::string_view(inputs.sourceDrive).substr(0, 2)
                                       : std::string_view();

    events.started();
    try {
        auto source =
            std::make_unique<formats::FileSource>(sourcePath, settings::toFsPath(sourcePath));
        BomSkippingSource bytes(*source);
        formats::LineReader lines(bytes, formats::LineEnds::CrOrCrLfOrLf);
        formats::AtomicFile output(result.outputPath, settings::toFsPath(result.outputPath));
        for (auto head : formats::kVrmHead)
            output.writeLine(head);

        std::string line;
        std::string track;
        std::string media;
        while (lines.next(line)) {
            if (!line.empty() && line.front() == '#')
                continue;
            const bool completes = !line.empty() && line.front() == '\\';
            track.assign(completes ? drive : std::string_view());
            track += line;
            media.clear();
            formats::appendMediaLines(media, track); // escapes "&"
            output.write(media);
            ++result.tracks;
        }
        for (auto tail : formats::kVrmTail)
            output.writeLine(tail);
        // The source is closed before the output is renamed into place: Windows refuses to replace
        // a file that is open, should the output path reach the source after all (a link, another
        // spelling), and no file stays open once the output is there.
        source.reset();
        output.commit();
    } catch (const formats::FileError& e) {
        return stop(RunStatus::Failed, e.what());
    }
    events.finished();
    return result;
}

} // namespace deckshift::convert
