#pragma once
// One PCDJ FX VRM playlist to one M3U playlist.

#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/RunEvents.h"
#include "convert/TrackPipeline.h"

#include <cstdint>
#include <string>

namespace deckshift::convert {

struct VrmToM3uInputs {
    std::string sourceDirectory;
    std::string sourceName;
    std::string outputDirectory;
};

struct VrmToM3uResult {
    RunStatus status = RunStatus::Done;
    std::string outputPath;
    std::uint64_t tracks = 0;
    TrackSummary pipeline;
};

VrmToM3uResult ConvertVrmToM3u(const VrmToM3uInputs& inputs, RunEvents& events,
                               MessageSink& messages, const EngineOptions& options = {});

} // namespace deckshift::convert
