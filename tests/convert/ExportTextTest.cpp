// The text rules of the library export's XML formats: escaping, file URIs, Traktor's locations,
// kinds, names from file names and playlist ids.

#include "convert/ExportText.h"

#include <gtest/gtest.h>

#include <string>

namespace deckshift::test {
namespace {

std::string slashed(std::string path) {
    if (path.size() >= 2 && path[1] == ':')
        for (char& c : path)
            if (c == '\\')
                c = '/';
    return path;
}

TEST(ExportText, EscapingKeepsEveryCharacterAReaderCanTakeBack) {
    struct Case {
        std::string_view text;
        std::string_view escaped;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"a & b < c > d \"e\" 'f'", "a &amp; b &lt; c &gt; d &quot;e&quot; 'f'"},
        {"tab\tlf\ncr\r", "tab&#9;lf&#10;cr&#13;"},
        {std::string_view("nul\0bell\x07 del\x7F", 14), "nul\xEF\xBF\xBD"
                                                        "bell\xEF\xBF\xBD del\xEF\xBF\xBD"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
        {"bad \xE9 byte", "bad \xEF\xBF\xBD byte"},
        {"nonchar \xEF\xBF\xBF", "nonchar \xEF\xBF\xBD"},
        {"%#;", "%#;"},
    };
    for (const auto& c : cases) {
        std::string out;
        convert::appendXmlEscaped(out, c.text);
        EXPECT_EQ(out, c.escaped) << c.text;
    }
}

TEST(ExportText, FileUrisAndBack) {
    struct Case {
        std::string_view path;
        std::string_view uri;
    };
    const Case cases[] = {
        {"C:\\Music\\a.mp3", "file://localhost/C:/Music/a.mp3"},
        {"C:/Music/a b.mp3", "file://localhost/C:/Music/a%20b.mp3"},
        {"/home/dj/a.mp3", "file://localhost/home/dj/a.mp3"},
        {"/x/Caf\xC3\xA9 #1 50%&.mp3", "file://localhost/x/Caf%C3%A9%20%231%2050%25%26.mp3"},
        {"d:\\x:y~_-.mp3", "file://localhost/d:/x%3Ay~_-.mp3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convert::fileUri(c.path), c.uri);
        EXPECT_EQ(convert::pathFromFileUri(c.uri), slashed(std::string(c.path)));
    }
    // Outside Windows a "\" is part of a native name, and stays one.
#ifndef _WIN32
    EXPECT_EQ(convert::fileUri("/a\\b.mp3"), "file://localhost/a%5Cb.mp3");
    EXPECT_EQ(convert::pathFromFileUri("file://localhost/a%5Cb.mp3"), "/a\\b.mp3");
#endif
}

TEST(ExportText, AbsolutePaths) {
    EXPECT_TRUE(convert::isAbsoluteTrackPath("C:\\a.mp3"));
    EXPECT_TRUE(convert::isAbsoluteTrackPath("z:/a.mp3"));
    EXPECT_FALSE(convert::isAbsoluteTrackPath("C:a.mp3"));
    EXPECT_FALSE(convert::isAbsoluteTrackPath("a.mp3"));
    EXPECT_FALSE(convert::isAbsoluteTrackPath("\\a.mp3"));
    EXPECT_FALSE(convert::isAbsoluteTrackPath("\\\\server\\share\\a.mp3"));
    EXPECT_FALSE(convert::isAbsoluteTrackPath("//server/share/a.mp3"));
#ifdef _WIN32
    EXPECT_FALSE(convert::isAbsoluteTrackPath("/home/a.mp3"));
#else
    EXPECT_TRUE(convert::isAbsoluteTrackPath("/home/a.mp3"));
#endif
}

TEST(ExportText, TraktorLocations) {
    struct Case {
        std::string_view path;
        std::string_view volume, directory, file, key;
    };
    const Case cases[] = {
        {"C:\\Music\\Rock\\a.mp3", "C:", "/:Music/:Rock/:", "a.mp3", "C:/:Music/:Rock/:a.mp3"},
        {"C:\\a.mp3", "C:", "/:", "a.mp3", "C:/:a.mp3"},
        {"D:/x//y/b.mp3", "D:", "/:x/:y/:", "b.mp3", "D:/:x/:y/:b.mp3"},
        {"/home/dj/a.mp3", "Disk", "/:home/:dj/:", "a.mp3", "Disk/:home/:dj/:a.mp3"},
    };
    for (const auto& c : cases) {
        const auto location = convert::traktorLocation(c.path, "Disk");
        EXPECT_EQ(location.volume, c.volume) << c.path;
        EXPECT_EQ(location.directory, c.directory) << c.path;
        EXPECT_EQ(location.file, c.file) << c.path;
        EXPECT_EQ(location.key(), c.key) << c.path;
    }
}

TEST(ExportText, KindsNamesAndPlaylistIds) {
    EXPECT_EQ(convert::fileKind("C:\\a.MP3"), "MP3 File");
    EXPECT_EQ(convert::fileKind("/a.aif"), "AIFF File");
    EXPECT_EQ(convert::fileKind("/a.flac"), "FLAC File");
    EXPECT_EQ(convert::fileKind("/a.ogg"), "OGG File");
    EXPECT_EQ(convert::fileKind("/noextension"), "File");

    const auto named = convert::nameFromFile("C:\\M\\Daft Punk - One More Time - Edit.mp3");
    EXPECT_EQ(named.artist, "Daft Punk");
    EXPECT_EQ(named.title, "One More Time - Edit");
    const auto plain = convert::nameFromFile("/m/Intro.mp3");
    EXPECT_EQ(plain.artist, "");
    EXPECT_EQ(plain.title, "Intro");

    const auto id = convert::playlistUuid("G", 1, "P", 1);
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(id, convert::playlistUuid("G", 1, "P", 1));
    EXPECT_NE(id, convert::playlistUuid("G", 1, "P", 2));
    EXPECT_NE(id, convert::playlistUuid("G", 2, "P", 1));
    EXPECT_NE(convert::playlistUuid("ab", 1, "c", 1), convert::playlistUuid("a", 1, "bc", 1));
}

} // namespace
} // namespace deckshift::test
