#include "convert/CheckTracks.h"

#include "convert/TrackPipeline.h"
#include "formats/GroupIni.h"
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

/// The value of the attribute `name` in a line (`name="value"`), nullopt when absent.
std::optional<std::string> attribute(std::string_view line, std::string_view name) {
    std::string key(1, ' ');
    key.append(name);
    key.append("=\"");
    const auto at = line.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    const auto start = at + key.size();
    const auto end = line.find('"', start);
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::string(line.substr(start, end - start));
}

class Checker {
public:
    Checker(const EngineOptions& options, MessageSink& messages,
            const std::function<void(const MissingTrack&)>& onMissing,
            const std::function<void(const CheckProgress&)>& progress)
        : m_options(checkOptions(options)), m_messages(messages), m_pipeline(m_options, messages),
          m_progress(progress) {
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
                    file(settings::joinPath(path, name), name);
            }
            return;
        }
        const auto cut = path.find_last_of(settings::isWindowsForm(path) ? "\\/" : "/");
        file(path, cut == std::string::npos ? path : path.substr(cut + 1));
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

    void file(const std::string& path, std::string_view name) {
        m_file = path;
        report(m_file);
        try {
            m_pipeline.setSource(path);
            m_pipeline.setOutputDirectory(directoryOf(path));
            switch (kindOfName(name)) {
            case Kind::GroupIni:
                groupIni(path);
                break;
            case Kind::M3u:
                m3u(path, name);
                break;
            default:
                xml(path, true);
                break;
            }
            ++m_result.files;
        } catch (const formats::FileError& e) {
            unreadable(e.what());
        }
    }

    void groupIni(const std::string& path) {
        formats::TextFileReader reader(path, settings::toFsPath(path));
        std::string line;
        std::string track;
        std::uint64_t number = 0;
        bool inGroup = false;
        while (reader.next(line)) {
            ++number;
            lineRead();
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
        formats::TextFileReader reader(path, settings::toFsPath(path));
        std::string line;
        bool groupList = false;
        while (mayBeGroupList && !groupList && reader.next(line))
            groupList = line.find("<Groups") != std::string::npos;
        reader.rewind();
        std::uint64_t number = 0;
        if (!groupList) {
            while (reader.next(line)) {
                ++number;
                lineRead();
                if (reader.lines().lastLineTooLong()) {
                    m_pipeline.skipLongLine(number, reader.lines().lastLineLength());
                    continue;
                }
                if (auto track = formats::mediaLinePath(line))
                    m_pipeline.track(*track, number);
            }
            return;
        }
        std::vector<std::string> playlists;
        while (reader.next(line)) {
            ++number;
            lineRead();
            if (reader.lines().lastLineTooLong()) {
                m_pipeline.skipLongLine(number, reader.lines().lastLineLength());
                continue;
            }
            if (line.find("<SubGroup") == std::string::npos)
                continue;
            auto src = attribute(line, "src");
            if (!src)
                continue;
            // The playlist itself counts as a track of the list; a missing one is listed as such.
            std::string listed = *src;
            if (m_pipeline.track(listed, number, false) && trackExists(listed, directoryOf(path)))
                playlists.push_back(listed);
        }
        for (const auto& playlist : playlists) {
            m_file = playlist;
            report(m_file);
            m_pipeline.setSource(playlist);
            m_pipeline.setOutputDirectory(directoryOf(playlist));
            try {
                xml(playlist, false);
                ++m_result.files;
            } catch (const formats::FileError& e) {
                unreadable(e.what());
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
