#include "convert/TrackPipeline.h"

#include "settings/CodePage.h"
#include "settings/Paths.h"

namespace deckshift::convert {

TrackPipeline::TrackPipeline(const EngineOptions& options, MessageSink& messages)
    : m_options(options), m_messages(messages), m_relocator(options.relocations) {
    if (!options.searchDirectories.empty())
        m_search = std::make_unique<TrackSearch>(options.searchDirectories);
    m_passThrough = m_relocator.empty() && !options.checkTracks && !m_search;
}

std::string searchSummaryLine(const TrackSummary& summary) {
    return std::to_string(summary.foundByName) + " of " + std::to_string(summary.searched) +
           (summary.searched == 1 ? " missing track" : " missing tracks") + " found by name";
}

void TrackPipeline::setM3uSource(formats::TextEncoding encoding, std::string_view drive) {
    m_m3uEncoding = encoding;
    m_drive = drive;
}

void TrackPipeline::skipCharacter(std::uint64_t lineNumber, char32_t bad) {
    ++m_summary.skipped;
    std::string text = m_source + ":" + std::to_string(lineNumber) + ": ";
    text += "the track holds " + settings::describeCharacter(bad) +
            ", which the 8-bit code page of PCDJ cannot hold";
    text += "; it was skipped.";
    m_messages.message(MessageKind::Warning, text, kTitleDeckshift);
}

void TrackPipeline::skipLongLine(std::uint64_t lineNumber, std::uint64_t length) {
    ++m_summary.skipped;
    m_messages.message(MessageKind::Warning,
                       m_source + ":" + std::to_string(lineNumber) + ": the line is " +
                           std::to_string(length) +
                           " bytes long, more than the 1 MiB a line may hold; it was skipped.",
                       kTitleDeckshift);
}

namespace {

/// The first control character (a byte below 0x20) of `path`, -1 when it holds none. No file
/// name holds one, and in a playlist it would end the line or be read back as something else.
int firstControlCharacter(std::string_view path) {
    // Counted over the whole path first, which the compiler can do many bytes at a time: almost
    // every path holds none.
    std::size_t count = 0;
    for (char c : path)
        count += static_cast<unsigned char>(c) < 0x20 ? 1u : 0u;
    if (count > 0) {
        for (char c : path) {
            if (static_cast<unsigned char>(c) < 0x20)
                return c;
        }
    }
    return -1;
}

} // namespace

bool TrackPipeline::skipControlCharacter(std::string_view path, std::uint64_t lineNumber) {
    const int c = firstControlCharacter(path);
    if (c < 0)
        return false;
    ++m_summary.skipped;
    m_messages.message(MessageKind::Warning,
                       m_source + ":" + std::to_string(lineNumber) +
                           ": the track holds the control character " +
                           settings::describeCharacter(static_cast<char32_t>(c), false) +
                           ", which no file name holds; it was skipped.",
                       kTitleDeckshift);
    return true;
}

bool TrackPipeline::m3uTrack(std::string& line, std::uint64_t lineNumber) {
    bool unicode = m_m3uEncoding != formats::TextEncoding::EightBit;
    if (auto uri = formats::fileUriToPath(line)) {
        // Percent escapes stand for UTF-8 bytes; in an 8-bit source, plain bytes stay as they are.
        if (!unicode)
            unicode = settings::isUtf8WithMultibyte(*uri);
        line = std::move(*uri);
    }
    // A line that is not UTF-8 at all (an 8-bit line in a file marked as UTF-8) is already in
    // the code page and passes unchanged; a UTF-8 line with a character the
    // code page lacks is left out rather than written mangled.
    if (unicode && !settings::isValidUtf8(line))
        unicode = false;
    if (unicode) {
        char32_t bad = 0;
        auto converted = settings::utf8ToCodePage(line, &bad);
        if (!converted) {
            if (m_lookUpUnconverted) {
                // A check converts nothing: the track is looked up as it stands, in UTF-8,
                // without the relocation and the search, whose rules are in the code page.
                if (skipControlCharacter(line, lineNumber))
                    return false;
                ++m_summary.checked;
                if (!m_checker.check(line, m_outputDirectory, m_source, lineNumber, true))
                    ++m_summary.missing;
                return true;
            }
            skipCharacter(lineNumber, bad);
            return false;
        }
        line = std::move(*converted);
    }
    if (!m_drive.empty() && settings::isRootedWithoutDrive(line))
        line.insert(0, m_drive);
    return track(line, lineNumber);
}

bool TrackPipeline::search(std::string& path, std::uint64_t lineNumber, MissingTrack& missing) {
    if (!m_search->indexBuilt()) {
        if (const auto problems = m_search->buildIndex()) {
            const std::string text = searchProblemsText(*problems);
            if (!text.empty())
                m_messages.message(MessageKind::Warning, text, kTitleDeckshift);
        }
    }
    ++m_summary.searched;
    auto result = m_search->find(path);
    missing = MissingTrack{m_source, lineNumber, path, {}, {}, 0};
    switch (result.kind) {
    case SearchResult::Kind::NotFound:
        return false;
    case SearchResult::Kind::Ambiguous:
        ++m_summary.ambiguous;
        missing.candidates = std::move(result.candidates);
        missing.tied = result.tied;
        if (m_ambiguous.size() < TrackChecker::kMaxListed)
            m_ambiguous.push_back(missing);
        return false;
    case SearchResult::Kind::Found:
        break;
    }
    ++m_summary.foundByName;
    if (result.nativeFallback && m_nativeFallbacks++ == 0)
        m_firstNativeFallback = result.path;
    missing.foundAt = result.path;
    if (m_onFound)
        m_onFound(missing);
    path = std::move(result.path);
    return true;
}

bool TrackPipeline::track(std::string& path, std::uint64_t lineNumber) {
    if (skipControlCharacter(path, lineNumber))
        return false;
    if (!m_relocator.empty() && m_relocator.apply(path))
        ++m_summary.relocated;
    if (m_search) {
        // Every track is looked up once: one not found is searched for by name, and the check
        // takes what that found.
        bool exists = trackExists(path, m_outputDirectory);
        MissingTrack missing;
        if (!exists)
            exists = search(path, lineNumber, missing);
        if (m_options.checkTracks) {
            ++m_summary.checked;
            if (!exists)
                ++m_summary.missing;
            m_checker.record(exists, std::move(missing));
        }
    } else if (m_options.checkTracks) {
        ++m_summary.checked;
        if (!m_checker.check(path, m_outputDirectory, m_source, lineNumber))
            ++m_summary.missing;
    }
    if (m_utf8Output)
        path = settings::codePageToUtf8(path);
    return true;
}

namespace {

/// Makes `storage` hold the bytes `text` views (which may lie in `storage` already).
void takeInto(std::string_view text, std::string& storage) {
    if (text.data() != storage.data() || text.size() != storage.size())
        storage.assign(text);
}

} // namespace

bool TrackPipeline::m3uTrack(std::string_view& line, std::string& storage,
                             std::uint64_t lineNumber) {
    // An 8-bit line that is no file URI and gets no drive goes on as the path it is.
    const bool completed = !m_drive.empty() && settings::isRootedWithoutDrive(line);
    if (m_m3uEncoding == formats::TextEncoding::EightBit && !completed && !formats::isFileUri(line))
        return track(line, storage, lineNumber);
    takeInto(line, storage);
    const bool kept = m3uTrack(storage, lineNumber);
    line = storage;
    return kept;
}

bool TrackPipeline::track(std::string_view& path, std::string& storage, std::uint64_t lineNumber) {
    if (skipControlCharacter(path, lineNumber))
        return false;
    if (m_passThrough && !m_utf8Output)
        return true;
    if (!m_options.checkTracks && !m_search && !m_utf8Output && path.data() != storage.data()) {
        // Relocation alone: a path that no rule matches stays where it lies, and one that a rule
        // matches is written once, rewritten, into `storage`.
        if (m_relocator.apply(path, storage)) {
            ++m_summary.relocated;
            path = storage;
        }
        return true;
    }
    takeInto(path, storage);
    const bool kept = track(storage, lineNumber);
    path = storage;
    return kept;
}

void TrackPipeline::finish(bool wholeRun) {
    const auto& rules = m_relocator.rules();
    for (std::size_t i = 0; wholeRun && i < rules.size(); ++i) {
        if (m_relocator.matches()[i] == 0)
            m_messages.message(MessageKind::Warning,
                               "The relocation " + rules[i].from + "=" + rules[i].to +
                                   " matched no track path.",
                               kTitleDeckshift);
    }
    if (m_summary.ambiguous > 0) {
        std::string text = std::to_string(m_summary.ambiguous) +
                           (m_summary.ambiguous == 1 ? " track was" : " tracks were") +
                           " found by name in more than one place and left as " +
                           (m_summary.ambiguous == 1 ? "it was:" : "they were:");
        for (const auto& track : m_ambiguous) {
            text += '\n';
            text += missingTrackLine(track);
        }
        if (m_summary.ambiguous > m_ambiguous.size())
            text += "\n...";
        m_messages.message(MessageKind::Warning, text, kTitleDeckshift);
    }
    if (m_nativeFallbacks > 0) {
        const bool one = m_nativeFallbacks == 1;
        m_messages.message(
            MessageKind::Warning,
            std::to_string(m_nativeFallbacks) +
                (one ? " track found by name lies" : " tracks found by name lie") +
                " on no drive of the Wine prefix, so " +
                (one ? "it was written as a native path" : "they were written as native paths") +
                ", which PCDJ running under Wine will not find (the first: " +
                m_firstNativeFallback + ").",
            kTitleDeckshift);
    }
    if (m_checker.missing() > 0)
        m_messages.message(MessageKind::Warning, m_checker.report(), kTitleDeckshift);
}

} // namespace deckshift::convert
