#include "convert/ConvertVrmToIni.h"

#include "convert/FileToFileChecks.h"
#include "formats/GroupIni.h"
#include "formats/HeldFile.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace deckshift::convert {

namespace {

constexpr int kSplitSteps = 60;

/// The group's playlists: names that begin with the group name and "_" and end with ".XML",
/// letter case ignored. The listing's wildcard would also read a "*" or "?" in the group name as
/// a wildcard, so its names are checked against the group name as text as well.
std::vector<std::string> listGroupPlaylists(const std::string& directory,
                                            const std::string& groupName) {
    std::string error;
    auto names = settings::listFiles(directory, groupName + "_*.XML", &error);
    if (!error.empty())
        throw formats::FileError(directory, "list", error);
    const std::string prefix = groupName + "_";
    std::erase_if(names, [&](const std::string& name) {
        return !settings::equalsIgnoringCase(std::string_view(name).substr(0, prefix.size()),
                                             prefix);
    });
    return names;
}

/// The position just after the last "\" of `text`, 0 when it holds none. Eight bytes are looked
/// at a time from the end: a file name, and a path relocated to "/", is passed over quickly.
std::size_t afterLastBackslash(std::string_view text) {
    std::size_t end = text.size();
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u;
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
        for (; end >= 8; end -= 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + end - 8, 8);
            const std::uint64_t x = word ^ (kOnes * '\\'); // a zero byte where "\" stands
            // The high bit of each byte of `zero` is set exactly where `x` has a zero byte.
            const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
            if (zero != 0)
                return end - 8 + static_cast<std::size_t>(63 - std::countl_zero(zero)) / 8 + 1;
        }
    }
    while (end > 0 && text[end - 1] != '\\')
        --end;
    return end;
}

/// The estimated line count of a file read once, from its size and the lengths of the lines read
/// so far. It starts at the size over a typical line length of a playlist, is estimated afresh
/// from the lines seen once they reach 64 KiB, and grows whenever the lines read reach it, so that
/// it always exceeds the lines read.
class LineEstimate {
public:
    explicit LineEstimate(std::uint64_t fileSize)
        : m_size(fileSize), m_lines(fileSize / kTypicalLine + 1) {}
    std::uint64_t lines() const { return m_lines; }

    /// Line `lineNumber`, of `length` bytes, was read. True when the estimate changed.
    bool passed(std::uint64_t lineNumber, std::uint64_t length) {
        m_bytes += length + 2; // with its line end, mostly CR LF
        const bool firstBlock = !m_refined && m_bytes >= kFirstBlock;
        if (!firstBlock && lineNumber < m_lines)
            return false;
        m_refined = true;
        // The lines left, at the average length so far, and an eighth more than read, at least.
        const std::uint64_t left = m_size > m_bytes ? m_size - m_bytes : 0;
        const std::uint64_t byLength =
            lineNumber + left / std::max<std::uint64_t>(1, m_bytes / lineNumber);
        m_lines = std::max(byLength, lineNumber + lineNumber / 8) + 1;
        return true;
    }

private:
    static constexpr std::uint64_t kTypicalLine = 60;
    static constexpr std::uint64_t kFirstBlock = 64 * 1024;
    std::uint64_t m_size;
    std::uint64_t m_lines;
    std::uint64_t m_bytes = 0;
    bool m_refined = false;
};

class Run {
public:
    Run(const VrmToIniInputs& inputs, VrmToIniProgress& progress, MessageSink& messages,
        const EngineOptions& options)
        : m_in(inputs), m_progress(progress), m_messages(messages), m_pipeline(options, messages) {}

    VrmToIniResult run() {
        try {
            if (!prepare())
                return m_result;
            convert();
            m_pipeline.finish();
        } catch (const formats::FileError& e) {
            m_result.status = RunStatus::Failed;
            m_messages.message(MessageKind::Error, e.what(), kTitleDeckshift);
            m_progress.failed();
        }
        m_result.tracks = m_pipeline.summary();
        return m_result;
    }

private:
    void refuse(const std::string& text) {
        m_result.status = RunStatus::Refused;
        m_messages.message(MessageKind::Error, text, kTitleDeckshift);
        m_progress.refused();
    }

    // Lists the group's playlists and checks that the run can write its output without touching
    // any of them.
    bool prepare() {
        if (m_in.groupName.empty() || m_in.sourceDirectory.empty()) {
            refuse("No playlist of a group is chosen. Please select one.");
            return false;
        }
        if (m_in.targetDirectory.empty()) {
            refuse("No output directory is chosen. Please select one.");
            return false;
        }
        if (!m_in.chosenPlaylist.empty()) {
            if (auto refusal = refuseNonVrmPlaylist(
                    settings::joinPath(m_in.sourceDirectory, m_in.chosenPlaylist))) {
                refuse(*refusal);
                return false;
            }
        }
        m_names = listGroupPlaylists(m_in.sourceDirectory, m_in.groupName);
        if (m_names.empty()) {
            refuse("There are no playlists of the group \"" + m_in.groupName + "\" in \"" +
                   m_in.sourceDirectory + "\". Nothing was written.");
            return false;
        }
        if (!settings::isExistingDirectory(m_in.targetDirectory)) {
            refuse("The output directory \"" + m_in.targetDirectory +
                   "\" does not exist. Nothing was written.");
            return false;
        }
        // Every name listed holds the group name and "_".
        m_runGroup = groupOfPlaylist(m_names.front()).value_or(m_in.groupName);
        m_result.outputPath = settings::joinPath(m_in.targetDirectory, m_runGroup + ".ini");
        for (const auto& name : m_names) {
            if (sameExistingFile(settings::joinPath(m_in.sourceDirectory, name),
                                 m_result.outputPath)) {
                refuse("The output file \"" + m_result.outputPath +
                       "\" would replace the playlist it is made from. Nothing was written.");
                return false;
            }
        }
        return true;
    }

    void convert() {
        m_progress.started();
        m_progress.showGroup(m_runGroup);
        formats::OutputFile output(m_result.outputPath, settings::toFsPath(m_result.outputPath),
                                   m_pipeline.dryRun());
        m_pipeline.setOutputDirectory(m_in.targetDirectory);
        std::uint64_t lineTotal = 0;
        std::uint64_t processed = 0;
        std::string_view line;
        std::string storage;
        std::string_view trackPath;
        std::string pathStorage;
        for (const auto& name : m_names) {
            // The subgroup is the name after its first "_", less the extension.
            const std::string afterGroup = name.substr(name.find('_') + 1);
            const std::string subgroup = settings::stripExtension(afterGroup);
            m_progress.showSubgroup(subgroup);

            const std::string path = settings::joinPath(m_in.sourceDirectory, name);
            formats::HeldFile source(path, settings::toFsPath(path));
            formats::LineReader reader(source, formats::kVrmLineEnds);
            m_pipeline.setSource(path);
            // A file held in memory has its lines counted there for the progress maximum. One too
            // large to hold is read only once: its maximum is estimated from its size as it is
            // read, and set to the true line total when its end is reached.
            LineEstimate estimate(source.held() ? 0 : source.size());
            if (source.held()) {
                lineTotal += source.countLines(formats::kVrmLineEnds);
                m_progress.setProgressMaximum(lineTotal);
            } else {
                m_progress.setProgressMaximum(lineTotal + estimate.lines());
            }

            output.writeLine(formats::headerLine(subgroup));
            std::uint64_t entryNumber = 0;
            std::uint64_t lineNumber = 0;
            while (reader.next(line, storage)) {
                ++lineNumber;
                if (!source.held() && estimate.passed(lineNumber, reader.lastLineLength()))
                    m_progress.setProgressMaximum(lineTotal + estimate.lines());
                m_progress.setProgress(++processed);
                if (reader.lastLineTooLong()) {
                    m_pipeline.skipLongLine(lineNumber, reader.lastLineLength());
                    continue;
                }
                // A media line too short to cut holds no path and gives no entry.
                char32_t unheld = 0;
                if (!formats::mediaLinePath(line, trackPath, pathStorage, &unheld))
                    continue;
                if (unheld != 0) {
                    m_pipeline.skipCharacter(lineNumber, unheld);
                    continue;
                }
                if (!m_pipeline.track(trackPath, pathStorage, lineNumber))
                    continue;
                m_progress.showEntryNumber(++entryNumber);
                m_progress.showPath(trackPath);
                const auto parts = splitTrackPath(trackPath);
                std::string& out = output.buffer();
                formats::appendEntryLine(out, entryNumber, parts.fileName, parts.directory);
                out += "\r\n";
                output.appended();
                ++m_result.entries;
            }
            if (!source.held()) {
                lineTotal += lineNumber;
                m_progress.setProgressMaximum(lineTotal);
            }
            ++m_result.playlists;
        }
        output.commit();
        m_progress.finished();
    }

    const VrmToIniInputs& m_in;
    VrmToIniProgress& m_progress;
    MessageSink& m_messages;
    TrackPipeline m_pipeline;
    VrmToIniResult m_result;
    std::vector<std::string> m_names;
    std::string m_runGroup;
};

} // namespace

std::optional<std::string> groupOfPlaylist(std::string_view playlistName) {
    const auto cut = playlistName.find('_');
    if (cut == std::string_view::npos)
        return std::nullopt;
    return std::string(playlistName.substr(0, cut));
}

std::string noGroupMessage(std::string_view playlistName) {
    return "The playlist \"" + std::string(playlistName) +
           "\" belongs to no group: its name holds no \"_\". Please choose a playlist named after "
           "its group, such as Group_Subgroup.XML.";
}

TrackPathParts splitTrackPath(std::string_view path) {
    // Each of up to 60 steps cuts the file name after its first "\"; a step that finds none
    // changes nothing. So a path of at most 60 of them is cut after its last one.
    // The file name is short: the last "\" is found soonest from the end. When it stands within
    // the first 60 bytes, no more than 60 can come before it; only a longer directory needs its
    // backslashes counted.
    const std::size_t last = afterLastBackslash(path);
    std::size_t cut = last; // just after the last "\"; 0 for a path without one
    if (last > kSplitSteps && static_cast<std::size_t>(std::count(path.begin(), path.begin() + last,
                                                                  '\\')) > kSplitSteps) {
        cut = 0;
        for (int step = 0; step < kSplitSteps; ++step)
            cut = path.find('\\', cut) + 1;
    }
    return {path.substr(0, cut), path.substr(cut)};
}

VrmToIniResult ConvertVrmToIni(const VrmToIniInputs& inputs, VrmToIniProgress& progress,
                               MessageSink& messages, const EngineOptions& options) {
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    return Run(inputs, progress, messages, options).run();
}

} // namespace deckshift::convert
