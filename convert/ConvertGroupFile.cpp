#include "convert/ConvertGroupFile.h"

#include "formats/GroupIni.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <memory>

namespace deckshift::convert {

using formats::AtomicFile;

void SkippedLines::add(std::uint64_t lineNumber) {
    ++count;
    if (firstLineNumbers.size() < kMaxListed)
        firstLineNumbers.push_back(lineNumber);
}

std::string skippedLinesReport(const std::vector<SkippedInFile>& files) {
    std::string text = "Some lines could not be read as group entries and were skipped:";
    for (const auto& file : files) {
        text += "\n" + file.name + ": " + std::to_string(file.lines.count) +
                (file.lines.count == 1 ? " line" : " lines") + " (line";
        text += file.lines.firstLineNumbers.size() == 1 ? " " : "s ";
        for (std::size_t i = 0; i < file.lines.firstLineNumbers.size(); ++i)
            text += (i ? ", " : "") + std::to_string(file.lines.firstLineNumbers[i]);
        if (file.lines.count > file.lines.firstLineNumbers.size())
            text += ", ...";
        text += ")";
    }
    return text;
}

std::string renamedPlaylistWarning(std::string_view groupName, const RenamedPlaylist& renamed) {
    std::string text = "The playlist of subgroup \"" + renamed.playlistName + "\" of group \"" +
                       std::string(groupName) + "\" was written as \"" + renamed.writtenPath +
                       "\", because ";
    if (renamed.listedElsewhere)
        return text + "the PCDJ FX group list names \"" + renamed.wantedPath +
               "\" for a group already in it, whose playlist stays as it is.";
    return text + "another playlist of this run was written as \"" + renamed.wantedPath + "\".";
}

bool WrittenPlaylists::contains(std::string_view path) const {
    return m_keys.count(formats::playlistPathKey(path)) > 0;
}

void WrittenPlaylists::add(std::string_view path) {
    m_keys.insert(formats::playlistPathKey(path));
}

GroupFileResult ConvertGroupFile(formats::LineReader& lines, std::string_view groupName,
                                 std::string_view outputDirectory, GroupFileProgress& progress,
                                 formats::GroupListRecorder* recorder, TrackPipeline* pipeline,
                                 WrittenPlaylists* written) {
    GroupFileResult result;
    WrittenPlaylists ownPlaylists;
    if (!written)
        written = &ownPlaylists;
    std::string_view line; // valid until the next line is read
    std::string storage;

    // First pass: count the lines for the progress range and recognise the file by its second
    // line.
    std::uint64_t lineCount = 0;
    while (lines.next(line, storage)) {
        if (++lineCount == 2)
            result.recognised = formats::isGroupFileSecondLine(line);
    }
    if (!result.recognised)
        return result;

    lines.rewind();
    progress.setProgressRange(lineCount);
    if (recorder)
        recorder->begin(groupName);

    const std::string prefix = std::string(groupName) + "_";
    const auto durability =
        recorder ? recorder->playlistDurability() : AtomicFile::Durability::Rename;
    formats::FilePlan* dryRun = pipeline ? pipeline->dryRun() : nullptr;
    if (pipeline)
        pipeline->setOutputDirectory(outputDirectory);
    std::unique_ptr<formats::VrmWriter> playlist;
    std::string fullPath;
    std::uint64_t lineNumber = 0;
    while (lines.next(line, storage)) {
        ++lineNumber;
        progress.showPosition(lineNumber, lineCount);
        progress.setProgress(lineNumber);

        // A line too long to hold is skipped whole, as a line that does not fit the layout is.
        if (lines.lastLineTooLong()) {
            result.skipped.add(lineNumber);
            continue;
        }
        if (formats::isHeaderLine(line)) {
            const std::string name = formats::playlistName(formats::subgroupName(line));
            progress.showGroup(groupName);
            progress.showSubgroup(name);
            std::string path = settings::joinPath(outputDirectory, prefix + name + ".XML");
            const bool writtenBefore = written->contains(path);
            if (writtenBefore || (recorder && recorder->listsPlaylist(path))) {
                // Never in place of a playlist this run wrote or the group list names for another
                // group: the first free name of "NAME (2).XML" and so on.
                RenamedPlaylist renamed{name, path, {}, !writtenBefore};
                for (std::uint64_t n = 2;; ++n) {
                    path = settings::joinPath(outputDirectory,
                                              prefix + name + " (" + std::to_string(n) + ").XML");
                    if (!written->contains(path) && !(recorder && recorder->listsPlaylist(path)))
                        break;
                }
                renamed.writtenPath = path;
                result.renamed.push_back(std::move(renamed));
            }
            written->add(path);
            // The playlist before is finished and in place before the next one is begun.
            if (playlist) {
                playlist->commit();
                ++result.playlistsWritten;
            }
            playlist = std::make_unique<formats::VrmWriter>(path, settings::toFsPath(path), dryRun,
                                                            durability);
            if (recorder)
                recorder->addSubgroup(name, path);
            continue;
        }

        // An entry before the first header has no playlist to go into, and an entry line without
        // its separators names no file: both are skipped and reported.
        const auto entry = playlist ? formats::parseEntryLine(line) : std::nullopt;
        if (!entry) {
            result.skipped.add(lineNumber);
            continue;
        }
        fullPath.assign(entry->directory);
        fullPath.append(entry->fileName);
        if (pipeline && !pipeline->track(fullPath, lineNumber))
            continue;
        progress.showEntry(fullPath);
        playlist->addTrack(fullPath);
        ++result.entriesWritten;
    }
    if (playlist) {
        playlist->commit();
        ++result.playlistsWritten;
    }
    return result;
}

} // namespace deckshift::convert
