#pragma once
// The options every conversion engine takes beyond its inputs. Without any of them set, an engine
// writes exactly what it always wrote.

#include "formats/FilePlan.h"
#include "formats/M3uEncoding.h"
#include "settings/Relocation.h"

#include <string>
#include <vector>

namespace deckshift::convert {

struct EngineOptions {
    /// Rewrite the start of track paths (see settings::Relocator), in the 8-bit code page.
    std::vector<settings::RelocationRule> relocations;
    /// Look up every track written and report the ones not found.
    bool checkTracks = false;
    /// Folders to search for a track whose file is not found (see TrackSearch): paths as typed,
    /// listed once per run, when the first track is missing.
    std::vector<std::string> searchDirectories;
    /// A dry run: read, check, refuse and warn as the real run, but write nothing; the files that
    /// would be written are told to this plan. Null for a real run.
    formats::FilePlan* dryRun = nullptr;
    /// Keep Groups.xml.1.bak to .5.bak before a run first replaces the group list.
    bool backupGroupList = true;
    /// A group already in the group list is replaced instead of listed twice.
    bool replaceListedGroups = false;
    /// How an M3U source is decoded.
    formats::EncodingChoice m3uEncoding = formats::EncodingChoice::Auto;
    /// VRM to M3U: write NAME.m3u8 in UTF-8 instead of NAME.m3u in the 8-bit code page.
    bool writeM3u8 = false;
};

} // namespace deckshift::convert
