// deckshift-cli m3u2vrm: an M3U playlist to a PCDJ FX VRM playlist.
//
//   m3u2vrm PLAYLIST.M3U --output DIR [--drive X:] [--encoding auto|utf-8|8bit]
//           [--relocate FROM=TO]... [--check-tracks] [--dry-run]

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/ConvertM3uToVrm.h"
#include "settings/Paths.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace deckshift::cli {

namespace {

struct Options {
    std::string playlist;
    std::string output;
    std::string drive;
    std::string encoding = "auto";
    MoveOptions move;
};

bool hasM3uName(std::string_view path) {
    const auto endsWith = [&](std::string_view extension) {
        return path.size() >= extension.size() &&
               settings::equalsIgnoringCase(path.substr(path.size() - extension.size()), extension);
    };
    return endsWith(".m3u") || endsWith(".m3u8");
}

int run(const Options& typed, Context& context) {
    Options options = typed;
    options.playlist = typedPath(options.playlist);
    options.output = typedPath(options.output);
    if (!hasM3uName(options.playlist)) {
        context.err << "The file \"" << shown(options.playlist)
                    << "\" is not an M3U playlist: its name does not end in \".m3u\" or "
                       "\".m3u8\". Please choose an M3U playlist. Nothing was written.\n";
        return kExitFailed;
    }
    if (refuseOutputFile(context, options.output))
        return kExitFailed;
    // Without --drive, a playlist given in Windows form lends its own drive, as the source drive
    // list would show it.
    std::string drive = options.drive;
    if (drive.empty() && settings::isWindowsForm(options.playlist))
        drive = options.playlist.substr(0, 2);
    return runPlaylistConversion(
        context, options.playlist,
        [&](const std::string& directory, const std::string& name, convert::RunEvents& progress,
            convert::MessageSink& messages, const convert::EngineOptions& engine) {
            return convert::ConvertM3uToVrm({directory, name, drive, options.output}, progress,
                                            messages, engine);
        },
        options.move, false,
        options.encoding == "utf-8"  ? formats::EncodingChoice::Utf8
        : options.encoding == "8bit" ? formats::EncodingChoice::EightBit
                                     : formats::EncodingChoice::Auto);
}

} // namespace

Action addM3u2Vrm(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("PLAYLIST", options->playlist, "The M3U playlist")->required();
    app.add_option("-o,--output", options->output, "The directory the VRM playlist is written to")
        ->required();
    app.add_option("--drive", options->drive,
                   "The drive put in front of paths rooted at \"\\\", as a drive list shows it "
                   "(\"d: [MUSIC]\"); only a letter and a colon are used")
        ->check(CLI::Validator(
            [](const std::string& text) -> std::string {
                if (settings::isWindowsForm(text))
                    return {};
                return "\"" + text +
                       "\" does not start with a drive letter and a colon, as "
                       "\"d:\" or \"d: [MUSIC]\" do";
            },
            "X:"));
    app.add_option("--encoding", options->encoding,
                   "How the playlist's text is read: auto (a UTF-16 or UTF-8 byte-order mark, an "
                   ".m3u8 name, or valid UTF-8 make it Unicode; else 8-bit), utf-8 or 8bit")
        ->check(CLI::IsMember({"auto", "utf-8", "8bit"}));
    addMoveOptions(app, options->move);
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
