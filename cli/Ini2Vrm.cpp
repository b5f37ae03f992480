// deckshift-cli ini2vrm: PCDJ RED group files to PCDJ FX VRM playlists.
//
//   ini2vrm GROUP.INI --output DIR
//   ini2vrm --batch DIR --output DIR
//   ini2vrm [--batch] SOURCE --register [--rc-dir RC] [--no-backup] [--replace]
//   each with [--relocate FROM=TO]... [--check-tracks] [--dry-run]

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "convert/ConvertRedIniToVrm.h"
#include "settings/Paths.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

namespace deckshift::cli {

namespace {

struct Options {
    std::string source;
    std::string output;
    std::string rcDir;
    bool batch = false;
    bool registerMode = false;
    bool noBackup = false;
    bool replace = false;
    MoveOptions move;
};

class CliProgress final : public convert::IniToVrmProgress {
public:
    explicit CliProgress(ProgressLine& line) : m_line(line) {}
    void fileBegun(std::string_view name, std::uint64_t number, std::uint64_t count) override {
        m_file = "file " + std::to_string(number) + " of " + std::to_string(count) + ", ";
        m_file += name;
    }
    void showSubgroup(std::string_view name) override { m_subgroup = name; }
    void showPosition(std::uint64_t lineNumber, std::uint64_t lineCount) override {
        m_line.show(
            [&] {
                std::string text = m_file.empty() ? std::string() : m_file + ": ";
                text += "line " + std::to_string(lineNumber) + " of " + std::to_string(lineCount);
                if (!m_subgroup.empty())
                    text += " [" + m_subgroup + "]";
                return text;
            },
            lineNumber == lineCount);
    }
    void finished() override { m_line.clear(); }
    void refused() override { m_line.clear(); }
    void failed() override { m_line.clear(); }

private:
    ProgressLine& m_line;
    std::string m_file;
    std::string m_subgroup;
};

/// Names the group file in the message for a file that is no group file: the window's text names
/// none, the file being the one just picked there.
class NamingMessages final : public convert::MessageSink {
public:
    NamingMessages(convert::MessageSink& inner, std::string path)
        : m_inner(inner), m_path(std::move(path)) {}
    void message(convert::MessageKind kind, std::string_view text,
                 std::string_view title) override {
        if (text != convert::kMsgNotGroupFile) {
            m_inner.message(kind, text, title);
            return;
        }
        const std::string_view sentence = text.substr(0, text.find(". ") + 1);
        m_inner.message(kind, m_path + ": " + std::string(sentence) + " Nothing was written.",
                        title);
    }

private:
    convert::MessageSink& m_inner;
    std::string m_path;
};

int run(const Options& typed, Context& context) {
    Options options = typed;
    options.source = typedPath(options.source);
    options.output = typedPath(options.output);
    options.rcDir = typedPath(options.rcDir);
    if (!options.output.empty() && refuseOutputFile(context, options.output))
        return kExitFailed;
    convert::IniToVrmInputs inputs;
    inputs.registerMode = options.registerMode;
    inputs.batchMode = options.batch;
    if (options.batch) {
        inputs.sourceDirectory = options.source;
    } else {
        std::tie(inputs.sourceDirectory, inputs.sourceName) = splitSourcePath(options.source);
    }
    inputs.outputDirectory = options.output;

    StderrMessages stderrMessages(context);
    // --rc-dir names the RecordCase directory itself, in place of the registry setting.
    if (!options.rcDir.empty()) {
        std::string error;
        const auto rc = rcDirFromOption(options.rcDir, error);
        if (!rc) {
            stderrMessages.message(convert::MessageKind::Error, error, convert::kTitleDeckshift);
            return kExitFailed;
        }
        inputs.rcDirectory = *rc;
    }

    // Messages come on a line of their own: the progress line is removed before each.
    ProgressLine line(context);
    NamingMessages naming(stderrMessages, options.source);
    ProgressAwareMessages messages(naming, line);
    CliProgress progress(line);
    std::unique_ptr<formats::FilePlan> plan;
    auto engine = engineOptions(options.move, context, plan);
    engine.backupGroupList = !options.noBackup;
    engine.replaceListedGroups = options.replace;
    const auto result = convert::ConvertRedIniToVrm(inputs, progress, messages, engine);
    line.clear();
    if (result.status != convert::RunStatus::Done)
        return kExitFailed;
    if (!context.quiet && !options.move.dryRun) {
        context.out << "Converted " << result.groupFilesConverted
                    << (result.groupFilesConverted == 1 ? " group file" : " group files")
                    << " into " << result.playlistsWritten
                    << (result.playlistsWritten == 1 ? " playlist" : " playlists") << " in "
                    << shown(result.outputDirectory);
        if (result.groupFilesSkipped > 0)
            context.out << " (" << result.groupFilesSkipped << " skipped)";
        context.out << (options.registerMode ? ", registered in the group list.\n" : ".\n");
        for (const auto& skipped : result.skippedFiles)
            context.out << "Skipped " << shown(skipped.name) << ": " << shown(skipped.reason)
                        << "\n";
        printRelocationSummary(context, options.move, result.tracks);
    }
    printSearchSummary(context, options.move, result.tracks);
    return kExitDone;
}

} // namespace

Action addIni2Vrm(CLI::App& app, Context& context) {
    auto options = std::make_shared<Options>();
    app.add_option("SOURCE", options->source,
                   "The group file, or with --batch the directory of group files")
        ->required();
    app.add_flag("--batch", options->batch, "Convert every group file of the directory SOURCE");
    auto* output = app.add_option("-o,--output", options->output,
                                  "The directory the playlists are written to");
    auto* reg = app.add_flag("--register", options->registerMode,
                             "Write the playlists into PCDJ FX's RecordCase directory and enter "
                             "each group in its group list");
    auto* rc = app.add_option("--rc-dir", options->rcDir,
                              "The PCDJ FX RecordCase directory, in place of the PCDJ FX registry "
                              "setting");
    rc->needs(reg);
    app.add_flag("--no-backup", options->noBackup,
                 "Keep no copy of the group list; by default the list as it stood is kept as "
                 "Groups.xml.1.bak (older copies up to .5.bak) before the run first replaces it")
        ->needs(reg);
    app.add_flag("--replace", options->replace,
                 "Replace a group of the same name already in the group list, where it stands, "
                 "instead of listing it twice")
        ->needs(reg);
    addMoveOptions(app, options->move);
    output->excludes(reg);
    app.callback([output, reg] {
        if (output->count() == 0 && reg->count() == 0)
            throw CLI::RequiredError("--output or --register");
    });
    return [options, &context] { return run(*options, context); };
}

} // namespace deckshift::cli
