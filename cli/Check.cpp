// deckshift-cli check: the tracks of playlists and group files, looked up on disk.
//
//   check PATH... [--relocate FROM=TO]... [--search DIR]... [--encoding auto|utf-8|8bit]

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/CheckTracks.h"
#include "settings/Relocation.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace deckshift::cli {

namespace {

struct Options {
    std::vector<std::string> paths;
    std::string encoding = "auto";
    MoveOptions move;
};

int run(const Options& options, Context& context) {
    StderrMessages stderrMessages(context);
    // Messages come on a line of their own: the progress line is removed before each.
    ProgressLine line(context);
    ProgressAwareMessages messages(stderrMessages, line);
    std::unique_ptr<formats::FilePlan> plan;
    auto engine = engineOptions(options.move, context, plan);
    engine.m3uEncoding = options.encoding == "utf-8"  ? formats::EncodingChoice::Utf8
                         : options.encoding == "8bit" ? formats::EncodingChoice::EightBit
                                                      : formats::EncodingChoice::Auto;
    const auto result = convert::CheckTracks(
        options.paths, engine, messages,
        [&](const convert::MissingTrack& track) {
            line.clear();
            context.out << convert::missingTrackLine(track, shown) << '\n';
        },
        [&](const convert::CheckProgress& progress) {
            line.show([&] {
                return std::to_string(progress.tracks) + " tracks looked up in " +
                       std::to_string(progress.files) + " files; reading " + shown(progress.file);
            });
        });
    line.clear();
    const std::uint64_t found = result.tracks - result.missing;
    context.err << found << " of " << result.tracks << (result.tracks == 1 ? " track" : " tracks")
                << " found in " << result.files << (result.files == 1 ? " file\n" : " files\n");
    if (!options.move.search.empty())
        context.err << convert::searchSummaryLine(result.pipeline) << '\n';
    if (result.missingPlaylists > 0)
        context.err << result.missingPlaylists
                    << (result.missingPlaylists == 1 ? " listed playlist" : " listed playlists")
                    << " not found\n";
    if (result.unreadable)
        return kExitFailed;
    return result.missing > 0 || result.missingPlaylists > 0 ? kExitTracksMissing : kExitDone;
}

} // namespace

Action addCheck(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("PATH", options->paths,
                   "Group INI files, VRM playlists, M3U or M3U8 playlists, a Groups.xml (each "
                   "playlist it lists, then its tracks), or directories of them (not recursive)")
        ->required();
    app.add_option("--relocate", options->move.relocate,
                   "FROM=TO: check the paths as --relocate would rewrite them; repeatable")
        ->type_name("FROM=TO")
        ->allow_extra_args(false)
        ->check([](const std::string& value) -> std::string {
            if (!settings::parseRelocationRule(value))
                return "--relocate takes FROM=TO with a FROM that is not empty, not \"" + value +
                       "\"";
            return {};
        });
    addSearchOption(app, options->move.search,
                    "A folder to search, with all its subfolders, for each track not found: the "
                    "file a conversion with the same --search would take is printed below the "
                    "track, and the track counts as found; repeatable");
    app.add_option("--encoding", options->encoding,
                   "How M3U playlists are read: auto, utf-8 or 8bit")
        ->check(CLI::IsMember({"auto", "utf-8", "8bit"}));
    app.footer("Exit status: 0 when every track was found, 3 when some were not (listed on the\n"
               "standard output) or a playlist the group list names is missing, 1 when a file\n"
               "could not be read, 2 for a usage error.");
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
