#include "convert/ConvertM3uToVrm.h"

#include "convert/FileToFileChecks.h"
#include "formats/FilePlan.h"
#include "formats/HeldFile.h"
#include "formats/M3uEncoding.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace deckshift::convert {

M3uToVrmResult ConvertM3uToVrm(const M3uToVrmInputs& inputs, RunEvents& events,
                               MessageSink& messages, const EngineOptions& options) {
    M3uToVrmResult result;
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    auto stop = [&](RunStatus status, std::string_view text) {
        result.status = status;
        messages.message(MessageKind::Error, text, kTitleDeckshift);
        reportStopped(events, status);
        return result;
    };

    const std::string sourcePath = settings::joinPath(inputs.sourceDirectory, inputs.sourceName);
    // "NAME.m3u8" gives "NAME.XML" as "NAME.m3u" does.
    const std::string base = formats::isM3u8Name(inputs.sourceName)
                                 ? inputs.sourceName.substr(0, inputs.sourceName.size() - 5)
                                 : settings::stripExtension(inputs.sourceName);
    result.outputPath = settings::joinPath(inputs.outputDirectory, base + ".XML");
    if (auto refusal = refuseFileToFile("M3U playlist", inputs.sourceName, inputs.outputDirectory,
                                        sourcePath, result.outputPath))
        return stop(RunStatus::Refused, *refusal);
    if (auto refusal = refuseNonM3uPlaylist(sourcePath))
        return stop(RunStatus::Refused, *refusal);

    // Paths rooted at "\" get the source drive's letter and colon, when it has them.
    const std::string_view drive = settings::isWindowsForm(inputs.sourceDrive)
                                       ? std::string_view(inputs.sourceDrive).substr(0, 2)
                                       : std::string_view();

    events.started();
    TrackPipeline pipeline(options, messages);
    try {
        // Read twice when its encoding is detected: once to check its bytes, once to convert it.
        auto source =
            std::make_unique<formats::HeldFile>(sourcePath, settings::toFsPath(sourcePath));
        const auto encoding =
            formats::detectM3uEncoding(*source, inputs.sourceName, options.m3uEncoding);
        // A byte-order mark belongs to no line, so a "#EXTM3U" after it is still a directive.
        formats::DecodingSource bytes(*source, encoding);
        formats::LineReader lines(bytes, formats::LineEnds::CrOrCrLfOrLf);
        formats::VrmWriter output(result.outputPath, settings::toFsPath(result.outputPath),
                                  options.dryRun);
        pipeline.setSource(sourcePath);
        pipeline.setOutputDirectory(inputs.outputDirectory);
        pipeline.setM3uSource(encoding, drive);

        std::string_view line;
        std::string storage;
        std::string trackStorage;
        std::uint64_t lineNumber = 0;
        while (lines.next(line, storage)) {
            ++lineNumber;
            if (lines.lastLineTooLong()) {
                pipeline.skipLongLine(lineNumber, lines.lastLineLength());
                continue;
            }
            if (!line.empty() && line.front() == '#')
                continue;
            if (!pipeline.m3uTrack(line, trackStorage, lineNumber))
                continue;
            output.addTrack(line);
            ++result.tracks;
        }
        // The source is closed before the output is renamed into place: Windows refuses to replace
        // a file that is open, should the output path reach the source after all (a link, another
        // spelling), and no file stays open once the output is there.
        source.reset();
        output.commit();
    } catch (const formats::FileError& e) {
        result.pipeline = pipeline.summary();
        return stop(RunStatus::Failed, e.what());
    }
    pipeline.finish();
    result.pipeline = pipeline.summary();
    events.finished();
    return result;
}

} // namespace deckshift::convert
