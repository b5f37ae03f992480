#include "convert/ExportLibrary.h"

#include "formats/FilePlan.h"
#include "formats/GroupList.h"
#include "formats/GroupListXml.h"
#include "formats/TextIO.h"
#include "formats/VrmPlaylist.h"
#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::convert {

namespace {

std::string upperKey(std::string_view name) {
    std::string key(name);
    for (char& c : key)
        c = settings::upperAscii(c);
    return key;
}

/// A name from the group list as a file name: on Windows as it is, in the ANSI code page;
/// elsewhere in UTF-8, as file names are kept there. A group named after a file on Linux is in
/// UTF-8 already; one from a file's contents is in the 8-bit code page.
std::string fileSystemName(std::string_view name) {
    std::string safe = exportName(name);
#ifndef _WIN32
    if (!settings::isValidUtf8(safe))
        safe = settings::codePageToUtf8(safe);
#endif
    return safe;
}

/// The group list is read whole to be parsed as XML. PCDJ FX's lists are far smaller than this;
/// a larger file is refused rather than read, so that memory stays bounded whatever the file.
constexpr std::uint64_t kMaxGroupListBytes = std::uint64_t{64} << 20;

/// The bytes of `path`, or nullopt when it holds more than kMaxGroupListBytes.
std::optional<std::string> readGroupListBytes(const std::string& path) {
    formats::FileSource source(path, settings::toFsPath(path));
    std::error_code ec;
    const auto size = fs::file_size(settings::toFsPath(path), ec);
    if (!ec && size > kMaxGroupListBytes)
        return std::nullopt;
    std::string bytes;
    std::array<char, 64 * 1024> block{};
    for (std::size_t n; (n = source.read(block.data(), block.size())) > 0;) {
        if (bytes.size() + n > kMaxGroupListBytes)
            return std::nullopt; // grown since, or a file that tells no size
        bytes.append(block.data(), n);
    }
    return bytes;
}

class Run {
public:
    Run(const ExportInputs& inputs, MessageSink& messages, const EngineOptions& options)
        : m_in(inputs), m_messages(messages), m_options(options), m_pipeline(options, messages) {
        m_pipeline.setUtf8Output(options.writeM3u8);
    }

    ExportResult run() {
        try {
            if (prepare())
                exportGroups();
        } catch (const formats::FileError& e) {
            fail(RunStatus::Failed, e.what());
        }
        if (m_result.status == RunStatus::Done)
            m_pipeline.finish(!m_result.cancelled);
        m_result.pipeline = m_pipeline.summary();
        return m_result;
    }

private:
    void fail(RunStatus status, const std::string& text) {
        m_result.status = status;
        m_messages.message(MessageKind::Error, text, kTitleDeckshift);
    }

    bool prepare() {
        if (!formats::groupListXmlAvailable()) {
            fail(RunStatus::Refused, "This build of Deckshift cannot export a library: it was "
                                     "made without the XML reader it needs.");
            return false;
        }
        if (!m_in.rcDirectory.empty()) {
            m_rcDir = m_in.rcDirectory;
        } else {
            std::string value;
            const auto& registry = m_in.registry ? *m_in.registry : settings::systemRegistry();
            if (!settings::QueryRegistryValue(registry, settings::kHkeyLocalMachine,
                                              settings::kFxRcKey, settings::kFxRcValue, value)) {
                fail(RunStatus::Refused,
                     "PCDJ FX RC Path is not defined propertly in Registry. Aborting!");
                return false;
            }
            if (!settings::presenceTest(value)) {
                fail(RunStatus::Refused,
                     "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!");
                return false;
            }
            m_rcDir = settings::normalizeBackslashes(value);
        }
        if (m_in.outputDirectory.empty()) {
            fail(RunStatus::Refused, "No output directory is chosen. Please select one.");
            return false;
        }
        std::error_code ec;
        if (!fs::is_directory(settings::toFsPath(m_in.outputDirectory), ec)) {
            fail(RunStatus::Refused, "The output directory \"" + m_in.outputDirectory +
                                         "\" does not exist. Nothing was written.");
            return false;
        }
        const std::string list = m_rcDir + "Groups.xml";
        const auto bytes = readGroupListBytes(list);
        if (!bytes) {
            fail(RunStatus::Refused, "The PCDJ FX group list \"" + list +
                                         "\" is more than 64 MiB long, more than an export "
                                         "reads. Nothing was written.");
            return false;
        }
        std::string error;
        auto groups = formats::readGroupListXml(*bytes, error);
        if (!groups) {
            fail(RunStatus::Refused, "The PCDJ FX group list \"" + list +
                                         "\" cannot be read as XML: " + error +
                                         ". Nothing was written.");
            return false;
        }
        m_groups = std::move(*groups);
        for (const auto& group : m_groups)
            m_result.playlistsListed += group.subgroups.size();
        return true;
    }

    /// A name not yet used in `folder` (letter case ignored): `base`, else "base (2)" and so on.
    std::string uniqueName(const std::string& folder, const std::string& base,
                           std::string_view extension) {
        auto& used = m_used[upperKey(folder)];
        std::string name = base;
        for (int n = 2; used.count(upperKey(name + std::string(extension))) > 0; ++n)
            name = base + " (" + std::to_string(n) + ")";
        used.insert(upperKey(name + std::string(extension)));
        return name + std::string(extension);
    }

    void exportGroups() {
        const std::string_view extension = m_options.writeM3u8 ? ".m3u8" : ".m3u";
        for (const auto& group : m_groups) {
            if (cancelRequested())
                return;
            const std::string folder =
                settings::joinPath(m_in.outputDirectory, fileSystemName(group.name));
            if (!m_options.dryRun) {
                std::error_code ec;
                fs::create_directories(settings::toFsPath(folder), ec);
                if (ec)
                    throw formats::FileError(folder, "create", ec.message());
            }
            ++m_result.groups;
            for (const auto& sub : group.subgroups) {
                if (cancelRequested())
                    return;
                const std::string file = uniqueName(folder, fileSystemName(sub.name), extension);
                playlist(group, sub, settings::joinPath(folder, file), folder);
                ++m_done;
                if (m_in.progress)
                    m_in.progress(m_done, m_result.playlistsListed);
            }
        }
    }

    bool cancelRequested() {
        if (m_in.cancel && m_in.cancel->load(std::memory_order_relaxed))
            m_result.cancelled = true;
        return m_result.cancelled;
    }

    void playlist(const formats::ListedGroup& group, const formats::ListedSubgroup& sub,
                  const std::string& outputPath, const std::string& folder) {
        std::unique_ptr<formats::TextFileReader> reader;
        try {
            reader =
                std::make_unique<formats::TextFileReader>(sub.src, settings::toFsPath(sub.src));
        } catch (const formats::FileError& e) {
            missing(group, sub, e.what());
            return;
        }
        m_pipeline.setSource(sub.src);
        m_pipeline.setOutputDirectory(folder);
        formats::OutputFile out(outputPath, settings::toFsPath(outputPath), m_options.dryRun);
        out.writeLine("#EXTM3U");
        std::string line;
        std::uint64_t lineNumber = 0;
        std::uint64_t tracks = 0;
        try {
            while (reader->next(line)) {
                ++lineNumber;
                if (reader->lines().lastLineTooLong()) {
                    m_pipeline.skipLongLine(lineNumber, reader->lines().lastLineLength());
                    continue;
                }
                auto path = formats::mediaLinePath(line);
                if (path && m_pipeline.track(*path, lineNumber)) {
                    out.writeLine(*path);
                    ++tracks;
                }
            }
        } catch (const formats::FileError& e) {
            // Only the playlist being read failed: its output is dropped whole.
            missing(group, sub, e.what());
            return;
        }
        reader.reset();
        out.commit();
        ++m_result.playlists;
        m_result.tracks += tracks;
    }

    void missing(const formats::ListedGroup& group, const formats::ListedSubgroup& sub,
                 const std::string& reason) {
        ++m_result.playlistsMissing;
        m_messages.message(MessageKind::Warning,
                           "The playlist of subgroup \"" + sub.name + "\" in group \"" +
                               group.name + "\" was left out. " + reason,
                           kTitleDeckshift);
    }

    const ExportInputs& m_in;
    MessageSink& m_messages;
    const EngineOptions& m_options;
    TrackPipeline m_pipeline;
    ExportResult m_result;
    std::uint64_t m_done = 0;
    std::string m_rcDir;
    std::vector<formats::ListedGroup> m_groups;
    std::map<std::string, std::set<std::string>> m_used;
};

} // namespace

std::string exportName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = byte < 0x20 || byte == 0x7F ||
                            std::string_view("/\\?:<>|\"*").find(c) != std::string_view::npos;
        out += unsafe ? '-' : c;
    }
    // "." and ".." would name the folder itself or its parent.
    if (out.find_first_not_of('.') == std::string::npos)
        out = std::string(out.empty() ? 1 : out.size(), '-');
    return out;
}

bool exportAvailable() {
    return formats::groupListXmlAvailable();
}

ExportResult ExportLibrary(const ExportInputs& inputs, MessageSink& messages,
                           const EngineOptions& options) {
    // Directories are listed once for the whole run, not once for every file looked up in them.
    const settings::DirectoryListingScope listings;
    return Run(inputs, messages, options).run();
}

} // namespace deckshift::convert
