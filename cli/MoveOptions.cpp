#include "cli/CliSupport.h"

#include "settings/CodePage.h"
#include "settings/Paths.h"
#include "settings/Registry.h"
#include "settings/Relocation.h"

#include <CLI/CLI.hpp>

#include <filesystem>

namespace deckshift::cli {

std::optional<std::string> utf8ArgumentToCodePage(const std::string& text, std::string& error) {
    char32_t bad = 0;
    auto converted = settings::utf8ToCodePage(text, &bad);
    if (!converted) {
        // Bytes that are not UTF-8 were typed in the code page itself.
        if (!settings::isValidUtf8(text))
            return text;
        error = "\"" + text + "\" holds " +
                settings::describeCharacter(bad, settings::kShownInUtf8) +
                ", which the 8-bit code page of PCDJ cannot hold";
    }
    return converted;
}

std::string shown(std::string_view text) {
    return settings::kShownInUtf8 ? settings::codePageToUtf8(text) : std::string(text);
}

void addMoveOptions(CLI::App& app, MoveOptions& options) {
    app.add_option("--relocate", options.relocate,
                   "FROM=TO: rewrite track paths that begin with FROM (letter case ignored, \\ and "
                   "/ alike, at a folder boundary) to begin with TO; the longest FROM wins; "
                   "repeatable")
        ->type_name("FROM=TO")
        ->allow_extra_args(false)
        ->check([](const std::string& value) -> std::string {
            if (!settings::parseRelocationRule(value))
                return "--relocate takes FROM=TO with a FROM that is not empty, not \"" + value +
                       "\"";
            return {};
        });
    addSearchOption(app, options.search,
                    "A folder to search, with all its subfolders, for each track not found (after "
                    "--relocate): a file of the same name, letter case ignored, takes its place; "
                    "of several, the one whose folders match more of the old path's last folders; "
                    "a tie is listed and left as it was; repeatable");
    app.add_flag("--check-tracks", options.checkTracks,
                 "After the run, look up every track written and list the ones not found");
    app.add_flag("--dry-run", options.dryRun,
                 "Read, check and report as the real run would, but write nothing: print "
                 "\"create PATH\" or \"replace PATH\" for each file instead");
}

convert::EngineOptions engineOptions(const MoveOptions& options, Context& context,
                                     std::unique_ptr<formats::FilePlan>& plan) {
    convert::EngineOptions engine;
    for (const auto& text : options.relocate) {
        if (auto rule = settings::parseRelocationRule(text))
            engine.relocations.push_back(std::move(*rule));
    }
    for (const auto& directory : options.search)
        engine.searchDirectories.push_back(typedPath(directory));
    engine.checkTracks = options.checkTracks;
    if (options.dryRun) {
        plan = std::make_unique<formats::FilePlan>(
            [&context](std::string_view line) { context.out << shown(line) << '\n'; });
        engine.dryRun = plan.get();
    }
    return engine;
}

void printRelocationSummary(Context& context, const MoveOptions& options,
                            const convert::TrackSummary& summary) {
    if (options.relocate.empty() || context.quiet || options.dryRun)
        return;
    context.out << "Relocated " << summary.relocated
                << (summary.relocated == 1 ? " track path.\n" : " track paths.\n");
}

void printSearchSummary(Context& context, const MoveOptions& options,
                        const convert::TrackSummary& summary) {
    if (options.search.empty() || context.quiet)
        return;
    context.out << convert::searchSummaryLine(summary) << ".\n";
}

void addSearchOption(CLI::App& app, std::vector<std::string>& directories,
                     const std::string& help) {
    app.add_option("--search", directories, help)
        ->type_name("DIR")
        ->allow_extra_args(false)
        ->check([](const std::string& value) -> std::string {
            const std::string path = typedPath(value);
            if (settings::isExistingDirectory(path))
                return {};
            std::error_code ec;
            if (std::filesystem::exists(settings::toFsPath(path), ec))
                return "--search: \"" + value + "\" is a file, not a directory";
            return "--search: the directory \"" + value + "\" does not exist";
        });
}

std::optional<std::string> rcDirFromOption(const std::string& value, std::string& error) {
    std::string dir;
    // Doubled separators become single, as in a registry value; a UNC path keeps its leading
    // pair.
    const bool unc =
        value.size() > 1 && (value[0] == '\\' || value[0] == '/') && value[1] == value[0];
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool separator = c == '\\' || c == '/';
        if (separator && !dir.empty() && dir.back() == c && !(unc && i == 1))
            continue;
        dir += c;
    }
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        dir += settings::separatorFor(dir);
    std::error_code ec;
    if (dir.empty() || !std::filesystem::is_directory(settings::toFsPath(dir), ec)) {
        error = "--rc-dir: the directory \"" + value +
                "\" does not exist. Please name the PCDJ FX RecordCase directory.";
        return std::nullopt;
    }
    return dir;
}

} // namespace deckshift::cli
