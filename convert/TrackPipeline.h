#pragma once
// The steps every track path goes through between the reader and the writer, in one place for all
// engines: the M3U reader's decoding (file URIs, Unicode into the 8-bit code page, drive
// completion), relocation, the search by name for a track not found, the lookup on disk, and the
// output's encoding.

#include "convert/EngineOptions.h"
#include "convert/Messages.h"
#include "convert/TrackCheck.h"
#include "convert/TrackSearch.h"
#include "formats/M3uEncoding.h"
#include "settings/Relocation.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace deckshift::convert {

/// What the pipeline did over a run.
struct TrackSummary {
    std::uint64_t relocated = 0; ///< paths a relocation rule rewrote
    std::uint64_t checked = 0;   ///< paths looked up (with checkTracks)
    std::uint64_t missing = 0;   ///< of those, not found
    /// tracks left out: not representable in the code page, or on a line too long to hold
    std::uint64_t skipped = 0;
    /// With search folders: the tracks not found that were looked up by name, the ones found
    /// (and relinked), and the ones several files tie for (left as they were).
    std::uint64_t searched = 0;
    std::uint64_t foundByName = 0;
    std::uint64_t ambiguous = 0;
};

/// "K of M missing tracks found by name".
std::string searchSummaryLine(const TrackSummary& summary);

class TrackPipeline {
public:
    TrackPipeline(const EngineOptions& options, MessageSink& messages);

    formats::FilePlan* dryRun() const { return m_options.dryRun; }

    /// M3U sources: the source's encoding (Unicode lines are converted into the code page) and the
    /// drive put in front of paths rooted at "\" (empty for none).
    void setM3uSource(formats::TextEncoding encoding, std::string_view drive);
    /// The output is UTF-8 (an M3U8 playlist): paths are converted from the code page last.
    void setUtf8Output(bool utf8) { m_utf8Output = utf8; }
    /// For a run that writes nothing (a check): a Unicode M3U track the code page cannot hold is
    /// looked up as it is, in UTF-8, instead of being skipped.
    void setLookUpUnconverted(bool on) { m_lookUpUnconverted = on; }
    /// The file the next tracks are read from, as messages name it.
    void setSource(std::string_view source) { m_source = source; }
    /// The directory of the playlist being written, against which relative paths are looked up.
    void setOutputDirectory(std::string_view directory) { m_outputDirectory = directory; }

    /// An M3U track line: a file URI is decoded, Unicode text converted into the code page, a
    /// path rooted at "\" completed with the drive (a UNC path "\\server\share\..." stays as it
    /// is); then as track(). False when the track is skipped (with a warning).
    bool m3uTrack(std::string& line, std::uint64_t lineNumber);

    /// A track path as the reader decoded it: skipped when it holds a control character (a byte
    /// below 0x20), else relocated, searched for by name when it is not found and search folders
    /// are given, looked up when asked, then put in the output's encoding. False when the track is
    /// skipped (with a warning).
    bool track(std::string& path, std::uint64_t lineNumber);

    /// As m3uTrack(std::string&, ...) and track(std::string&, ...) for a path that views the
    /// reader's bytes: a path that no step changes stays where it lies; otherwise it is taken into
    /// `storage`, changed there, and `path` views `storage`.
    bool m3uTrack(std::string_view& line, std::string& storage, std::uint64_t lineNumber);
    bool track(std::string_view& path, std::string& storage, std::uint64_t lineNumber);

    /// A line of the source longer than LineReader::kMaxLineLength (`length` bytes): it was not
    /// held and is skipped, with a warning naming it.
    void skipLongLine(std::uint64_t lineNumber, std::uint64_t length);

    /// Called for every track not found (the check command lists them all).
    void setOnMissing(std::function<void(const MissingTrack&)> onMissing) {
        m_checker.onMissing = std::move(onMissing);
    }
    /// Called for every track found by name, with MissingTrack::foundAt set.
    void setOnFound(std::function<void(const MissingTrack&)> onFound) {
        m_onFound = std::move(onFound);
    }

    /// At the end of a run: warns about tracks several files tie for, about tracks not found
    /// and, when the run went through all its tracks (`wholeRun`), about rules that matched none.
    /// A run that stopped early has not seen the tracks a rule was meant for.
    void finish(bool wholeRun = true);
    const TrackSummary& summary() const { return m_summary; }

    /// A track holding `bad`, a character the 8-bit code page cannot hold, on line `lineNumber`:
    /// it is skipped, with a warning naming the line and the character.
    void skipCharacter(std::uint64_t lineNumber, char32_t bad);

private:
    /// The search by name for `path`, which is not found; true when it was relinked.
    bool search(std::string& path, std::uint64_t lineNumber, MissingTrack& missing);
    /// True, with a warning, when `path` holds a control character: the track is skipped.
    bool skipControlCharacter(std::string_view path, std::uint64_t lineNumber);

    const EngineOptions& m_options;
    MessageSink& m_messages;
    settings::Relocator m_relocator;
    TrackChecker m_checker;
    std::unique_ptr<TrackSearch> m_search;
    std::function<void(const MissingTrack&)> m_onFound;
    std::vector<MissingTrack> m_ambiguous; ///< the first TrackChecker::kMaxListed
    std::uint64_t m_nativeFallbacks = 0;
    std::string m_firstNativeFallback;
    TrackSummary m_summary;
    formats::TextEncoding m_m3uEncoding = formats::TextEncoding::EightBit;
    std::string m_drive;
    std::string m_source;
    std::string m_outputDirectory;
    bool m_utf8Output = false;
    bool m_lookUpUnconverted = false;
    bool m_passThrough = true;
    std::string m_scratch;
};

} // namespace deckshift::convert
