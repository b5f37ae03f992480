#pragma once
// What every sub-command shares: its streams, the message sink and the progress line.

#include "cli/Cli.h"
#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/RunEvents.h"
#include "convert/TrackPipeline.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace deckshift::cli {

struct Context {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    bool quiet = false;
    /// Whether a progress line is drawn on stderr.
    bool showProgress() const { return errIsTerminal && !quiet; }
};

/// The line printed after an engine's message saying how to go on, where there is one (the
/// registry messages: name the directory with --rc-dir, or the Wine prefix); empty otherwise.
std::string_view howToGoOn(std::string_view message);

/// Prints the engines' messages on stderr, each as one line: errors as the system's own text,
/// warnings after "warning: ". A message with a way to go on (howToGoOn()) gets it on a second
/// line.
class StderrMessages final : public convert::MessageSink {
public:
    explicit StderrMessages(Context& context) : m_context(context) {}
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;

private:
    Context& m_context;
};

/// A one-line progress display on a terminal, redrawn at most ten times a second.
class ProgressLine {
public:
    explicit ProgressLine(Context& context) : m_context(context) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    /// Redraws with `text` when enough time has passed since the last redraw, or when `force`.
    void show(const std::function<std::string()>& text, bool force = false);
    /// Removes the line.
    void clear();

private:
    Context& m_context;
    std::chrono::steady_clock::time_point m_last{};
    bool m_drawn = false;
};

/// A sub-command: registers its options on `app` and returns the action run after parsing, which
/// gives the exit status.
using Action = std::function<int()>;
Action addIni2Vrm(CLI::App& app, Context& context);
Action addVrm2Ini(CLI::App& app, Context& context);
Action addM3u2Vrm(CLI::App& app, Context& context);
Action addVrm2M3u(CLI::App& app, Context& context);
Action addCheck(CLI::App& app, Context& context);
Action addExport(CLI::App& app, Context& context);

/// The options for moving a collection that every conversion and the export share.
struct MoveOptions {
    std::vector<std::string> relocate; ///< "FROM=TO", in the 8-bit code page
    std::vector<std::string> search;   ///< folders to search for moved tracks, as typed
    bool checkTracks = false;
    bool dryRun = false;
};

/// Adds --relocate, --search, --check-tracks and --dry-run to `app`. A --relocate value without
/// "=" or with an empty FROM, or holding a character the 8-bit code page cannot hold, is a usage
/// error.
void addMoveOptions(CLI::App& app, MoveOptions& options);

/// Adds --search DIR (repeatable) to `app`, described by `help`. A DIR that is no directory, or
/// whose path holds a character the 8-bit code page cannot hold, is a usage error.
void addSearchOption(CLI::App& app, std::vector<std::string>& directories, const std::string& help);

/// Text typed on the command line, which arrives in UTF-8, in the 8-bit code page. Bytes that are
/// not UTF-8 are taken as typed in the code page itself and kept as they are. nullopt, with the
/// character named in `error`, when the code page cannot hold it.
std::optional<std::string> utf8ArgumentToCodePage(const std::string& text, std::string& error);

/// Text in the 8-bit code page (the engines' messages, paths and names) as the terminal shows it:
/// in UTF-8 outside Windows, as it is on Windows.
std::string shown(std::string_view text);

/// The engine options of `options`; a dry run's lines go to stdout through `plan`, which is
/// created here.
convert::EngineOptions engineOptions(const MoveOptions& options, Context& context,
                                     std::unique_ptr<formats::FilePlan>& plan);

/// "Relocated N track paths." after a run with relocation rules; nothing otherwise.
void printRelocationSummary(Context& context, const MoveOptions& options,
                            const convert::TrackSummary& summary);

/// "K of M missing tracks found by name." on stdout after a run with search folders (a dry run
/// too); nothing otherwise, or when quiet.
void printSearchSummary(Context& context, const MoveOptions& options,
                        const convert::TrackSummary& summary);

/// The RecordCase directory named by --rc-dir: doubled separators made single, a missing trailing
/// separator added. nullopt, with the message in `error`, when it names no directory.
std::optional<std::string> rcDirFromOption(const std::string& value, std::string& error);

/// Refuses, with a message, an --output that names an existing file rather than a directory.
/// Returns true when refused.
bool refuseOutputFile(Context& context, const std::string& output);

/// A path as typed: a Windows-form path typed with "/" ("C:/Music/x.XML", as a shell under Wine
/// invites) gets "\" in their place, as every path in Windows form is written; others stay.
std::string typedPath(std::string path);

/// The directory and bare name of a file path given on the command line: "." for a bare name; a
/// file in a root directory keeps the root's separator ("/", "C:\").
std::pair<std::string, std::string> splitSourcePath(const std::string& source);

/// Passes the engines' messages on to `inner`, removing the progress line first so that a
/// message never lands in the middle of it.
class ProgressAwareMessages final : public convert::MessageSink {
public:
    ProgressAwareMessages(convert::MessageSink& inner, ProgressLine& line)
        : m_inner(inner), m_line(line) {}
    void message(convert::MessageKind kind, std::string_view text,
                 std::string_view title) override {
        m_line.clear();
        m_inner.message(kind, text, title);
    }

private:
    convert::MessageSink& m_inner;
    ProgressLine& m_line;
};

/// A playlist conversion on a terminal: a progress line naming the playlist while the run goes,
/// removed when it ends.
class PlaylistProgressLine final : public convert::RunEvents {
public:
    PlaylistProgressLine(ProgressLine& line, std::string name)
        : m_line(line), m_name(std::move(name)) {}
    void started() override {
        m_line.show([&] { return "Converting " + m_name + "..."; }, true);
    }
    void finished() override { m_line.clear(); }
    void refused() override { m_line.clear(); }
    void failed() override { m_line.clear(); }

private:
    ProgressLine& m_line;
    std::string m_name;
};

/// Runs a playlist conversion of the file `source`: `runEngine(directory, name, progress,
/// messages)` calls the engine. Messages go to stderr, the run's course shows in the progress line,
/// and a one-line summary goes to stdout unless quiet. Returns the exit status.
template <class RunEngine>
int runPlaylistConversion(Context& context, const std::string& source, RunEngine runEngine,
                          const MoveOptions& move = {}, bool writeM3u8 = false,
                          formats::EncodingChoice encoding = formats::EncodingChoice::Auto) {
    StderrMessages stderrMessages(context);
    ProgressLine line(context);
    ProgressAwareMessages messages(stderrMessages, line);
    const auto [directory, name] = splitSourcePath(source);
    PlaylistProgressLine progress(line, name);
    std::unique_ptr<formats::FilePlan> plan;
    auto options = engineOptions(move, context, plan);
    options.writeM3u8 = writeM3u8;
    options.m3uEncoding = encoding;
    const auto result = runEngine(directory, name, progress, messages, options);
    line.clear();
    if (result.status != convert::RunStatus::Done)
        return kExitFailed;
    if (!context.quiet && !move.dryRun) {
        context.out << "Wrote " << result.tracks << (result.tracks == 1 ? " track" : " tracks")
                    << " to " << shown(result.outputPath) << ".\n";
        printRelocationSummary(context, move, result.pipeline);
    }
    printSearchSummary(context, move, result.pipeline);
    return kExitDone;
}

} // namespace deckshift::cli
