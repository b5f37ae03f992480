// deckshift-cli vrm2m3u: a PCDJ FX VRM playlist to an M3U playlist.
//
//   vrm2m3u PLAYLIST.XML --output DIR

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/ConvertVrmToM3u.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace deckshift::cli {

namespace {

struct Options {
    std::string playlist;
    std::string output;
};

int run(const Options& options, Context& context) {
    StderrMessages stderrMessages(context);
    ProgressLine line(context);
    ProgressAwareMessages messages(stderrMessages, line);
    const auto [directory, name] = splitSourcePath(options.playlist);
    CaptionProgressLine progress(line, name);
    const auto result =
        convert::ConvertVrmToM3u({directory, name, options.output}, progress, messages);
    line.clear();
    if (result.status != convert::RunStatus::Done)
        return kExitFailed;
    if (!context.quiet) {
        context.out << "Wrote " << result.tracks << (result.tracks == 1 ? " track" : " tracks")
                    << " to " << result.outputPath << ".\n";
    }
    return kExitDone;
}

} // namespace

Action addVrm2M3u(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("PLAYLIST", options->playlist, "The PCDJ FX VRM playlist")->required();
    app.add_option("-o,--output", options->output, "The directory the M3U playlist is written to")
        ->required();
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
