#include "convert/TrackCheck.h"

#include "../settings/WinePrefixFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace deckshift::convert;
using deckshift::test::TempDir;
using deckshift::test::WinePrefix;
using deckshift::test::writeBytes;

namespace {

TEST(TrackCheckTest, NativeAndRelativePaths) {
    TempDir dir;
    writeBytes(dir / "Music" / "a.mp3", "x");
    const std::string base = dir.str();
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {(dir / "Music" / "a.mp3").string(), true},
        {(dir / "Music" / "b.mp3").string(), false},
        {(dir / "Music").string(), false}, // a directory is no track
        {"Music/a.mp3", true},             // relative to the playlist's directory
        {"Music/b.mp3", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trackExists(c.path, base), c.exists) << c.path;
}

#ifndef _WIN32
TEST(TrackCheckTest, WindowsPathsThroughTheWinePrefix) {
    WinePrefix prefix;
    writeBytes(prefix.driveC() / "Music" / "Dance" / "Song One.mp3", "x");
    EXPECT_TRUE(trackExists("C:\\Music\\Dance\\Song One.mp3", ""));
    EXPECT_TRUE(trackExists("c:\\MUSIC\\dance\\song one.MP3", "")); // letter case as Windows
    EXPECT_FALSE(trackExists("C:\\Music\\Dance\\Song Two.mp3", ""));
    EXPECT_FALSE(trackExists("D:\\Music\\Dance\\Song One.mp3", "")); // no such drive
    EXPECT_TRUE(trackExists("\\Music\\Dance\\Song One.mp3", "C:\\FX\\RC\\Playlists"));
    EXPECT_TRUE(trackExists("Dance\\Song One.mp3", "C:\\Music"));
}
#endif

TEST(TrackCheckTest, ReportNamesTheFirstMissingTracks) {
    TempDir dir;
    writeBytes(dir / "here.mp3", "x");
    TrackChecker checker;
    std::uint64_t seen = 0;
    checker.onMissing = [&](const MissingTrack&) { ++seen; };
    EXPECT_TRUE(checker.check((dir / "here.mp3").string(), "", "list.m3u", 2));
    for (std::uint64_t i = 0; i < 25; ++i)
        checker.check("gone" + std::to_string(i) + ".mp3", dir.str(), "list.m3u", 3 + i);
    EXPECT_EQ(checker.checked(), 26u);
    EXPECT_EQ(checker.missing(), 25u);
    EXPECT_EQ(seen, 25u);
    ASSERT_EQ(checker.firstMissing().size(), TrackChecker::kMaxListed);
    const std::string report = checker.report();
    EXPECT_EQ(report.substr(0, report.find('\n')), "25 of 26 tracks not found");
    EXPECT_NE(report.find("\nlist.m3u:3: gone0.mp3\n"), std::string::npos);
    EXPECT_NE(report.find("\nlist.m3u:22: gone19.mp3\n"), std::string::npos);
    EXPECT_EQ(report.find("gone20.mp3"), std::string::npos);

    TrackChecker allFound;
    allFound.check((dir / "here.mp3").string(), "", "x", 1);
    EXPECT_EQ(allFound.report(), "");
}

} // namespace
