#pragma once
// The INI-to-VRM run: single-file or batch mode, with or without registering the groups in the
// PCDJ FX group list.

#include "convert/ConvertGroupFile.h"
#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/RunEvents.h"
#include "convert/TrackPipeline.h"
#include "settings/Registry.h"

#include <string>
#include <vector>

namespace deckshift::convert {

inline constexpr std::string_view kMsgRcPathUndefined =
    "PCDJ FX RC Path is not defined propertly in Registry. Aborting!";
inline constexpr std::string_view kMsgRcDirMissing =
    "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!";
inline constexpr std::string_view kMsgNotGroupFile =
    "This is not a PCDJ .INI file. Please select another";
/// Why a batch run skips PCDJ RED's "CD AUDIO" group file.
inline constexpr const char* kReasonCdAudio =
    "PCDJ RED's CD audio group, which names no files to convert";

struct IniToVrmInputs {
    bool registerMode = false;
    bool batchMode = false;
    /// The directory of the picked group file, or in batch mode the directory whose group files
    /// are converted.
    std::string sourceDirectory;
    /// Single-file mode: the bare name of the picked group file.
    std::string sourceName;
    /// Not in register mode: where the playlists go.
    std::string outputDirectory;
    /// Register mode: where the FX RC setting is read.
    const settings::RegistryReader* registry = nullptr;
    /// Register mode: the RC directory named directly (ending in a separator), in place of the
    /// registry setting and its presence test; empty to read the registry.
    std::string rcDirectory;
};

/// What to do with a group that the group list already holds, as the front end answers when asked.
enum class ListedGroupAnswer {
    /// Nothing asked: the group replaces the listed ones when EngineOptions::replaceListedGroups
    /// says so; otherwise it is listed once more, with a warning.
    AsOptionsSay,
    /// Every group of that name goes, and the new one stands where the first of them stood.
    Replace,
    /// The group is listed once more.
    AddAnother,
    /// The run ends before the group: nothing of it is written.
    Cancel,
};

/// What the run reports beyond the group file progress and how it goes. Every report does nothing
/// by default.
class IniToVrmProgress : public GroupFileProgress, public RunEvents {
public:
    /// Batch mode: before each group file is converted, with its bare name, its number in the
    /// directory's listing (from 1) and how many files the listing holds.
    virtual void fileBegun(std::string_view /*name*/, std::uint64_t /*number*/,
                           std::uint64_t /*count*/) {}
    /// Register mode was given up because the registry does not name a usable RC directory; the
    /// run is then refused.
    virtual void registerModeCancelled() {}
    /// Single-file mode, after refused(): the file is no group file, and another should be chosen.
    virtual void sourceToChooseAgain() {}
    /// Register mode: the group list already holds a group named `groupName`. Asked once the file
    /// is known to be a group file, before anything of the group is written. A run cancelled here
    /// ends with refused(), without a message.
    virtual ListedGroupAnswer groupAlreadyListed(std::string_view /*groupName*/) {
        return ListedGroupAnswer::AsOptionsSay;
    }
};

struct IniToVrmResult {
    RunStatus status = RunStatus::Done;
    std::uint64_t groupFilesConverted = 0;
    std::uint64_t groupFilesSkipped = 0; ///< batch mode: not recognised, or CD audio
    /// Batch mode: each file skipped, in listing order, with why: "not a group file" or
    /// kReasonCdAudio.
    struct SkippedFile {
        std::string name;
        std::string reason;
    };
    std::vector<SkippedFile> skippedFiles;
    std::uint64_t playlistsWritten = 0;
    std::string outputDirectory;
    /// The group before which the user cancelled the run, or empty.
    std::string cancelledBefore;
    TrackSummary tracks;
};

/// The warning for a group that the group list already held and now holds twice.
std::string alreadyListedWarning(std::string_view groupName);

/// Runs the conversion. Messages go to `messages`; a run refused or failed says why there. In
/// register mode the group list is backed up before the run first replaces it, unless `options`
/// says not to.
IniToVrmResult ConvertRedIniToVrm(const IniToVrmInputs& inputs, IniToVrmProgress& progress,
                                  MessageSink& messages, const EngineOptions& options = {});

} // namespace deckshift::convert
