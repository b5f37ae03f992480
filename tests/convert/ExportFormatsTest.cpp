// The library export's rekordbox and Traktor files, checked against the formats rather than
// against the writer: read back with pugixml into groups, playlists and track paths, and (where
// xmllint is there) validated against the schemas of the subset written.

#include "convert/ExportLibrary.h"
#include "convert/ExportText.h"
#include "settings/CodePage.h"
#ifdef DECKSHIFT_HAVE_PUGIXML
#include "support/ExportReadBack.h"
#endif
#include "formats/TrackTags.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace deckshift::test {
namespace {

#if !defined(_WIN32) && defined(DECKSHIFT_HAVE_PUGIXML)

constexpr convert::ExportFormat kXmlFormats[] = {convert::ExportFormat::Rekordbox,
                                                 convert::ExportFormat::Traktor};

ReadLibrary readBack(convert::ExportFormat format, const fs::path& file) {
    const std::string bytes = readBytes(file);
    return format == convert::ExportFormat::Rekordbox ? readRekordbox(bytes) : readTraktor(bytes);
}

/// xmllint's verdict on `file` against the schema of its format: empty when it is valid.
std::string schemaProblems(convert::ExportFormat format, const fs::path& file) {
#if defined(DECKSHIFT_XMLLINT) && defined(DECKSHIFT_XSD_DIR)
    const std::string xsd =
        std::string(DECKSHIFT_XSD_DIR) +
        (format == convert::ExportFormat::Rekordbox ? "/rekordbox.xsd" : "/traktor.xsd");
    const fs::path log = file.string() + ".lint";
    const std::string command = std::string(DECKSHIFT_XMLLINT) + " --noout --schema '" + xsd +
                                "' '" + file.string() + "' > '" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::string text = readBytes(log);
    fs::remove(log);
    return status == 0 ? std::string() : text;
#else
    (void)format;
    (void)file;
    return {};
#endif
}

/// A directory of PCDJ RED group files, written in the 8-bit code page.
struct RedLibrary {
    TempDir dir;
    fs::path red = dir / "red";
    fs::path out = dir / "out";
    RedLibrary() { fs::create_directories(out); }
    void group(const std::string& name, std::initializer_list<std::string_view> lines) const {
        writeBytes(red / (name + ".INI"), crlf(lines));
    }
    convert::ExportInputs inputs(convert::ExportFormat format, const std::string& file) const {
        convert::ExportInputs in;
        in.source = convert::LibrarySource::Red;
        in.redDirectory = red.string();
        in.format = format;
        in.output = (out / file).string();
        in.readTags = false;
        return in;
    }
};

std::string entry(int n, std::string_view file, std::string_view dir) {
    return "Track " + std::to_string(n) + "=;;;;;;|" + std::string(file) + "||" + std::string(dir) +
           "|||";
}

// Names with the characters XML and URIs treat apart, accents in the code page, spaces; a track
// in many playlists; paths in Windows form relocated to native ones and left in Windows form.
TEST(ExportFormats, ALibraryComesBackWholeFromEachFormat) {
    RedLibrary lib;
    const std::string odd = "Tom & Jerry <Live> \"Q\" 50% #2 Caf\xE9.mp3";
    lib.group("Rock & Roll",
              {"[Caf\xE9 \"Hits\" 100% #1]", entry(1, odd, "C:\\Music\\Sp ace\\"),
               entry(2, "b.mp3", "D:\\Other\\"), entry(3, odd, "C:\\Music\\Sp ace\\"), "[<Empty>]",
               "Track 0=;;;;;;|"});
    lib.group("Zed", {"[Mix]", entry(1, "b.mp3", "D:\\Other\\"), entry(2, "a.mp3", "C:\\Music\\")});
    const std::string oddUtf8 = settings::codePageToUtf8(odd);
    const std::vector<ReadGroup> expected = {
        {"Rock & Roll",
         {{"Caf\xC3\xA9 \"Hits\" 100% #1",
           {"/home/dj/Sp ace/" + oddUtf8, "D:/Other/b.mp3", "/home/dj/Sp ace/" + oddUtf8}},
          {"<Empty>", {}}}},
        {"Zed", {{"Mix", {"D:/Other/b.mp3", "/home/dj/a.mp3"}}}},
    };
    const std::vector<std::string> collection = {"/home/dj/Sp ace/" + oddUtf8, "D:/Other/b.mp3",
                                                 "/home/dj/a.mp3"};
    for (const auto format : kXmlFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        convert::EngineOptions options;
        options.relocations = {{"C:\\Music\\", "/home/dj/"}};
        RecordedMessages messages;
        const auto in = lib.inputs(format, "library.xml");
        const auto result = convert::ExportLibrary(in, messages, options);
        ASSERT_EQ(result.status, convert::RunStatus::Done);
        EXPECT_EQ(messages.shown.size(), 1u); // the malformed line "Track 0=;;;;;;|"
        EXPECT_EQ(result.groups, 2u);
        EXPECT_EQ(result.playlists, 3u);
        EXPECT_EQ(result.tracks, 5u);
        EXPECT_EQ(result.distinctTracks, 3u);
        const auto back = readBack(format, in.output);
        EXPECT_EQ(back.error, "");
        EXPECT_EQ(back.groups, expected);
        EXPECT_EQ(back.collection, collection);
        EXPECT_EQ(schemaProblems(format, in.output), "");
        // No spool or temporary file is left beside the output.
        EXPECT_EQ(snapshot(lib.out).size(), 1u);
    }
}

// A track is the same track by its path after relocation: without regard to letter case (and
// "\" or "/") when the source gave it in Windows form, exactly otherwise; the first spelling
// stays.
TEST(ExportFormats, TracksAreDistinctByTheirPathAfterRelocation) {
    RedLibrary lib;
    lib.group("G", {"[One]", entry(1, "A.mp3", "C:\\Music\\"), entry(2, "a.MP3", "c:/music/"),
                    entry(3, "x.mp3", "/native/"), entry(4, "X.mp3", "/native/"),
                    entry(5, "y.mp3", "Q:\\Moved\\"), "[Two]", entry(1, "a.mp3", "C:\\MUSIC\\"),
                    entry(2, "x.mp3", "/native/"), entry(3, "y.mp3", "/moved/")});
    for (const auto format : kXmlFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        convert::EngineOptions options;
        // Q:\Moved\y.mp3 becomes /moved/y.mp3, the same as the native path given so.
        options.relocations = {{"Q:\\Moved\\", "/moved/"}};
        RecordedMessages messages;
        const auto in = lib.inputs(format, "out.nml");
        const auto result = convert::ExportLibrary(in, messages, options);
        ASSERT_EQ(result.status, convert::RunStatus::Done);
        const auto back = readBack(format, in.output);
        EXPECT_EQ(back.error, "");
        const std::vector<std::string> collection = {"C:/Music/A.mp3", "/native/x.mp3",
                                                     "/native/X.mp3", "/moved/y.mp3"};
        EXPECT_EQ(back.collection, collection);
        ASSERT_EQ(back.groups.size(), 1u);
        ASSERT_EQ(back.groups[0].playlists.size(), 2u);
        const std::vector<std::string> two = {"C:/Music/A.mp3", "/native/x.mp3", "/moved/y.mp3"};
        EXPECT_EQ(back.groups[0].playlists[1].paths, two);
        EXPECT_EQ(result.tracks, 8u);
    }
}

// What no file URI can locate is left out with a warning naming the playlist and the line: a
// relative path, a drive without a folder, a network path, a control character.
TEST(ExportFormats, PathsNoApplicationCanLocateAreLeftOutWithAWarning) {
    RedLibrary lib;
    lib.group("G", {"[P]", entry(1, "ok.mp3", "C:\\M\\"), entry(2, "rel.mp3", "music\\"),
                    entry(3, "drive.mp3", "C:"), entry(4, "unc.mp3", "\\\\server\\share\\"),
                    entry(5, "tab\x01.mp3", "C:\\M\\"), entry(6, "net.mp3", "//server/share/")});
    for (const auto format : kXmlFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        RecordedMessages messages;
        const auto in = lib.inputs(format, "out.xml");
        const auto result = convert::ExportLibrary(in, messages);
        ASSERT_EQ(result.status, convert::RunStatus::Done);
        EXPECT_EQ(result.leftOut.notAbsolute, 4u);
        // A control character is caught first by the rule every conversion keeps: the track is
        // skipped with a warning naming its line.
        EXPECT_EQ(result.pipeline.skipped, 1u);
        ASSERT_EQ(messages.shown.size(), 5u);
        EXPECT_EQ(messages.shown[0].text,
                  (lib.red / "G.INI").string() +
                      ":3: a track of playlist \"P\" in group \"G\" was left out: its path "
                      "\"music\\rel.mp3\" is not absolute (a drive letter and a folder, or "
                      "\"/\"), so the application could not find the file. A --relocate rule "
                      "can make it one.");
        EXPECT_NE(messages.shown[3].text.find(":6: the track holds the control character U+0001, "
                                              "which no file name holds; it was skipped."),
                  std::string::npos)
            << messages.shown[3].text;
        const auto back = readBack(format, in.output);
        EXPECT_EQ(back.error, "");
        EXPECT_EQ(back.collection, std::vector<std::string>{"C:/M/ok.mp3"});
        EXPECT_EQ(schemaProblems(format, in.output), "");
    }
}

// The same library always gives the same bytes; the dry run says what it would write and writes
// nothing, not even a spool.
TEST(ExportFormats, TheSameLibraryGivesTheSameBytesAndADryRunWritesNothing) {
    RedLibrary lib;
    lib.group("A", {"[P]", entry(1, "a.mp3", "C:\\M\\"), "[P]", entry(1, "b.mp3", "C:\\M\\")});
    lib.group("B", {"[P]", entry(1, "a.mp3", "C:\\M\\")});
    for (const auto format : kXmlFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        RecordedMessages messages;
        auto in = lib.inputs(format, "one.xml");
        ASSERT_EQ(convert::ExportLibrary(in, messages).status, convert::RunStatus::Done);
        const std::string first = readBytes(in.output);
        in.output = (lib.out / "two.xml").string();
        ASSERT_EQ(convert::ExportLibrary(in, messages).status, convert::RunStatus::Done);
        EXPECT_EQ(readBytes(in.output), first);
        fs::remove(in.output);
        fs::remove(lib.out / "one.xml");

        std::vector<std::string> lines;
        formats::FilePlan plan([&](std::string_view line) { lines.emplace_back(line); });
        convert::EngineOptions options;
        options.dryRun = &plan;
        const auto dry = convert::ExportLibrary(in, messages, options);
        EXPECT_EQ(dry.status, convert::RunStatus::Done);
        EXPECT_EQ(dry.distinctTracks, 2u);
        EXPECT_EQ(lines, std::vector<std::string>{"create " + in.output});
        EXPECT_TRUE(fs::is_empty(lib.out));
    }
}

TEST(ExportFormats, TheGroupsAndSubgroupsChosen) {
    RedLibrary lib;
    lib.group("A", {"[P]", entry(1, "a.mp3", "C:\\M\\"), "[Q]", entry(1, "q.mp3", "C:\\M\\")});
    lib.group("B", {"[P]", entry(1, "b.mp3", "C:\\M\\")});
    lib.group("C", {"[P]", entry(1, "c.mp3", "C:\\M\\")});
    RecordedMessages messages;
    auto in = lib.inputs(convert::ExportFormat::Rekordbox, "x.xml");
    in.groups = {"C", "A"};
    in.excludedSubgroups = {{"A", "P"}};
    const auto result = convert::ExportLibrary(in, messages);
    ASSERT_EQ(result.status, convert::RunStatus::Done);
    EXPECT_EQ(result.playlistsListed, 2u);
    const std::vector<ReadGroup> expected = {{"A", {{"Q", {"C:/M/q.mp3"}}}},
                                             {"C", {{"P", {"C:/M/c.mp3"}}}}};
    EXPECT_EQ(readBack(in.format, in.output).groups, expected);

    in.groups = {"Nowhere"};
    const auto refused = convert::ExportLibrary(in, messages);
    EXPECT_EQ(refused.status, convert::RunStatus::Refused);
    EXPECT_EQ(messages.shown.back().text,
              "The library holds no group named \"Nowhere\". Nothing was written.");
}

// The PCDJ RED source follows the batch: CD AUDIO and files that are no group files are skipped
// with a warning, in NTFS order.
TEST(ExportFormats, TheRedSourceSkipsWhatTheBatchSkips) {
    RedLibrary lib;
    lib.group("b", {"[P]", entry(1, "b.mp3", "C:\\M\\")});
    lib.group("A", {"[P]", entry(1, "a.mp3", "C:\\M\\")});
    lib.group("CD AUDIO", {"[P]", entry(1, "cd.mp3", "C:\\M\\")});
    lib.group("notes", {"hello", "world"});
    RecordedMessages messages;
    const auto in = lib.inputs(convert::ExportFormat::Traktor, "x.nml");
    const auto result = convert::ExportLibrary(in, messages);
    ASSERT_EQ(result.status, convert::RunStatus::Done);
    EXPECT_EQ(result.groupFilesSkipped, 2u);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "Skipped CD AUDIO.INI: it is PCDJ RED's CD audio group, which names no files.");
    EXPECT_EQ(messages.shown[1].text, "Skipped notes.INI: it is not a PCDJ RED group file.");
    const auto back = readBack(in.format, in.output);
    ASSERT_EQ(back.groups.size(), 2u);
    EXPECT_EQ(back.groups[0].name, "A");
    EXPECT_EQ(back.groups[1].name, "b");
}

#ifndef _WIN32
// A track's file is found as the disk spells its name: a folder named "\xC3\xA9" in the code page
// ("Ã©") is "\xC3\x83\xC2\xA9" on disk, not the "é" its bytes would read as in UTF-8.
TEST(ExportFormats, TagsAreReadFromTheFileTheCodePagePathNames) {
    if (!formats::trackTagsAvailable())
        GTEST_SKIP() << "this build reads no tags";
    RedLibrary lib;
    const fs::path music = lib.dir / "music";
    writeBytes(music / "\xC3\x83\xC2\xA9" / "a.wav", wavFile(3, {{"TIT2", "Right"}}));
    writeBytes(music / "\xC3\xA9" / "a.wav", wavFile(3, {{"TIT2", "Wrong"}}));
    lib.group("G", {"[P]", entry(1, "a.wav", music.string() + "/\xC3\xA9/")});
    RecordedMessages messages;
    auto in = lib.inputs(convert::ExportFormat::Rekordbox, "r.xml");
    in.readTags = true;
    ASSERT_EQ(convert::ExportLibrary(in, messages).status, convert::RunStatus::Done);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(in.output.c_str()));
    EXPECT_STREQ(
        doc.child("DJ_PLAYLISTS").child("COLLECTION").child("TRACK").attribute("Name").value(),
        "Right");
}
#endif

// Each track's details come from its file's tags where it can be read; for what they lack, and
// with readTags off, the name comes from the file name ("ARTIST - TITLE").
TEST(ExportFormats, TrackDetailsFromTagsOrFileNames) {
    if (!formats::trackTagsAvailable())
        GTEST_SKIP() << "this build reads no tags";
    RedLibrary lib;
    const fs::path music = lib.dir / "music";
    writeBytes(
        music / "tagged.wav",
        wavFile(3,
                {{"TIT2", "One & Only"}, {"TPE1", "The Band"}, {"TALB", "LP"}, {"TCON", "House"}}));
    writeBytes(music / "Some One - Plain Song.wav", wavFile(2, {}));
    lib.group("G", {"[P]", entry(1, "tagged.wav", music.string() + "/"),
                    entry(2, "Some One - Plain Song.wav", music.string() + "/"),
                    entry(3, "DJ X - Gone.mp3", "/nowhere/")});
    for (const bool readTags : {true, false}) {
        SCOPED_TRACE(readTags);
        RecordedMessages messages;
        auto in = lib.inputs(convert::ExportFormat::Rekordbox, "r.xml");
        in.readTags = readTags;
        ASSERT_EQ(convert::ExportLibrary(in, messages).status, convert::RunStatus::Done);
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(in.output.c_str()));
        std::vector<std::string> rows;
        for (const auto& t : doc.child("DJ_PLAYLISTS").child("COLLECTION").children("TRACK"))
            rows.push_back(std::string(t.attribute("Name").value()) + "|" +
                           t.attribute("Artist").value() + "|" + t.attribute("Album").value() +
                           "|" + t.attribute("Genre").value() + "|" + t.attribute("Kind").value() +
                           "|" + t.attribute("TotalTime").value() + "|" +
                           t.attribute("BitRate").value());
        const std::vector<std::string> expected =
            readTags ? std::vector<std::string>{"One & Only|The Band|LP|House|WAV File|3|64",
                                                "Plain Song|Some One|||WAV File|2|64",
                                                "Gone|DJ X|||MP3 File||"}
                     : std::vector<std::string>{"tagged||||WAV File||",
                                                "Plain Song|Some One|||WAV File||",
                                                "Gone|DJ X|||MP3 File||"};
        EXPECT_EQ(rows, expected);
        EXPECT_EQ(schemaProblems(in.format, in.output), "");

        auto nml = lib.inputs(convert::ExportFormat::Traktor, "t.nml");
        nml.readTags = readTags;
        ASSERT_EQ(convert::ExportLibrary(nml, messages).status, convert::RunStatus::Done);
        ASSERT_TRUE(doc.load_file(nml.output.c_str()));
        const auto first = doc.child("NML").child("COLLECTION").child("ENTRY");
        if (readTags) {
            EXPECT_STREQ(first.attribute("TITLE").value(), "One & Only");
            EXPECT_STREQ(first.child("ALBUM").attribute("TITLE").value(), "LP");
            EXPECT_STREQ(first.child("INFO").attribute("PLAYTIME").value(), "3");
            EXPECT_STREQ(first.child("INFO").attribute("BITRATE").value(), "64000");
        } else {
            EXPECT_STREQ(first.attribute("TITLE").value(), "tagged");
            EXPECT_FALSE(first.attribute("ARTIST"));
            EXPECT_FALSE(first.child("INFO"));
        }
        EXPECT_EQ(schemaProblems(nml.format, nml.output), "");
    }
}

// A file that cannot be written ends the export with a message naming it; the output is
// refused before anything is read when it is a directory, and nothing is left behind.
TEST(ExportFormats, AnOutputThatCannotBeWritten) {
    RedLibrary lib;
    lib.group("A", {"[P]", entry(1, "a.mp3", "C:\\M\\")});
    for (const auto format : kXmlFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        RecordedMessages messages;
        auto in = lib.inputs(format, "taken");
        fs::create_directories(in.output);
        auto result = convert::ExportLibrary(in, messages);
        EXPECT_EQ(result.status, convert::RunStatus::Refused);
        ASSERT_FALSE(messages.shown.empty());
        EXPECT_EQ(messages.shown.back().text,
                  "The output \"" + in.output +
                      "\" is a directory, not a file. Please name the file to write.");
        fs::remove(in.output);

        in.output = (lib.out / "missing" / "x.xml").string();
        result = convert::ExportLibrary(in, messages);
        EXPECT_EQ(result.status, convert::RunStatus::Refused);
        EXPECT_TRUE(fs::is_empty(lib.out));
    }
}

#endif

} // namespace
} // namespace deckshift::test
