// deckshift-cli export: the whole library, from PCDJ FX or PCDJ RED, as a folder of M3U playlists
// or as one rekordbox or Traktor collection file.
//
//   export [--from fx|red] [--rc-dir RC | --red-dir DIR] --output DIR|FILE
//          [--format m3u|m3u8|rekordbox|traktor] [--m3u8] [--group NAME]... [--volume NAME]
//          [--no-tags] [--relocate FROM=TO]... [--check-tracks] [--dry-run]

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/ExportLibrary.h"
#include "settings/CodePage.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace deckshift::cli {

namespace {

/// Every option of the export, and the one place that turns them into the engine's inputs.
struct Options {
    std::string from = "fx";
    std::string rcDir;
    std::string redDir;
    std::string output;
    std::string format;
    bool m3u8 = false;
    std::vector<std::string> groups;
    std::string volume;
    bool noTags = false;
    MoveOptions move;
};

std::string plural(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

/// Names typed on the command line, in UTF-8 as the engine compares them: runCli has converted
/// them into the 8-bit code page, and they go back here.
std::string typedName(const std::string& name) {
    // Every value typed is in the code page by now.
    return settings::codePageToUtf8(name);
}

/// The engine's inputs, or nullopt with a message and the exit status in `status`.
std::optional<convert::ExportInputs> exportInputs(const Options& options,
                                                  convert::MessageSink& messages, int& status) {
    convert::ExportInputs inputs;
    inputs.source =
        options.from == "red" ? convert::LibrarySource::Red : convert::LibrarySource::Fx;
    if (!options.format.empty())
        inputs.format = *convert::formatNamed(options.format);
    else
        inputs.format = options.m3u8 ? convert::ExportFormat::M3u8 : convert::ExportFormat::M3u;
    inputs.output = typedPath(options.output);
    if (!options.rcDir.empty()) {
        std::string error;
        const auto rc = rcDirFromOption(typedPath(options.rcDir), error);
        if (!rc) {
            messages.message(convert::MessageKind::Error, error, convert::kTitleDeckshift);
            status = kExitFailed;
            return std::nullopt;
        }
        inputs.rcDirectory = *rc;
    }
    inputs.redDirectory = typedPath(options.redDir);
    for (const auto& group : options.groups)
        inputs.groups.push_back(typedName(group));
    inputs.volume = typedName(options.volume);
    inputs.readTags = !options.noTags;
    return inputs;
}

/// What was left out and why, or empty when nothing was.
/// `withPlaylists` counts the playlists left out too (the folder formats say them in the first
/// line).
std::string leftOutLine(const convert::ExportResult& result, bool withPlaylists) {
    std::vector<std::string> parts;
    if (withPlaylists && result.playlistsMissing > 0)
        parts.push_back(plural(result.playlistsMissing, "playlist", "playlists") +
                        " missing or unreadable");
    if (result.groupFilesSkipped > 0)
        parts.push_back(plural(result.groupFilesSkipped, "file", "files") +
                        " of the group directory that hold no group");
    if (result.leftOut.notAbsolute > 0)
        parts.push_back(plural(result.leftOut.notAbsolute, "track", "tracks") +
                        " whose path is not absolute");
    if (result.leftOut.controlCharacter > 0)
        parts.push_back(plural(result.leftOut.controlCharacter, "track", "tracks") +
                        " whose path holds a control character");
    if (result.pipeline.skipped > 0)
        parts.push_back(plural(result.pipeline.skipped, "line", "lines") + " too long to read");
    std::string line;
    for (const auto& part : parts)
        line += (line.empty() ? "Left out: " : ", ") + part;
    return line.empty() ? line : line + ".";
}

int run(const Options& options, Context& context) {
    StderrMessages stderrMessages(context);
    ProgressLine line(context);
    ProgressAwareMessages messages(stderrMessages, line);
    int status = kExitDone;
    auto inputs = exportInputs(options, messages, status);
    if (!inputs)
        return status;
    inputs->progress = [&](std::uint64_t done, std::uint64_t total) {
        line.show([&] {
            return "Exporting: playlist " + std::to_string(done) + " of " + std::to_string(total);
        });
    };
    inputs->detailsProgress = [&](std::uint64_t done, std::uint64_t total) {
        line.show([&] {
            return "Reading track details: " + std::to_string(done) + " of " +
                   std::to_string(total);
        });
    };
    std::unique_ptr<formats::FilePlan> plan;
    auto engine = engineOptions(options.move, context, plan);
    const auto result = convert::ExportLibrary(*inputs, messages, engine);
    line.clear();
    const bool toFolder = convert::formatEntry(inputs->format).toFolder;
    if (result.status == convert::RunStatus::Failed) {
        // The files finished before the failure are whole; say what they are.
        if (toFolder && result.playlists > 0)
            context.err << plural(result.playlists, "playlist was", "playlists were")
                        << " written to " << shown(options.output)
                        << " before the export stopped; each is whole.\n";
        else
            context.err << "Nothing was exported.\n";
    }
    if (result.status != convert::RunStatus::Done)
        return kExitFailed;
    if (!context.quiet && !options.move.dryRun) {
        context.out << (result.cancelled ? "Cancelled. Exported " : "Exported ")
                    << plural(result.groups, "group", "groups") << ", "
                    << plural(result.playlists, "playlist", "playlists") << " and "
                    << plural(result.tracks, "track", "tracks");
        if (!toFolder)
            context.out << " (" << result.distinctTracks << " distinct)";
        context.out << " to " << shown(options.output);
        if (toFolder && result.playlistsMissing > 0)
            context.out << " (" << result.playlistsMissing << " left out)";
        context.out << ".\n";
        const std::string leftOut = leftOutLine(result, !toFolder);
        if (!leftOut.empty())
            context.out << leftOut << "\n";
        printRelocationSummary(context, options.move, result.pipeline);
    }
    printSearchSummary(context, options.move, result.pipeline);
    return kExitDone;
}

} // namespace

Action addExport(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("--from", options->from,
                   "Where the library is read: fx, the PCDJ FX library (its group list and VRM "
                   "playlists; the default), or red, a directory of PCDJ RED group files")
        ->check(CLI::IsMember({"fx", "red"}));
    auto* rcDir = app.add_option(
        "--rc-dir", options->rcDir,
        "--from fx: the PCDJ FX RecordCase directory, in place of the PCDJ FX registry setting");
    auto* redDir = app.add_option("--red-dir", options->redDir,
                                  "--from red: the directory of the PCDJ RED group files, in "
                                  "place of the PCDJ RED registry setting");
    app.add_option("-o,--output", options->output,
                   "m3u and m3u8: the directory the group folders are written to; rekordbox and "
                   "traktor: the file written")
        ->required();
    auto* format =
        app.add_option("--format", options->format,
                       "m3u (a folder per group, SUBGROUP.m3u; the default), m3u8 (the same in "
                       "UTF-8), rekordbox (one rekordbox XML collection file) or traktor (one "
                       "Traktor NML collection file)")
            ->check(CLI::IsMember({"m3u", "m3u8", "rekordbox", "traktor"}));
    auto* m3u8 = app.add_flag("--m3u8", options->m3u8, "The same as --format m3u8");
    m3u8->excludes(format);
    app.add_option("--group", options->groups,
                   "Export only the group of this name; repeatable (default: every group)")
        ->allow_extra_args(false);
    auto* volume = app.add_option("--volume", options->volume,
                                  "--format traktor: the volume of native paths (for example a "
                                  "Mac's disk name); empty by default");
    app.add_flag("--no-tags", options->noTags,
                 "rekordbox and traktor: read no audio file; tracks are named after their files");
    addMoveOptions(app, options->move);
    // Options that belong to another source or format are usage errors, not silently ignored.
    app.callback([options, rcDir, redDir, volume] {
        if (options->from == "red" && rcDir->count() > 0)
            throw CLI::ValidationError("--rc-dir", "--rc-dir names the PCDJ FX library; use "
                                                   "--red-dir with --from red");
        if (options->from == "fx" && redDir->count() > 0)
            throw CLI::ValidationError("--red-dir", "--red-dir needs --from red");
        if (volume->count() > 0 && options->format != "traktor")
            throw CLI::ValidationError("--volume", "--volume is taken by --format traktor only");
    });
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
