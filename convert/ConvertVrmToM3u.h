#pragma once
// One PCDJ FX VRM playlist to one M3U playlist.

#include "convert/Messages.h"
#include "convert/RunEvents.h"

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
};

VrmToM3uResult ConvertVrmToM3u(const VrmToM3uInputs& inputs, RunEvents& events,
                               MessageSink& messages);

} // namespace deckshift::convert
