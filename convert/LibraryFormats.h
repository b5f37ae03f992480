#pragma once
// The formats the library export writes, each one LibraryWriter, chosen by name.

#include "convert/LibraryWriter.h"
#include "convert/Messages.h"
#include "formats/FilePlan.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::convert {

enum class ExportFormat {
    M3u,       ///< a folder per group, SUBGROUP.m3u in the 8-bit code page
    M3u8,      ///< the same with SUBGROUP.m3u8 in UTF-8
    Rekordbox, ///< one rekordbox collection file (XML)
    Traktor,   ///< one Traktor collection file (NML)
};

/// Thrown by a writer that sees the cancel set while it writes its document; nothing of the
/// document is then in place.
struct ExportCancelled {};

/// What every writer is made with.
struct WriterSetup {
    /// The folder of the M3U formats (it exists), or the file of the others.
    std::string output;
    MessageSink* messages = nullptr;
    formats::FilePlan* dryRun = nullptr;
    /// Read each track's tags from its file (the XML formats).
    bool readTags = true;
    /// Traktor: the volume of native paths ("" or a Mac's disk name).
    std::string volume;
    /// Told while the track details are read (done of total distinct tracks); may be empty.
    std::function<void(std::uint64_t done, std::uint64_t total)> detailsProgress;
    const std::atomic<bool>* cancel = nullptr;
};

struct FormatEntry {
    std::string_view name; ///< as the command line names it
    ExportFormat format;
    bool toFolder; ///< writes a folder of files rather than one file
    std::unique_ptr<LibraryWriter> (*make)(const WriterSetup& setup);
};

/// Every format, in the order the front ends offer them.
const std::vector<FormatEntry>& exportFormats();
const FormatEntry& formatEntry(ExportFormat format);
std::optional<ExportFormat> formatNamed(std::string_view name);

std::unique_ptr<LibraryWriter> makeM3uWriter(const WriterSetup& setup);
std::unique_ptr<LibraryWriter> makeM3u8Writer(const WriterSetup& setup);
std::unique_ptr<LibraryWriter> makeRekordboxWriter(const WriterSetup& setup);
std::unique_ptr<LibraryWriter> makeTraktorWriter(const WriterSetup& setup);

} // namespace deckshift::convert
