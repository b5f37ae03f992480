// deckshift-cli vrm2ini: the PCDJ FX VRM playlists of one group to one PCDJ RED group INI file.
//
//   vrm2ini PLAYLIST.XML --output DIR [--relocate FROM=TO]... [--check-tracks] [--dry-run]
//
// The group is the playlist's name up to its first "_"; its playlists are taken from the
// playlist's directory.

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/ConvertVrmToIni.h"
#include "formats/TextIO.h"
#include "settings/Paths.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace deckshift::cli {

namespace {

struct Options {
    std::string playlist;
    std::string output;
    MoveOptions move;
};

class CliProgress final : public convert::VrmToIniProgress {
public:
    explicit CliProgress(ProgressLine& line) : m_line(line) {}
    void showSubgroup(std::string_view name) override { m_subgroup = name; }
    void setProgressMaximum(std::uint64_t lineTotal) override { m_total = lineTotal; }
    void setProgress(std::uint64_t processed) override {
        m_line.show(
            [&] {
                return "[" + m_subgroup + "] line " + std::to_string(processed) + " of " +
                       std::to_string(m_total);
            },
            processed == m_total);
    }
    void finished() override { m_line.clear(); }

private:
    ProgressLine& m_line;
    std::string m_subgroup;
    std::uint64_t m_total = 0;
};

int run(const Options& typed, Context& context) {
    Options options = typed;
    options.playlist = typedPath(options.playlist);
    options.output = typedPath(options.output);
    StderrMessages stderrMessages(context);
    ProgressLine line(context);
    ProgressAwareMessages messages(stderrMessages, line);

    const auto [directory, name] = splitSourcePath(options.playlist);
    const auto group = convert::groupOfPlaylist(name);
    if (!group) {
        messages.message(convert::MessageKind::Error, convert::noGroupMessage(name),
                         convert::kTitleDeckshift);
        return kExitFailed;
    }
    // The engine converts whatever playlists of the group it finds; the one named here must be
    // there all the same.
    try {
        formats::FileSource probe(options.playlist, settings::toFsPath(options.playlist));
    } catch (const formats::FileError& e) {
        messages.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
        return kExitFailed;
    }

    if (refuseOutputFile(context, options.output))
        return kExitFailed;

    CliProgress progress(line);
    std::unique_ptr<formats::FilePlan> plan;
    const auto engine = engineOptions(options.move, context, plan);
    const auto result = convert::ConvertVrmToIni({directory, *group, options.output, name},
                                                 progress, messages, engine);
    line.clear();
    if (result.status != convert::RunStatus::Done)
        return kExitFailed;
    if (!context.quiet && !options.move.dryRun) {
        context.out << "Converted " << result.playlists
                    << (result.playlists == 1 ? " playlist" : " playlists") << " with "
                    << result.entries << (result.entries == 1 ? " entry" : " entries") << " into "
                    << shown(result.outputPath) << ".\n";
        printRelocationSummary(context, options.move, result.tracks);
    }
    printSearchSummary(context, options.move, result.tracks);
    return kExitDone;
}

} // namespace

Action addVrm2Ini(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("PLAYLIST", options->playlist,
                   "A playlist of the group, named group, \"_\", subgroup, \".XML\"")
        ->required();
    app.add_option("-o,--output", options->output, "The directory the INI file is written to")
        ->required();
    addMoveOptions(app, options->move);
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
