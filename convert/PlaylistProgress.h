#pragma once
// The progress operations of the two playlist conversions (M3U to VRM, VRM to M3U): the start
// button's caption and an immediate repaint.

#include <string_view>

namespace deckshift::convert {

inline constexpr std::string_view kCaptionProcessing = "Processing...";
inline constexpr std::string_view kCaptionFinished = "Finished!!!";

class PlaylistProgress {
public:
    virtual ~PlaylistProgress() = default;
    virtual void setCaption(std::string_view /*caption*/) {}
    virtual void repaint() {}
};

} // namespace deckshift::convert
