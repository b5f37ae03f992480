#include "convert/ConvertGroupFile.h"

#include "formats/GroupIni.h"
#include "formats/VrmPlaylist.h"
#include "settings/Paths.h"

#include <memory>

namespace deckshift::convert {

using formats::AtomicFile;
using formats::OutputFile;

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

namespace {

std::unique_ptr<OutputFile> startPlaylist(const std::string& path, formats::FilePlan* dryRun,
                                          AtomicFile::Durability durability) {
    auto file = std::make_unique<OutputFile>(path, settings::toFsPath(path), dryRun, durability);
    for (auto line : formats::kVrmHead)
        file->writeLine(line);
    return file;
}

void finishPlaylist(std::unique_ptr<OutputFile>& file) {
    for (auto line : formats::kVrmTail)
        file->writeLine(line);
    file->commit();
    file.reset();
}

} // namespace

GroupFileResult ConvertGroupFile(formats::LineReader& lines, std::string_view groupName,
                                 std::string_view outputDirectory, GroupFileProgress& progress,
                                 formats::GroupListRecorder* recorder, TrackPipeline* pipeline) {
    GroupFileResult result;
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
    std::unique_ptr<OutputFile> playlist;
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
            const std::string path = settings::joinPath(outputDirectory, prefix + name + ".XML");
            // The playlist before is finished and in place before the next one is begun, so two
            // subgroups with the same playlist name leave the later one on disk.
            if (playlist) {
                finishPlaylist(playlist);
                ++result.playlistsWritten;
            }
            playlist = startPlaylist(path, dryRun, durability);
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
        formats::appendMediaLines(playlist->buffer(), fullPath);
        playlist->appended();
        ++result.entriesWritten;
    }
    if (playlist) {
        finishPlaylist(playlist);
        ++result.playlistsWritten;
    }
    return result;
}

} // namespace deckshift::convert
