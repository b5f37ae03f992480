#pragma once
// The INI-to-VRM run: single-file or batch mode, with or without registering the groups in the
// PCDJ FX group list.

#include "convert/ConvertGroupFile.h"
#include "convert/Messages.h"
#include "settings/Registry.h"

#include <string>

namespace deckshift::convert {

inline constexpr std::string_view kMsgRcPathUndefined =
    "PCDJ FX RC Path is not defined propertly in Registry. Aborting!";
inline constexpr std::string_view kMsgRcDirMissing =
    "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!";
inline constexpr std::string_view kMsgNotGroupFile =
    "This is not a PCDJ .INI file. Please select another";

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
};

/// How the window's buttons end up after a run.
enum class IniToVrmEnd {
    SingleFileConverted,   ///< Command5 enabled, Command3 and Command2 disabled
    SingleFileNotRecognised, ///< the same, after which the picker is offered again
    Batch,                 ///< Command3 and Command2 disabled, Command5 unchanged
    Stopped,               ///< ended by a registry failure, a refusal or a file failure: unchanged
};

/// What the window does for the run, beyond the group file progress.
class IniToVrmProgress : public GroupFileProgress {
public:
    /// At the end of a run, with how it ended.
    virtual void endOfRun(IniToVrmEnd /*end*/) {}
    /// Untick "Register XML Files" after a registry failure.
    virtual void cancelRegisterMode() {}
    /// Offer the source picker again after a file that is not recognised (single-file mode).
    virtual void offerPickerAgain() {}
    /// Batch mode: before each group file is converted, with its bare name.
    virtual void startGroupFile(std::string_view /*name*/) {}
};

struct IniToVrmResult {
    RunStatus status = RunStatus::Done;
    std::uint64_t groupFilesConverted = 0;
    std::uint64_t groupFilesSkipped = 0; ///< batch mode: not recognised, or "CD AUDIO"
    std::uint64_t playlistsWritten = 0;
    std::string outputDirectory;
};

/// Runs the conversion. Messages go to `messages`; a run refused or failed says why there.
IniToVrmResult ConvertRedIniToVrm(const IniToVrmInputs& inputs, IniToVrmProgress& progress,
                                  MessageSink& messages);

} // namespace deckshift::convert
