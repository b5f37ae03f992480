// deckshift-cli export: the whole PCDJ FX library as a folder of M3U or M3U8 playlists.
//
//   export [--rc-dir RC] --output DIR [--m3u8] [--relocate FROM=TO]... [--check-tracks] [--dry-run]

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/ExportLibrary.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace deckshift::cli {

namespace {

struct Options {
    std::string rcDir;
    std::string output;
    bool m3u8 = false;
    MoveOptions move;
};

int run(const Options& options, Context& context) {
    StderrMessages messages(context);
    convert::ExportInputs inputs;
    inputs.outputDirectory = options.output;
    if (!options.rcDir.empty()) {
        std::string error;
        const auto rc = rcDirFromOption(options.rcDir, error);
        if (!rc) {
            messages.message(convert::MessageKind::Error, error, convert::kTitleDeckshift);
            return kExitFailed;
        }
        inputs.rcDirectory = *rc;
    }
    std::unique_ptr<formats::FilePlan> plan;
    auto engine = engineOptions(options.move, context, plan);
    engine.writeM3u8 = options.m3u8;
    const auto result = convert::ExportLibrary(inputs, messages, engine);
    if (result.status != convert::RunStatus::Done)
        return kExitFailed;
    if (!context.quiet && !options.move.dryRun) {
        context.out << "Exported " << result.groups << (result.groups == 1 ? " group" : " groups")
                    << ", " << result.playlists
                    << (result.playlists == 1 ? " playlist" : " playlists") << " and "
                    << result.tracks << (result.tracks == 1 ? " track" : " tracks") << " to "
                    << options.output;
        if (result.playlistsMissing > 0)
            context.out << " (" << result.playlistsMissing << " left out)";
        context.out << ".\n";
        printRelocationSummary(context, options.move, result.pipeline);
    }
    return kExitDone;
}

} // namespace

Action addExport(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("--rc-dir", options->rcDir,
                   "The PCDJ FX RecordCase directory, in place of the PCDJ FX registry setting");
    app.add_option("-o,--output", options->output, "The directory the group folders are written to")
        ->required();
    app.add_flag("--m3u8", options->m3u8,
                 "Write SUBGROUP.m3u8 in UTF-8 instead of SUBGROUP.m3u in the 8-bit code page");
    addMoveOptions(app, options->move);
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
