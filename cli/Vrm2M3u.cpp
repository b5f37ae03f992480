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

int run(const Options& typed, Context& context) {
    Options options = typed;
    options.playlist = typedPath(options.playlist);
    options.output = typedPath(options.output);
    if (refuseNonVrmSource(context, options.playlist) || refuseOutputFile(context, options.output))
        return kExitFailed;
    return runPlaylistConversion(
        context, options.playlist,
        [&](const std::string& directory, const std::string& name,
            convert::RunEvents& progress, convert::MessageSink& messages) {
            return convert::ConvertVrmToM3u({directory, name, options.output}, progress, messages);
        });
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
