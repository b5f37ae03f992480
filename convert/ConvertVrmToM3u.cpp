#include "convert/ConvertVrmToM3u.h"

#include "convert/FileToFileChecks.h"
#include "formats/FilePlan.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <memory>

namespace deckshift::convert {

VrmToM3uResult ConvertVrmToM3u(const VrmToM3uInputs& inputs, RunEvents& events,
                               MessageSink& messages, const EngineOptions& options) {
    VrmToM3uResult result;
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    auto stop = [&](RunStatus status, std::string_view text) {
        result.status = status;
        messages.message(MessageKind::Error, text, kTitleDeckshift);
        reportStopped(events, status);
        return result;
    };

    const std::string sourcePath = settings::joinPath(inputs.sourceDirectory, inputs.sourceName);
    result.outputPath =
        settings::joinPath(inputs.outputDirectory, settings::stripExtension(inputs.sourceName) +
                                                       (options.writeM3u8 ? ".m3u8" : ".m3u"));
    if (auto refusal = refuseFileToFile("VRM playlist", inputs.sourceName, inputs.outputDirectory,
                                        sourcePath, result.outputPath))
        return stop(RunStatus::Refused, *refusal);
    if (auto refusal = refuseNonVrmPlaylist(sourcePath))
        return stop(RunStatus::Refused, *refusal);

    events.started();
    TrackPipeline pipeline(options, messages);
    try {
        auto source = std::make_unique<formats::TextFileReader>(
            sourcePath, settings::toFsPath(sourcePath), formats::kVrmLineEnds);
        formats::OutputFile output(result.outputPath, settings::toFsPath(result.outputPath),
                                   options.dryRun);
        pipeline.setSource(sourcePath);
        pipeline.setOutputDirectory(inputs.outputDirectory);
        pipeline.setUtf8Output(options.writeM3u8);
        output.writeLine("#EXTM3U");
        std::string_view line;
        std::string storage;
        std::string_view path;
        std::string pathStorage;
        std::uint64_t lineNumber = 0;
        while (source->lines().next(line, storage)) {
            ++lineNumber;
            if (source->lines().lastLineTooLong()) {
                pipeline.skipLongLine(lineNumber, source->lines().lastLineLength());
                continue;
            }
            // Only media lines count; one too short to cut holds no path and is skipped.
            char32_t unheld = 0;
            if (!formats::mediaLinePath(line, path, pathStorage, &unheld))
                continue;
            if (unheld != 0) {
                pipeline.skipCharacter(lineNumber, unheld);
                continue;
            }
            if (pipeline.track(path, pathStorage, lineNumber)) {
                std::string& out = output.buffer();
                out += path;
                out += "\r\n";
                output.appended();
                ++result.tracks;
            }
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
