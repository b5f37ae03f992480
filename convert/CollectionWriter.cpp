#include "convert/CollectionWriter.h"

namespace deckshift::convert {

void CollectionWriter::forEachTrack(
    const std::function<void(std::size_t, std::string_view, const TrackDetails&)>& entry) const {
    if (m_setup.dryRun)
        return;
    const std::uint64_t total = m_tracks.size();
    const bool tellProgress = m_setup.detailsProgress && m_setup.readTags;
    for (std::size_t i = 0; i < m_tracks.size(); ++i) {
        if (i % 256 == 0) {
            if (m_setup.cancel && m_setup.cancel->load(std::memory_order_relaxed))
                throw ExportCancelled{};
            if (tellProgress)
                m_setup.detailsProgress(i, total);
        }
        const std::string_view path = m_tracks.path(i);
        entry(i, path, trackDetails(path, m_setup.readTags));
    }
    if (tellProgress)
        m_setup.detailsProgress(total, total);
}

void appendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendXmlEscaped(out, value);
    out += '"';
}

void appendNumber(std::string& out, std::string_view name, std::uint64_t value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += std::to_string(value);
    out += '"';
}

} // namespace deckshift::convert
