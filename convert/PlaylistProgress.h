#pragma once
// The progress operations of the two playlist conversions (M3U to VRM, VRM to M3U): the start
// button's caption and an immediate repaint.

#include <string_view>

namespace deckshift::convert {

inline constexpr std::string_view kCaptionProcessing = "Processing...";
inline constexpr std::string_view kCaptionFinished = "Finished!!!";
/// The start button's caption when it is ready; a run that is refused or fails leaves it so, since
/// nothing was finished.
inline constexpr std::string_view kCaptionReady = "Start Conversion";

class PlaylistProgress {
public:
    virtual ~PlaylistProgress() = default;
    virtual void setCaption(std::string_view /*caption*/) {}
    virtual void repaint() {}
};

} // namespace deckshift::convert
