#include "convert/ConvertRedIniToVrm.h"

#include "formats/GroupList.h"
#include "formats/HeldFile.h"
#include "formats/TextIO.h"
#include "settings/AutoDetect.h"
#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <filesystem>
#include <optional>
#include <utility>

namespace deckshift::convert {

namespace {

/// Thrown when the user ends the run before a group that is already listed.
struct GroupCancelled {
    std::string groupName;
};

/// The group list update of one group file. When the list already holds a group of the same name,
/// the front end is asked as the group begins, before any of its playlists is written.
class AskingListUpdate final : public formats::GroupListRecorder {
public:
    AskingListUpdate(std::string rcDir, formats::GroupListUpdateOptions options,
                     IniToVrmProgress& progress)
        : m_rcDir(std::move(rcDir)), m_options(options), m_progress(progress) {
        m_update.emplace(m_rcDir, m_options);
    }

    void begin(std::string_view groupName) override {
        m_update->begin(groupName);
        if (m_update->alreadyListed() == 0)
            return;
        m_answer = m_progress.groupAlreadyListed(groupName);
        switch (m_answer) {
        case ListedGroupAnswer::AsOptionsSay:
            return;
        case ListedGroupAnswer::Cancel:
            m_update->abandon();
            throw GroupCancelled{std::string(groupName)};
        case ListedGroupAnswer::Replace:
            restart(groupName, true);
            return;
        case ListedGroupAnswer::AddAnother:
            restart(groupName, false);
            return;
        }
    }
    void addSubgroup(std::string_view playlistName, std::string_view playlistPath) override {
        m_update->addSubgroup(playlistName, playlistPath);
    }
    bool listsPlaylist(std::string_view playlistPath) const override {
        return m_update->listsPlaylist(playlistPath);
    }
    formats::AtomicFile::Durability playlistDurability() const override {
        return m_update->playlistDurability();
    }

    /// Whether the group went into the list beside others of its name without the user being
    /// asked, which deserves a warning.
    bool listedTwiceUnasked() const {
        return m_update->alreadyListed() > 0 && !m_options.replaceListed &&
               m_answer == ListedGroupAnswer::AsOptionsSay;
    }
    void finish() { m_update->finish(); }

private:
    void restart(std::string_view groupName, bool replace) {
        if (m_options.replaceListed == replace)
            return;
        m_options.replaceListed = replace;
        m_update.emplace(m_rcDir, m_options);
        m_update->begin(groupName);
    }

    std::string m_rcDir;
    formats::GroupListUpdateOptions m_options;
    IniToVrmProgress& m_progress;
    std::optional<formats::GroupListUpdate> m_update;
    ListedGroupAnswer m_answer = ListedGroupAnswer::AsOptionsSay;
};

class Run {
public:
    Run(const IniToVrmInputs& inputs, IniToVrmProgress& progress, MessageSink& messages,
        const EngineOptions& options)
        : m_in(inputs), m_progress(progress), m_messages(messages), m_options(options),
          m_pipeline(options, messages) {}

    IniToVrmResult run() {
        if (!prepare())
            return m_result;
        m_progress.started();
        try {
            if (m_in.batchMode)
                batch();
            else
                single();
        } catch (const formats::FileError& e) {
            fail(RunStatus::Failed, e.what());
        } catch (const formats::GroupListRefused& e) {
            fail(RunStatus::Refused, e.what());
        } catch (const formats::GroupListChanged& e) {
            fail(RunStatus::Refused, e.what());
        } catch (const GroupCancelled& cancelled) {
            m_result.status = RunStatus::Refused;
            m_result.cancelledBefore = cancelled.groupName;
            m_progress.refused();
        }
        if (!m_skipped.empty())
            m_messages.message(MessageKind::Warning, skippedLinesReport(m_skipped),
                               kTitleDeckshift);
        if (m_result.status == RunStatus::Done)
            m_pipeline.finish();
        m_result.tracks = m_pipeline.summary();
        return m_result;
    }

private:
    void fail(RunStatus status, std::string_view text) {
        m_result.status = status;
        m_messages.message(MessageKind::Error, text, kTitleDeckshift);
        reportStopped(m_progress, status);
    }

    void registryFailure(std::string_view text) {
        m_result.status = RunStatus::Refused;
        m_messages.message(MessageKind::Error, text, kTitleTools);
        m_progress.registerModeCancelled();
        m_progress.refused();
    }

    // The RecordCase directory as the group list names it: PCDJ FX reads the src values from
    // wherever it runs, so they are absolute, and outside Windows in Windows form through the
    // Wine prefix's drives where one holds the directory. `unreachable` tells when none does.
    static std::string registeredDirectory(std::string_view given, bool& unreachable) {
        std::string dir = settings::absolutePath(given);
        unreachable = false;
        if (settings::isWindowsForm(dir))
            return dir;
        if (auto windows = settings::windowsFormThroughWine(dir))
            return *windows;
#ifndef _WIN32
        unreachable = true;
#endif
        return dir;
    }

    // Decides where the playlists go; in register mode checks everything the run will touch
    // before anything is written.
    bool prepare() {
        if (m_in.registerMode) {
            bool unreachable = false;
            if (!m_in.rcDirectory.empty()) {
                m_rcDir = registeredDirectory(m_in.rcDirectory, unreachable);
            } else {
                const auto& registry = m_in.registry ? *m_in.registry : settings::systemRegistry();
                // The value is tested as read and used with single backslashes.
                const auto found =
                    settings::detectFxRc(settings::DetectOrder::TestThenNormalise, registry);
                if (!found.unreadable.empty()) {
                    // Not a missing setting: say what could not be read and why.
                    m_result.status = RunStatus::Refused;
                    m_messages.message(MessageKind::Error, found.unreadable, kTitleDeckshift);
                    m_progress.registerModeCancelled();
                    m_progress.refused();
                    return false;
                }
                if (found.state == settings::Detected::NotFound) {
                    registryFailure(kMsgRcPathUndefined);
                    return false;
                }
                if (found.state == settings::Detected::Missing) {
                    registryFailure(kMsgRcDirMissing);
                    return false;
                }
                m_rcDir = found.path;
            }
            if (m_options.backupGroupList && !m_options.dryRun)
                m_backup.emplace(m_rcDir + "Groups.xml");
            m_result.outputDirectory = settings::resolveSubdirectory(m_rcDir, "Playlists");
            if (auto problem = formats::checkGroupList(m_rcDir)) {
                fail(RunStatus::Refused, *problem);
                return false;
            }
            if (!settings::isExistingDirectory(m_result.outputDirectory)) {
                fail(RunStatus::Refused, "The PCDJ FX playlist directory \"" +
                                             m_result.outputDirectory +
                                             "\" does not exist. Nothing was written.");
                return false;
            }
            if (unreachable) {
                m_messages.message(
                    MessageKind::Warning,
                    "The RecordCase directory \"" + m_rcDir +
                        "\" lies on no drive of the Wine prefix, so its path is written into the "
                        "group list as it is. PCDJ FX running under Wine will not find these "
                        "playlists; give the directory in Windows form (\"Z:\\...\") or through "
                        "a drive of the prefix.",
                    kTitleDeckshift);
            }
        } else {
            m_result.outputDirectory = m_in.outputDirectory;
            if (m_result.outputDirectory.empty()) {
                fail(RunStatus::Refused, "No output directory is chosen. Please select one.");
                return false;
            }
            if (!settings::isExistingDirectory(m_result.outputDirectory)) {
                fail(RunStatus::Refused, "The output directory \"" + m_result.outputDirectory +
                                             "\" does not exist. Nothing was written.");
                return false;
            }
        }
        if (m_in.batchMode ? m_in.sourceDirectory.empty() : m_in.sourceName.empty()) {
            fail(RunStatus::Refused, m_in.batchMode
                                         ? "No input directory is chosen. Please select one."
                                         : "No group file is chosen. Please select one.");
            return false;
        }
        return true;
    }

    // Converts one group file; returns whether it was recognised. In register mode the group is
    // entered in the group list once its playlists are all written.
    bool convertOne(const std::string& name) {
        const std::string path = settings::joinPath(m_in.sourceDirectory, name);
        // The group file is read twice, to count its lines and to convert it.
        formats::HeldFile source(path, settings::toFsPath(path));
        formats::LineReader lines(source);
        std::optional<AskingListUpdate> update;
        if (m_in.registerMode) {
            formats::GroupListUpdateOptions listOptions;
            listOptions.replaceListed = m_options.replaceListedGroups;
            listOptions.backup = m_backup ? &*m_backup : nullptr;
            listOptions.dryRun = m_options.dryRun;
            update.emplace(m_rcDir, listOptions, m_progress);
        }
        m_pipeline.setSource(path);
        const std::string groupName = settings::stripExtension(name);
        const auto converted =
            ConvertGroupFile(lines, groupName, m_result.outputDirectory, m_progress,
                             update ? &*update : nullptr, &m_pipeline, &m_written);
        for (const auto& renamed : converted.renamed)
            m_messages.message(MessageKind::Warning, renamedPlaylistWarning(groupName, renamed),
                               kTitleDeckshift);
        m_result.playlistsWritten += converted.playlistsWritten;
        if (converted.skipped.count > 0)
            m_skipped.push_back({name, converted.skipped});
        if (!converted.recognised)
            return false;
        if (update) {
            // After a power cut the list must never name a playlist whose bytes are not on disk:
            // the group's playlists are forced there before the list is replaced.
            if (converted.playlistsWritten > 0 && !m_options.dryRun)
                formats::syncDirectory(m_result.outputDirectory,
                                       settings::toFsPath(m_result.outputDirectory),
                                       formats::DirectorySync::EntriesAndFiles);
            const bool twice = update->listedTwiceUnasked();
            update->finish();
            if (twice)
                m_messages.message(MessageKind::Warning, alreadyListedWarning(groupName),
                                   kTitleDeckshift);
        }
        ++m_result.groupFilesConverted;
        return true;
    }

    void single() {
        if (!convertOne(m_in.sourceName)) {
            m_result.status = RunStatus::Refused;
            m_messages.message(MessageKind::Error, kMsgNotGroupFile, kTitleDeckshift);
            m_progress.refused();
            m_progress.sourceToChooseAgain();
            return;
        }
        m_progress.finished();
    }

    void batch() {
        std::string error;
        std::vector<settings::UnnamedEntry> unnamed;
        const auto names = settings::listFiles(m_in.sourceDirectory, "*.INI", &error, &unnamed);
        if (!error.empty())
            throw formats::FileError(m_in.sourceDirectory, "list", error);
        // A group named after its file must be written into the group list in the code page.
        for (const auto& file : unnamed) {
            m_messages.message(MessageKind::Warning,
                               "The group file \"" + file.name +
                                   "\" was left out: its name holds " +
                                   settings::describeCharacter(file.character) +
                                   ", which the 8-bit code page of PCDJ cannot hold. Please "
                                   "rename it.",
                               kTitleDeckshift);
            ++m_result.groupFilesSkipped;
        }
        std::uint64_t number = 0;
        for (const auto& name : names) {
            ++number;
            // PCDJ RED keeps its CD audio group beside the others; it names no files to convert.
            if (name.starts_with("CD AUDIO")) {
                ++m_result.groupFilesSkipped;
                m_result.skippedFiles.push_back({name, kReasonCdAudio});
                continue;
            }
            m_progress.fileBegun(name, number, names.size());
            if (!convertOne(name)) {
                ++m_result.groupFilesSkipped;
                m_result.skippedFiles.push_back({name, "not a group file"});
            }
        }
        m_progress.finished();
    }

    const IniToVrmInputs& m_in;
    IniToVrmProgress& m_progress;
    MessageSink& m_messages;
    const EngineOptions& m_options;
    TrackPipeline m_pipeline;
    std::optional<formats::GroupListBackup> m_backup;
    IniToVrmResult m_result;
    std::string m_rcDir;
    std::vector<SkippedInFile> m_skipped;
    WrittenPlaylists m_written; ///< every playlist file of the run, for names that collide
};

} // namespace

std::string alreadyListedWarning(std::string_view groupName) {
    return "Group \"" + std::string(groupName) +
           "\" was already in the group list; it is now listed twice.";
}

IniToVrmResult ConvertRedIniToVrm(const IniToVrmInputs& inputs, IniToVrmProgress& progress,
                                  MessageSink& messages, const EngineOptions& options) {
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    return Run(inputs, progress, messages, options).run();
}

} // namespace deckshift::convert
