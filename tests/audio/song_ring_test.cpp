// The song ring across its wrap and a dropped song, and the song callback: the output and the
// analysis fed from the ring, with the gap of a late decoder, the mute, the pause and a mono device.
#include <vector>

#include "audio/song_ring.h"
#include "tests/audio/audio_test_support.h"

namespace {

// Frame n holds n and -n, so that any frame out of place shows.
std::vector<float> framesFrom(int first, int count)
{
    std::vector<float> v;
    for (int n = first; n < first + count; ++n) {
        v.push_back(float(n));
        v.push_back(-float(n));
    }
    return v;
}

class SongRingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(createSongRing(ring, 8)); }
    void TearDown() override { destroySongRing(ring); }
    SongRing ring;
};

TEST_F(SongRingTest, KeepsFramesInOrderAcrossTheWrapAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(putSongFrames(ring, framesFrom(0, 6).data(), 6), 6u);
    std::vector<float> out(16);
    EXPECT_EQ(takeSongFrames(ring, out.data(), 4), 4u);
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 8), framesFrom(0, 4));
    EXPECT_EQ(songRingSpace(ring), 6u);
    EXPECT_EQ(putSongFrames(ring, framesFrom(6, 9).data(), 9), 6u);  // two frames' room stays used
    EXPECT_EQ(takeSongFrames(ring, out.data(), 8), 8u);
    EXPECT_EQ(out, framesFrom(4, 8));
    EXPECT_EQ(takeSongFrames(ring, out.data(), 8), 0u);
}

TEST_F(SongRingTest, DropsTheFramesOfASongLeftAndFinishesOnlyOnceEndedAndEmpty)
{
    putSongFrames(ring, framesFrom(0, 5).data(), 5);
    dropSongFramesWritten(ring);
    putSongFrames(ring, framesFrom(100, 2).data(), 2);
    std::vector<float> out(16);
    ASSERT_EQ(takeSongFrames(ring, out.data(), 8), 2u);
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 4), framesFrom(100, 2));

    putSongFrames(ring, framesFrom(0, 1).data(), 1);
    EXPECT_FALSE(songRingFinished(ring));
    ring.inputEnded.store(true);
    EXPECT_FALSE(songRingFinished(ring)) << "a frame is still to be played";
    takeSongFrames(ring, out.data(), 8);
    EXPECT_TRUE(songRingFinished(ring));
}

class SongCallback : public PreparedContext {
protected:
    void SetUp() override
    {
        PreparedContext::SetUp();
        ASSERT_TRUE(createSongRing(ring, 4096));
        audio.streams.songRing = &ring;
    }
    void TearDown() override
    {
        destroySongRing(ring);
        PreparedContext::TearDown();
    }
    std::vector<float> play()
    {
        std::vector<float> out(windowFrames * floatsPerFrame(audio), 7.0f);
        EXPECT_EQ(onSongBuffer(nullptr, out.data(), windowFrames, nullptr, 0, &audio), paContinue);
        return out;
    }
    SongRing ring;
};

TEST_F(SongCallback, PlaysWhatTheRingHoldsThenSilenceWhereTheDecoderFellBehind)
{
    const std::vector<float> song = framesFrom(1, 600);
    putSongFrames(ring, song.data(), 600);
    const std::vector<float> out = play();
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 1200), song);
    for (size_t i = 1200; i < out.size(); ++i) ASSERT_EQ(out[i], 0.0f) << i;
    // The analysis saw exactly what was played.
    EXPECT_EQ(std::vector<float>(windowOf(audio), windowOf(audio) + out.size()), out);
    EXPECT_EQ(ring.shortBuffers.load(), 1u);

    ring.inputEnded.store(true);
    play();
    EXPECT_EQ(ring.shortBuffers.load(), 1u) << "the song's end is no decoder falling behind";
}

TEST_F(SongCallback, MutedItIsAnalysedUnheardAndPausedItKeepsItsPlace)
{
    putSongFrames(ring, framesFrom(1, 2048).data(), 2048);
    audio.streams.playbackMuted.store(true);
    for (float sample : play()) ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(windowOf(audio)[2], 2.0f);
    audio.streams.playbackMuted.store(false);

    ring.paused.store(true);
    for (float sample : play()) ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(songRingSpace(ring), 4096u - 1024u);
    ring.paused.store(false);
    EXPECT_EQ(play()[0], 1025.0f);
}

TEST_F(SongCallback, AOneChannelDeviceGetsTheMeanOfBothSides)
{
    audio.streams.channelCount.store(1);
    std::vector<float> song = framesFrom(1, 1024);
    song[0] = 0.5f;
    song[1] = 0.25f;
    putSongFrames(ring, song.data(), 1024);
    const std::vector<float> out = play();
    ASSERT_EQ(out.size(), size_t(windowFrames));
    EXPECT_EQ(out[0], 0.375f);
    EXPECT_EQ(out[5], 0.0f);  // frame 6 holds 6 and -6
    for (int i = windowFrames; i < 2 * windowFrames; ++i) ASSERT_EQ(windowOf(audio)[i], 0.0f) << i;
}

}  // namespace
