// Track details read from audio files the tests write themselves.

#include "formats/TrackTags.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace deckshift::test {
namespace {

TEST(TrackTags, TagsAndAudioPropertiesOfAWavFile) {
    if (!formats::trackTagsAvailable())
        GTEST_SKIP() << "this build reads no tags";
    TempDir dir;
    const auto file = dir / "Caf\xC3\xA9 song.wav";
    writeBytes(file, wavFile(3, {{"TIT2", "One & Only"},
                                 {"TPE1", "The Band"},
                                 {"TALB", "Album"},
                                 {"TCON", "House"}}));
    const auto tags = formats::readTrackTags(file);
    ASSERT_TRUE(tags);
    EXPECT_EQ(tags->title, "One & Only");
    EXPECT_EQ(tags->artist, "The Band");
    EXPECT_EQ(tags->album, "Album");
    EXPECT_EQ(tags->genre, "House");
    EXPECT_EQ(tags->seconds, 3u);
    EXPECT_EQ(tags->kbps, 64u);
}

TEST(TrackTags, WhatIsNoAudioFileTellsNothing) {
    TempDir dir;
    // TagLib may take a file of any bytes for one of its kind; it then tells nothing of it.
    writeBytes(dir / "text.wav", "not audio at all");
    if (const auto tags = formats::readTrackTags(dir / "text.wav")) {
        EXPECT_EQ(tags->title, "");
        EXPECT_EQ(tags->artist, "");
        EXPECT_EQ(tags->seconds, 0u);
    }
    EXPECT_FALSE(formats::readTrackTags(dir / "missing.wav"));
    EXPECT_FALSE(formats::readTrackTags(dir.path()));
}

} // namespace
} // namespace deckshift::test
