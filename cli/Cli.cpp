#include "cli/Cli.h"

#include "cli/CliSupport.h"
#include "convert/ConvertRedIniToVrm.h"
#include "convert/ExportLibrary.h"

#include "Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <new>

namespace deckshift::cli {

std::string_view howToGoOn(std::string_view message) {
    // The registry messages of register mode and of the export: the setting is missing, or names
    // a directory that is not there.
    if (!message.starts_with(convert::kMsgRcPathUndefined) &&
        !message.starts_with(convert::kMsgRcDirMissing))
        return {};
#ifdef _WIN32
    return "To go on, name the PCDJ FX RecordCase directory with --rc-dir DIR.";
#else
    return "To go on, name the PCDJ FX RecordCase directory with --rc-dir DIR, or set WINEPREFIX "
           "to the Wine prefix PCDJ FX is installed in (~/.wine when it is not set).";
#endif
}

void StderrMessages::message(convert::MessageKind kind, std::string_view text, std::string_view) {
    if (kind != convert::MessageKind::Error)
        m_context.err << "warning: ";
    m_context.err << shown(text) << '\n';
    if (const auto next = howToGoOn(text); !next.empty())
        m_context.err << shown(next) << '\n';
}

void ProgressLine::show(const std::function<std::string()>& text, bool force) {
    if (!m_context.showProgress())
        return;
    auto now = std::chrono::steady_clock::now();
    if (!force && m_drawn && now - m_last < std::chrono::milliseconds(100))
        return;
    m_last = now;
    std::string line = shown(text());
    if (line.size() > 78)
        line = line.substr(0, 75) + "...";
    m_context.err << "\r\x1b[K" << line << std::flush;
    m_drawn = true;
}

void ProgressLine::clear() {
    if (m_drawn)
        m_context.err << "\r\x1b[K" << std::flush;
    m_drawn = false;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
    Context context{out, err, errIsTerminal, false};
    CLI::App app{"Deckshift moves DJ collections between PCDJ RED group files, PCDJ FX VRM "
                 "playlists and M3U playlists, and takes a whole library to rekordbox or Traktor.",
                 "deckshift-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "deckshift " DECKSHIFT_VERSION);
    app.add_flag("-q,--quiet", context.quiet, "Print no progress and no summary")
        ->configurable(false);
    app.fallthrough();

    std::map<const CLI::App*, Action> actions;
    auto add = [&](const char* name, const char* description, auto adder) {
        CLI::App* sub = app.add_subcommand(name, description);
        actions[sub] = adder(*sub, context);
    };
    add("ini2vrm", "PCDJ RED group INI file(s) to PCDJ FX VRM playlists", addIni2Vrm);
    add("vrm2ini", "The PCDJ FX VRM playlists of one group to one PCDJ RED group INI file",
        addVrm2Ini);
    add("m3u2vrm", "An M3U playlist to a PCDJ FX VRM playlist", addM3u2Vrm);
    add("vrm2m3u", "A PCDJ FX VRM playlist to an M3U playlist", addVrm2M3u);
    add("export",
        convert::exportAvailable()
            ? "The whole library, from PCDJ FX or PCDJ RED, as one rekordbox or Traktor collection "
              "file or as a folder of M3U or M3U8 playlists, one folder per group"
            : "(not in this build: it was made without the XML reader the export needs)",
        addExport);
    add("check", "Look up the tracks of playlists and group files and list the ones not found",
        addCheck);

    // Paths and names are carried in the 8-bit code page, as the registry values and the DJ
    // applications' files hold them; the command line arrives in UTF-8. Every value is converted
    // before any check sees it, and one the code page cannot hold is a usage error naming its
    // option, never a name with "?" in it.
    for (CLI::App* sub : app.get_subcommands({})) {
        for (CLI::Option* option : sub->get_options()) {
            if (option->get_type_size() == 0)
                continue; // a flag
            option->transform(CLI::Validator(
                [](std::string& value) {
                    std::string error;
                    if (auto converted = utf8ArgumentToCodePage(value, error)) {
                        value = std::move(*converted);
                        return std::string();
                    }
                    return error;
                },
                ""));
        }
    }

    // The first argument that is not an option names the sub-command (no option of the program
    // itself takes a value).
    for (const auto& arg : args) {
        if (arg.starts_with("-"))
            continue;
        const auto subs = app.get_subcommands({});
        const bool known = std::any_of(subs.begin(), subs.end(),
                                       [&](const CLI::App* sub) { return sub->check_name(arg); });
        if (!known) {
            err << "deckshift-cli: unknown sub-command \"" << arg << "\"\n\n" << app.help();
            return kExitUsage;
        }
        break;
    }

    // CLI11 takes a vector of arguments in reverse order (it pops them off the back as it parses).
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, out, err);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        err << "deckshift-cli: " << e.what() << "\n\n";
        const CLI::App* failing = &app;
        for (auto* sub : app.get_subcommands())
            failing = sub;
        // A sub-command's usage line names the program as well: "deckshift-cli m3u2vrm ...".
        err << (failing == &app ? app.help() : failing->help("deckshift-cli"));
        return kExitUsage;
    }
    for (auto* sub : app.get_subcommands()) {
        auto it = actions.find(sub);
        if (it == actions.end())
            continue;
        // Whatever goes wrong, the run ends with a message and exit status 1, never an abort.
        // Every file is written through a temporary file, so nothing is left half written.
        try {
            return it->second();
        } catch (const std::bad_alloc&) {
            err << "deckshift-cli: out of memory. The run was stopped; files already written "
                   "are whole, no file was left half written.\n";
        } catch (const std::exception& e) {
            err << "deckshift-cli: the run was stopped: " << shown(e.what())
                << ". Files already written are whole, no file was left half written.\n";
        }
        return kExitFailed;
    }
    err << app.help();
    return kExitUsage;
}

} // namespace deckshift::cli
