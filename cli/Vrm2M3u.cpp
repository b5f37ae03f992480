// deckshift-cli vrm2m3u: a PCDJ FX VRM playlist to an M3U playlist.
//
//   vrm2m3u PLAYLIST.XML --output DIR [--m3u8] [--relocate FROM=TO]... [--check-tracks] [--dry-run]

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
    bool m3u8 = false;
    MoveOptions move;
};

int run(const Options& typed, Context& context) {
    Options options = typed;
    options.playlist = typedPath(options.playlist);
    options.output = typedPath(options.output);
    if (refuseOutputFile(context, options.output))
        return kExitFailed;
    return runPlaylistConversion(
        context, options.playlist,
        [&](const std::string& directory, const std::string& name, convert::RunEvents& progress,
            convert::MessageSink& messages, const convert::EngineOptions& engine) {
            return convert::ConvertVrmToM3u({directory, name, options.output}, progress, messages,
                                            engine);
        },
        options.move, options.m3u8);
}

} // namespace

Action addVrm2M3u(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("PLAYLIST", options->playlist, "The PCDJ FX VRM playlist")->required();
    app.add_option("-o,--output", options->output, "The directory the M3U playlist is written to")
        ->required();
    app.add_flag("--m3u8", options->m3u8,
                 "Write NAME.m3u8 in UTF-8 instead of NAME.m3u in the 8-bit code page");
    addMoveOptions(app, options->move);
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
