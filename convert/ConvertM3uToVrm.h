#pragma once
// One M3U playlist to one PCDJ FX VRM playlist.

#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/RunEvents.h"
#include "convert/TrackPipeline.h"

#include <cstdint>
#include <string>

namespace deckshift::convert {

struct M3uToVrmInputs {
    std::string sourceDirectory;
    std::string sourceName;
    /// The source drive list's text ("d: [MUSIC]"); its first two characters are put in front of
    /// paths rooted at "\" when they are a letter and a colon.
    std::string sourceDrive;
    std::string outputDirectory;
};

struct M3uToVrmResult {
    RunStatus status = RunStatus::Done;
    std::string outputPath;
    std::uint64_t tracks = 0;
    TrackSummary pipeline;
};

M3uToVrmResult ConvertM3uToVrm(const M3uToVrmInputs& inputs, RunEvents& events,
                               MessageSink& messages, const EngineOptions& options = {});

} // namespace deckshift::convert
