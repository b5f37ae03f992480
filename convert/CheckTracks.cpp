#include "convert/CheckTracks.h"

#include "convert/FileToFileChecks.h"
#include "convert/TrackPipeline.h"
#include "formats/GroupIni.h"
#include "formats/GroupListXml.h"
#include "formats/M3uEncoding.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::convert {

namespace {

enum class Kind { GroupIni, M3u, Vrm, Other };

bool endsWithIgnoringCase(std::string_view name, std::string_view ext) {
    return name.size() >= ext.size() &&
           settings::equalsIgnoringCase(name.substr(name.size() - ext.size()), ext);
}

Kind kindOfName(std::string_view name) {
    if (endsWithIgnoringCase(name, ".ini"))
        return Kind::GroupIni;
    if (endsWithIgnoringCase(name, ".m3u") || endsWithIgnoringCase(name, ".m3u8"))
        return Kind::M3u;
    if (endsWithIgnoringCase(name, ".xml"))
        return Kind::Vrm;
    return Kind::Other;
}

class Checker {
public:
    Checker(const EngineOptions& options, MessageSink& messages,
            const std::function<void(const MissingTrack&)>& onMissing,
            const std::function<void(const CheckProgress&)>& progress)
        : m_options(checkOptions(options)), m_messages(messages), m_pipeline(m_options, messages),
          m_progress(progress) {
        // A check converts nothing: a track the code page cannot hold is still looked up.
        m_pipeline.setLookUpUnconverted(true);
        m_pipeline.setOnMissing([this, &onMissing](const MissingTrack& track) {
            ++m_result.missing;
            if (onMissing)
                onMissing(track);
        });
        m_pipeline.setOnFound([&onMissing](const MissingTrack& track) {
            if (onMissing)
                onMissing(track);
        });
    }

    void path(const std::string& path) {
        std::error_code ec;
        if (fs::is_directory(settings::toFsPath(path), ec)) {
            std::string error;
            const auto names = settings::listFiles(path, "*", &error);
            if (!error.empty()) {
                unreadable(formats::FileError(path, "list", error).what());
                return;
            }
            for (const auto& name : names) {
                if (kindOfName(name) != Kind::Other)
                    file(settings::joinPath(path, name), name, true);
            }
            return;
        }
        const auto cut = path.find_last_of(settings::isWindowsForm(path) ? "\\/" : "/");
        file(path, cut == std::string::npos ? path : path.substr(cut + 1), false);
    }

    CheckTracksResult result() {
        m_result.tracks = m_pipeline.summary().checked;
        m_result.pipeline = m_pipeline.summary();
        return m_result;
    }

private:
    static EngineOptions checkOptions(const EngineOptions& options) {
        EngineOptions copy = options;
        copy.checkTracks = true;
        copy.dryRun = nullptr;
        return copy;
    }

    void report(const std::string& file) {
        if (m_progress)
            m_progress({file, m_pipeline.summary().checked, m_result.files});
    }

    /// Called for each line read: reports every 4096 lines.
    void lineRead() {
        if ((++m_lines & 0xFFFu) == 0)
            report(m_file);
    }

    void unreadable(const std::string& text) {
        m_result.unreadable = true;
        m_messages.message(MessageKind::Error, text, kTitleDeckshift);
    }

    static std::string directoryOf(const std::string& path) {
        const auto cut = path.find_last_of(settings::isWindowsForm(path) ? "\\/" : "/");
        return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
    }

    // `inDirectory`: found in a directory named to the check, rather than named itself; a file
    // of the wrong kind there is passed over with a warning instead of failing the check.
    void file(const std::string& path, std::string_view name, bool inDirectory) {
        m_file = path;
        report(m_file);
        try {
            m_pipeline.setSource(path);
            m_pipeline.setOutputDirectory(directoryOf(path));
            std::optional<std::string> wrongKind;
            switch (kindOfName(name)) {
            case Kind::GroupIni:
                wrongKind = groupIni(path);
                break;
            case Kind::M3u:
                wrongKind = refuseNonM3uPlaylist(path);
                if (!wrongKind)
                    m3u(path, name);
                break;
            default:
                xml(path, true);
                break;
            }
            if (!wrongKind)
                ++m_result.files;
            else if (inDirectory)
                m_messages.message(MessageKind::Warning, *wrongKind + " It was not checked.",
                                   kTitleDeckshift);
            else
                unreadable(*wrongKind);
        } catch (const formats::FileError& e) {
            unreadable(e.what());
        }
    }

    // Why the file is not a group file, when it is not one: its second line must begin with
    // "Track", as for a conversion.
    std::optional<std::string> groupIni(const std::string& path) {
        formats::TextFileReader reader(path, settings::toFsPath(path));
        std::string line;
        std::string track;
        std::uint64_t number = 0;
        bool inGroup = false;
        bool recognised = false;
        while (reader.next(line)) {
            ++number;
            lineRead();
            if (number == 2) {
                recognised =
                    !reader.lines().lastLineTooLong() && formats::isGroupFileSecondLine(line);
                if (!recognised)
                    break;
            }
            if (reader.lines().lastLineTooLong()) {
                m_pipeline.skipLongLine(number, reader.lines().lastLineLength());
                continue;
            }
            if (formats::isHeaderLine(line)) {
                inGroup = true;
                continue;
            }
            const auto entry = inGroup ? formats::parseEntryLine(line) : std::nullopt;
            if (!entry)
                continue;
            track.assign(entry->directory);
            track.append(entry->fileName);
            m_pipeline.track(track, number);
        }
        if (recognised)
            return std::nullopt;
        return "The file \"" + path +
               "\" is not a PCDJ RED group file: its second line does not begin with \"Track\" "
               "(a group file has CR LF line ends).";
    }

    void m3u(const std::string& path, std::string_view name) {
        formats::FileSource source(path, settings::toFsPath(path));
        const auto encoding = formats::detectM3uEncoding(source, name, m_options.m3uEncoding);
        formats::DecodingSource bytes(source, encoding);
        formats::LineReader lines(bytes, formats::LineEnds::CrOrCrLfOrLf);
        m_pipeline.setM3uSource(encoding, {});
        std::string line;
        std::uint64_t number = 0;
        while (lines.next(line)) {
            ++number;
            lineRead();
            if (lines.lastLineTooLong()) {
                m_pipeline.skipLongLine(number, lines.lastLineLength());
                continue;
            }
            if (line.empty() || line.front() == '#')
                continue;
            m_pipeline.m3uTrack(line, number);
        }
    }

    // A VRM playlist, or a group list whose playlists are checked in turn.
    void xml(const std::string& path, bool mayBeGroupList) {
        formats::TextFileReader reader(path, settings::toFsPath(path), formats::kVrmLineEnds);
        std::string line;
        bool isGroupList = false;
        while (mayBeGroupList && !isGroupList && reader.next(line))
            isGroupList = line.find("<Groups") != std::string::npos;
        reader.rewind();
        std::uint64_t number = 0;
        if (!isGroupList) {
            while (reader.next(line)) {
                ++number;
                lineRead();
                if (reader.lines().lastLineTooLong()) {
                    m_pipeline.skipLongLine(number, reader.lines().lastLineLength());
                    continue;
                }
                char32_t unheld = 0;
                auto track = formats::mediaLinePath(line, &unheld);
                if (track && unheld != 0)
                    m_pipeline.skipCharacter(number, unheld);
                else if (track)
                    m_pipeline.track(*track, number);
            }
            return;
        }
        groupList(path);
    }

    // Each playlist a group list names, then its tracks; the playlists themselves are not tracks.
    void groupList(const std::string& path) {
        std::string error;
        const auto groups = formats::readGroupListFile(path, error);
        if (!groups) {
            unreadable("The PCDJ FX group list \"" + path + "\" " + error + ".");
            return;
        }
        for (const auto& group : *groups) {
            for (const auto& sub : group.subgroups) {
                if (!trackExists(sub.path, {})) {
                    ++m_result.missingPlaylists;
                    m_messages.message(MessageKind::Warning,
                                       path + ":" + std::to_string(sub.line) + ": the playlist \"" +
                                           sub.path + "\" of subgroup \"" + sub.name +
                                           "\" in group \"" + group.name + "\" was not found.",
                                       kTitleDeckshift);
                    continue;
                }
                m_file = sub.path;
                report(m_file);
                m_pipeline.setSource(sub.path);
                m_pipeline.setOutputDirectory(directoryOf(sub.path));
                try {
                    xml(sub.path, false);
                    ++m_result.files;
                } catch (const formats::FileError& e) {
                    unreadable(e.what());
                }
            }
        }
    }

    const EngineOptions m_options;
    MessageSink& m_messages;
    TrackPipeline m_pipeline;
    const std::function<void(const CheckProgress&)>& m_progress;
    CheckTracksResult m_result;
    std::string m_file;
    std::uint64_t m_lines = 0;
};

} // namespace

CheckTracksResult CheckTracks(const std::vector<std::string>& paths, const EngineOptions& options,
                              MessageSink& messages,
                              const std::function<void(const MissingTrack&)>& onMissing,
                              const std::function<void(const CheckProgress&)>& progress) {
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    Checker checker(options, messages, onMissing, progress);
    for (const auto& path : paths)
        checker.path(path);
    return checker.result();
}

} // namespace deckshift::convert
