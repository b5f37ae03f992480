#pragma once
// Reads a rekordbox or Traktor collection file back with pugixml into the library it describes:
// the groups, their playlists and each playlist's track paths in order, and the collection's
// paths in order. Whatever does not add up (a count that is not the number of children, an entry
// naming no track of the collection, a track listed twice, a location that is no file URI) is
// named in `error`. Shared by the tests and the fuzz target.

#include "convert/ExportText.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace deckshift::test {

struct ReadPlaylist {
    std::string name;
    std::vector<std::string> paths;
    bool operator==(const ReadPlaylist&) const = default;
};
struct ReadGroup {
    std::string name;
    std::vector<ReadPlaylist> playlists;
    bool operator==(const ReadGroup&) const = default;
};
struct ReadLibrary {
    std::vector<ReadGroup> groups;
    std::vector<std::string> collection; ///< paths, "/" between components
    std::string error;
};

/// A path as the read-back gives it: "\" of a path in Windows form as "/".
inline std::string slashed(std::string path) {
    if (path.size() >= 2 && path[1] == ':')
        for (char& c : path)
            if (c == '\\')
                c = '/';
    return path;
}

inline bool countIs(const pugi::xml_node& node, const char* attribute, std::size_t count) {
    return node.attribute(attribute).as_ullong(~0ull) == count;
}

/// Reads `bytes` as UTF-8 XML into `doc`; false, with the error in `lib`, when they are no XML.
inline bool parse(const std::string& bytes, pugi::xml_document& doc, ReadLibrary& lib) {
    const auto parsed =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        lib.error = std::string("not XML: ") + parsed.description();
    return bool(parsed);
}

inline ReadLibrary readRekordbox(const std::string& bytes) {
    ReadLibrary lib;
    pugi::xml_document doc;
    if (!parse(bytes, doc, lib))
        return lib;
    const auto root = doc.child("DJ_PLAYLISTS");
    std::map<std::string, std::string> byId;
    std::size_t n = 0;
    for (const auto& track : root.child("COLLECTION").children("TRACK")) {
        ++n;
        if (track.attribute("TrackID").as_ullong() != n)
            lib.error =
                "TrackID " + std::string(track.attribute("TrackID").value()) + " out of order";
        const auto path = convert::pathFromFileUri(track.attribute("Location").value());
        if (!path) {
            lib.error =
                "Location is no file URI: " + std::string(track.attribute("Location").value());
            continue;
        }
        byId[track.attribute("TrackID").value()] = *path;
        lib.collection.push_back(*path);
    }
    if (!countIs(root.child("COLLECTION"), "Entries", n))
        lib.error = "COLLECTION Entries is not the number of tracks";
    if (std::set<std::string>(lib.collection.begin(), lib.collection.end()).size() != n)
        lib.error = "a location is in the collection twice";
    const auto top = root.child("PLAYLISTS").child("NODE");
    if (std::string(top.attribute("Name").value()) != "ROOT")
        lib.error = "no ROOT folder";
    std::size_t groups = 0;
    for (const auto& folder : top.children("NODE")) {
        ++groups;
        ReadGroup group{folder.attribute("Name").value(), {}};
        for (const auto& node : folder.children("NODE")) {
            ReadPlaylist playlist{node.attribute("Name").value(), {}};
            for (const auto& entry : node.children("TRACK")) {
                const auto it = byId.find(entry.attribute("Key").value());
                if (it == byId.end())
                    lib.error =
                        "an entry names no track: " + std::string(entry.attribute("Key").value());
                else
                    playlist.paths.push_back(it->second);
            }
            if (!countIs(node, "Entries", playlist.paths.size()))
                lib.error = "Entries of playlist " + playlist.name + " is wrong";
            group.playlists.push_back(std::move(playlist));
        }
        if (!countIs(folder, "Count", group.playlists.size()))
            lib.error = "Count of folder " + group.name + " is wrong";
        lib.groups.push_back(std::move(group));
    }
    if (!countIs(top, "Count", groups))
        lib.error = "Count of ROOT is wrong";
    return lib;
}

/// The path a Traktor location names: the volume, the directory with "/" for "/:", the file.
inline std::string traktorPath(const pugi::xml_node& location) {
    std::string dir = location.attribute("DIR").value();
    std::string path = location.attribute("VOLUME").value();
    const bool drive = path.size() == 2 && path[1] == ':';
    if (!drive)
        path.clear(); // a volume name of a native path is no part of it
    for (std::size_t i = 0; i < dir.size(); ++i) {
        if (dir.compare(i, 2, "/:") == 0) {
            path += '/';
            ++i;
        } else {
            path += dir[i];
        }
    }
    return path + location.attribute("FILE").value();
}

inline ReadLibrary readTraktor(const std::string& bytes) {
    ReadLibrary lib;
    pugi::xml_document doc;
    if (!parse(bytes, doc, lib))
        return lib;
    const auto root = doc.child("NML");
    std::map<std::string, std::string> byKey;
    std::size_t n = 0;
    for (const auto& entry : root.child("COLLECTION").children("ENTRY")) {
        ++n;
        const auto location = entry.child("LOCATION");
        const std::string key = std::string(location.attribute("VOLUME").value()) +
                                location.attribute("DIR").value() +
                                location.attribute("FILE").value();
        if (!byKey.emplace(key, traktorPath(location)).second)
            lib.error = "a key is in the collection twice: " + key;
        lib.collection.push_back(traktorPath(location));
    }
    if (!countIs(root.child("COLLECTION"), "ENTRIES", n))
        lib.error = "COLLECTION ENTRIES is not the number of entries";
    const auto top = root.child("PLAYLISTS").child("NODE");
    if (std::string(top.attribute("NAME").value()) != "$ROOT")
        lib.error = "no $ROOT folder";
    std::set<std::string> uuids;
    std::size_t groups = 0;
    for (const auto& folder : top.child("SUBNODES").children("NODE")) {
        ++groups;
        ReadGroup group{folder.attribute("NAME").value(), {}};
        for (const auto& node : folder.child("SUBNODES").children("NODE")) {
            const auto list = node.child("PLAYLIST");
            ReadPlaylist playlist{node.attribute("NAME").value(), {}};
            if (!uuids.insert(list.attribute("UUID").value()).second)
                lib.error = "a UUID is given twice";
            for (const auto& entry : list.children("ENTRY")) {
                const auto it = byKey.find(entry.child("PRIMARYKEY").attribute("KEY").value());
                if (it == byKey.end())
                    lib.error = "an entry names no track";
                else
                    playlist.paths.push_back(it->second);
            }
            if (!countIs(list, "ENTRIES", playlist.paths.size()))
                lib.error = "ENTRIES of playlist " + playlist.name + " is wrong";
            group.playlists.push_back(std::move(playlist));
        }
        if (!countIs(folder.child("SUBNODES"), "COUNT", group.playlists.size()))
            lib.error = "COUNT of folder " + group.name + " is wrong";
        lib.groups.push_back(std::move(group));
    }
    if (!countIs(top.child("SUBNODES"), "COUNT", groups))
        lib.error = "COUNT of $ROOT is wrong";
    return lib;
}

} // namespace deckshift::test
