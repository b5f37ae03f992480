#include "convert/ExportLibrary.h"

#include "convert/ConvertGroupFile.h"
#include "convert/ConvertRedIniToVrm.h"
#include "convert/ExportText.h"
#include "formats/GroupIni.h"
#include "formats/GroupListXml.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/AutoDetect.h"
#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::convert {

const std::vector<FormatEntry>& exportFormats() {
    static const std::vector<FormatEntry> formats = {
        {"m3u", ExportFormat::M3u, true, &makeM3uWriter},
        {"m3u8", ExportFormat::M3u8, true, &makeM3u8Writer},
        {"rekordbox", ExportFormat::Rekordbox, false, &makeRekordboxWriter},
        {"traktor", ExportFormat::Traktor, false, &makeTraktorWriter},
    };
    return formats;
}

const FormatEntry& formatEntry(ExportFormat format) {
    for (const auto& entry : exportFormats())
        if (entry.format == format)
            return entry;
    return exportFormats().front();
}

std::optional<ExportFormat> formatNamed(std::string_view name) {
    for (const auto& entry : exportFormats())
        if (entry.name == name)
            return entry.format;
    return std::nullopt;
}

namespace {

/// Refused before anything is written; the message says why.
struct Refused {
    std::string text;
    std::string_view title = kTitleDeckshift;
};

const settings::RegistryReader& registryOf(const ExportInputs& inputs) {
    return inputs.registry ? *inputs.registry : settings::systemRegistry();
}

/// The PCDJ FX library: the RC directory as register mode finds it, and its group list.
std::vector<LibraryGroup> listFx(const ExportInputs& inputs) {
    if (!formats::groupListXmlAvailable())
        throw Refused{"This build of Deckshift cannot export a PCDJ FX library: it was made "
                      "without the XML reader it needs."};
    std::string rcDir = inputs.rcDirectory;
    if (rcDir.empty()) {
        const auto found =
            settings::detectFxRc(settings::DetectOrder::TestThenNormalise, registryOf(inputs));
        if (!found.unreadable.empty())
            throw Refused{found.unreadable};
        if (found.state == settings::Detected::NotFound)
            throw Refused{std::string(kMsgRcPathUndefined), kTitleTools};
        if (found.state == settings::Detected::Missing)
            throw Refused{std::string(kMsgRcDirMissing), kTitleTools};
        rcDir = found.path;
    }
    const std::string list = rcDir + "Groups.xml";
    std::string error;
    auto listed = formats::readGroupListFile(list, error);
    if (!listed)
        throw Refused{"The PCDJ FX group list \"" + list + "\" " + error +
                      ". Nothing was written."};
    std::vector<LibraryGroup> groups;
    groups.reserve(listed->size());
    for (auto& group : *listed)
        groups.push_back({std::move(group.name), {}, std::move(group.subgroups)});
    return groups;
}

std::string redDirectory(const ExportInputs& inputs) {
    if (!inputs.redDirectory.empty()) {
        if (!settings::isExistingDirectory(inputs.redDirectory))
            throw Refused{"The PCDJ RED group directory \"" + inputs.redDirectory +
                          "\" does not exist. Nothing was written."};
        return inputs.redDirectory;
    }
    const auto found =
        settings::detectRedGroups(settings::DetectOrder::TestThenNormalise, registryOf(inputs));
    if (!found.unreadable.empty())
        throw Refused{found.unreadable};
    if (found.state == settings::Detected::NotFound)
        throw Refused{"The PCDJ RED group directory is not defined in the registry. Please name "
                      "the directory of the PCDJ RED group files."};
    if (found.state == settings::Detected::Missing)
        throw Refused{"The PCDJ RED group directory listed in the registry does not exist. "
                      "Please name the directory of the PCDJ RED group files."};
    return found.path;
}

/// Why the batch leaves a file of the group directory out; empty for a group file.
/// `headers` gets the subgroup names of a group file.
std::string redFileProblem(const std::string& path, std::string_view name,
                           std::vector<formats::ListedSubgroup>& headers) {
    // PCDJ RED keeps its CD audio group beside the others; it names no files to convert.
    if (name.starts_with("CD AUDIO"))
        return "CD AUDIO";
    formats::FileSource source(path, settings::toFsPath(path));
    formats::LineReader lines(source);
    std::string_view line;
    std::string storage;
    std::uint64_t number = 0;
    bool recognised = false;
    while (lines.next(line, storage)) {
        if (++number == 2)
            recognised = formats::isGroupFileSecondLine(line);
        if (!lines.lastLineTooLong() && formats::isHeaderLine(line)) {
            formats::ListedSubgroup header;
            header.name = formats::subgroupName(line);
            header.src = path;
            header.path = path;
            headers.push_back(std::move(header));
        }
    }
    return recognised ? std::string() : "not a group file";
}

/// The PCDJ RED group files of the directory, in the batch's order; the files it skips are
/// warned about.
std::vector<LibraryGroup> listRed(const ExportInputs& inputs, MessageSink& messages,
                                  std::uint64_t* skipped = nullptr) {
    const std::string dir = redDirectory(inputs);
    std::string error;
    const auto names = settings::listFiles(dir, "*.INI", &error);
    if (!error.empty())
        throw formats::FileError(dir, "list", error);
    std::vector<LibraryGroup> groups;
    for (const auto& name : names) {
        const std::string path = settings::joinPath(dir, name);
        std::vector<formats::ListedSubgroup> headers;
        const std::string problem = redFileProblem(path, name, headers);
        if (!problem.empty()) {
            if (skipped)
                ++*skipped;
            messages.message(MessageKind::Warning,
                             "Skipped " + name + ": " +
                                 (problem == "CD AUDIO"
                                      ? "it is PCDJ RED's CD audio group, which names no files."
                                      : "it is not a PCDJ RED group file."),
                             kTitleDeckshift);
            continue;
        }
        groups.push_back({settings::stripExtension(name), path, std::move(headers)});
    }
    return groups;
}

std::vector<LibraryGroup> listSource(const ExportInputs& inputs, MessageSink& messages,
                                     std::uint64_t* skipped = nullptr) {
    return inputs.source == LibrarySource::Red ? listRed(inputs, messages, skipped)
                                               : listFx(inputs);
}

class Run {
public:
    Run(const ExportInputs& inputs, MessageSink& messages, const EngineOptions& options)
        : m_in(inputs), m_messages(messages), m_options(options), m_pipeline(options, messages) {
        if (inputs.foundByName)
            m_pipeline.setOnFound(inputs.foundByName);
    }

    ExportResult run() {
        try {
            prepare();
            walk();
            if (!m_result.cancelled) {
                m_writer->finish();
                m_finished = true;
            }
        } catch (const Refused& refused) {
            fail(RunStatus::Refused, refused.text, refused.title);
        } catch (const ExportCancelled&) {
            m_result.cancelled = true;
        } catch (const formats::FileError& e) {
            fail(RunStatus::Failed, e.what());
        }
        if (m_writer) {
            if (const TrackCollection* collection = m_writer->collection()) {
                m_result.distinctTracks = collection->size();
                m_result.leftOut = collection->leftOut();
                m_result.collectionBytes = collection->bytesHeld();
                m_result.tracks = collection->entries();
                // A single file that was not finished holds nothing of the library.
                if (!m_finished)
                    m_result.groups = m_result.playlists = m_result.tracks = 0;
            }
        }
        if (m_result.status == RunStatus::Done)
            m_pipeline.finish(!m_result.cancelled);
        m_result.pipeline = m_pipeline.summary();
        return m_result;
    }

private:
    void fail(RunStatus status, const std::string& text, std::string_view title = kTitleDeckshift) {
        m_result.status = status;
        m_messages.message(MessageKind::Error, text, title);
    }

    bool included(const LibraryGroup& group) const {
        if (m_in.groups.empty())
            return true;
        const std::string name = textToUtf8(group.name);
        return std::find(m_in.groups.begin(), m_in.groups.end(), name) != m_in.groups.end();
    }

    bool subgroupIncluded(std::string_view group, std::string_view subgroup) const {
        return m_in.excludedSubgroups.empty() ||
               m_in.excludedSubgroups.count({textToUtf8(group), textToUtf8(subgroup)}) == 0;
    }

    void prepare() {
        const FormatEntry& format = formatEntry(m_in.format);
        if (m_in.output.empty())
            throw Refused{format.toFolder ? "No output directory is chosen. Please select one."
                                          : "No output file is chosen. Please select one."};
        std::error_code ec;
        const auto output = settings::toFsPath(m_in.output);
        if (format.toFolder) {
            if (fs::exists(output, ec) && !fs::is_directory(output, ec))
                throw Refused{"The output \"" + m_in.output +
                              "\" is a file, not a directory. Nothing was written."};
            if (!fs::is_directory(output, ec))
                throw Refused{"The output directory \"" + m_in.output +
                              "\" does not exist. Nothing was written."};
        } else {
            if (fs::is_directory(output, ec))
                throw Refused{"The output \"" + m_in.output +
                              "\" is a directory, not a file. Please name the file to write."};
            const std::string dir = directoryOf(m_in.output);
            if (!settings::isExistingDirectory(dir))
                throw Refused{"The directory \"" + dir +
                              "\" of the output file does not exist. "
                              "Nothing was written."};
        }
        m_groups = listSource(m_in, m_messages, &m_result.groupFilesSkipped);
        for (const auto& name : m_in.groups) {
            const bool found = std::any_of(m_groups.begin(), m_groups.end(), [&](const auto& g) {
                return textToUtf8(g.name) == name;
            });
            if (!found)
                // Messages are in the code page, as the names in them are.
                throw Refused{"The library holds no group named \"" +
                              settings::utf8ToCodePage(name).value_or(name) +
                              "\". Nothing was written."};
        }
        for (const auto& group : m_groups) {
            if (!included(group))
                continue;
            for (const auto& sub : group.subgroups)
                m_result.playlistsListed += subgroupIncluded(group.name, sub.name) ? 1u : 0u;
        }
        WriterSetup setup;
        setup.output = m_in.output;
        setup.messages = &m_messages;
        setup.dryRun = m_options.dryRun;
        setup.readTags = m_in.readTags;
        setup.volume = m_in.volume;
        setup.detailsProgress = m_in.detailsProgress;
        setup.cancel = m_in.cancel;
        m_writer = format.make(setup);
        m_result.written = m_in.output;
    }

    bool cancelRequested() {
        if (m_in.cancel && m_in.cancel->load(std::memory_order_relaxed))
            m_result.cancelled = true;
        return m_result.cancelled;
    }

    void playlistDone() {
        ++m_done;
        if (m_in.progress)
            m_in.progress(m_done, std::max(m_done, m_result.playlistsListed));
    }

    void walk() {
        for (const auto& group : m_groups) {
            if (!included(group))
                continue;
            if (cancelRequested())
                return;
            m_writer->beginGroup(group.name);
            ++m_result.groups;
            if (m_in.source == LibrarySource::Red)
                redGroup(group);
            else
                fxGroup(group);
            if (m_result.cancelled)
                return;
            m_writer->endGroup();
        }
    }

    /// Hands a track read at `line` of `source` through the pipeline to the writer.
    void track(std::string_view path, std::string& storage, std::uint64_t line,
               std::string_view source, std::uint64_t& kept) {
        LibraryTrack item;
        item.windowsForm = settings::isWindowsForm(path);
        if (!m_pipeline.track(path, storage, line))
            return;
        item.path = path;
        item.source = source;
        item.line = line;
        if (m_writer->track(item))
            ++kept;
    }

    void beginPlaylist(std::string_view name, const std::string& source) {
        m_writer->beginPlaylist(name);
        m_pipeline.setSource(source);
        m_pipeline.setOutputDirectory(m_writer->playlistDirectory());
    }

    void endPlaylist(std::uint64_t kept) {
        m_writer->endPlaylist();
        ++m_result.playlists;
        m_result.tracks += kept;
    }

    void fxGroup(const LibraryGroup& group) {
        for (const auto& sub : group.subgroups) {
            if (!subgroupIncluded(group.name, sub.name))
                continue;
            if (cancelRequested())
                return;
            fxPlaylist(group, sub);
            playlistDone();
        }
    }

    void fxPlaylist(const LibraryGroup& group, const formats::ListedSubgroup& sub) {
        std::unique_ptr<formats::TextFileReader> reader;
        try {
            // The playlist is where src points, a relative src taken from the list's directory.
            reader = std::make_unique<formats::TextFileReader>(
                sub.path, settings::toFsPath(sub.path), formats::kVrmLineEnds);
        } catch (const formats::FileError& e) {
            missing(group, sub, e.what());
            return;
        }
        beginPlaylist(sub.name, sub.path);
        std::string_view line;
        std::string lineStorage, pathStorage, trackStorage;
        std::uint64_t lineNumber = 0;
        std::uint64_t kept = 0;
        for (;;) {
            // Only reading the playlist may fail here and leave it out; a write that fails ends
            // the run.
            try {
                if (!reader->lines().next(line, lineStorage))
                    break;
            } catch (const formats::FileError& e) {
                m_writer->dropPlaylist();
                missing(group, sub, e.what());
                return;
            }
            ++lineNumber;
            if (reader->lines().lastLineTooLong()) {
                m_pipeline.skipLongLine(lineNumber, reader->lines().lastLineLength());
                continue;
            }
            std::string_view path;
            char32_t unheld = 0;
            if (!formats::mediaLinePath(line, path, pathStorage, &unheld))
                continue;
            if (unheld != 0)
                m_pipeline.skipCharacter(lineNumber, unheld);
            else
                track(path, trackStorage, lineNumber, sub.path, kept);
        }
        reader.reset();
        endPlaylist(kept);
    }

    void missing(const LibraryGroup& group, const formats::ListedSubgroup& sub,
                 const std::string& reason) {
        ++m_result.playlistsMissing;
        m_messages.message(MessageKind::Warning,
                           "The playlist of subgroup \"" + sub.name + "\" in group \"" +
                               group.name + "\" was left out. " + reason,
                           kTitleDeckshift);
    }

    /// A PCDJ RED group file: each header a playlist, each entry after it a track, lines that
    /// fit no layout skipped and reported at the end of the file.
    void redGroup(const LibraryGroup& group) {
        formats::FileSource source(group.file, settings::toFsPath(group.file));
        formats::LineReader lines(source);
        std::string_view line;
        std::string storage, fullPath, trackStorage;
        std::uint64_t lineNumber = 0;
        std::uint64_t kept = 0;
        bool open = false;     // a playlist of this file is being written
        bool skipping = false; // the entries belong to a subgroup left out
        SkippedLines skipped;
        while (lines.next(line, storage)) {
            ++lineNumber;
            if (lines.lastLineTooLong()) {
                skipped.add(lineNumber);
                continue;
            }
            if (formats::isHeaderLine(line)) {
                if (open) {
                    endPlaylist(kept);
                    playlistDone();
                    open = false;
                }
                if (cancelRequested())
                    return;
                const std::string_view name = formats::subgroupName(line);
                skipping = !subgroupIncluded(group.name, name);
                if (skipping)
                    continue;
                beginPlaylist(name, group.file);
                open = true;
                kept = 0;
                continue;
            }
            if (skipping)
                continue;
            const auto entry = open ? formats::parseEntryLine(line) : std::nullopt;
            if (!entry) {
                skipped.add(lineNumber);
                continue;
            }
            fullPath.assign(entry->directory);
            fullPath.append(entry->fileName);
            track(fullPath, trackStorage, lineNumber, group.file, kept);
        }
        if (open) {
            endPlaylist(kept);
            playlistDone();
        }
        if (skipped.count > 0)
            m_messages.message(MessageKind::Warning,
                               skippedLinesReport({{std::string(fileNameOf(group.file)), skipped}}),
                               kTitleDeckshift);
    }

    const ExportInputs& m_in;
    MessageSink& m_messages;
    const EngineOptions& m_options;
    TrackPipeline m_pipeline;
    ExportResult m_result;
    std::uint64_t m_done = 0;
    std::vector<LibraryGroup> m_groups;
    std::unique_ptr<LibraryWriter> m_writer;
    bool m_finished = false;
};

} // namespace

bool exportAvailable() {
    return formats::groupListXmlAvailable();
}

std::optional<std::vector<LibraryGroup>> listLibrary(const ExportInputs& inputs,
                                                     MessageSink& messages) {
    const settings::DirectoryListingScope listings;
    try {
        return listSource(inputs, messages);
    } catch (const Refused& refused) {
        messages.message(MessageKind::Error, refused.text, refused.title);
    } catch (const formats::FileError& e) {
        messages.message(MessageKind::Error, e.what(), kTitleDeckshift);
    }
    return std::nullopt;
}

ExportResult ExportLibrary(const ExportInputs& inputs, MessageSink& messages,
                           const EngineOptions& options) {
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    return Run(inputs, messages, options).run();
}

} // namespace deckshift::convert
