// The render's pure pieces: the song's clock and seeded draws, the progress in words, the preview's size.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/video_window.h"
#include "state/song_clock.h"
#include "video/render_progress.h"

TEST(SongClock, FramesLandOnTheMillisecondGridWhateverSegmentDrawsThem)
{
    SongClock clock;
    startSongClock(clock, 1);
    setSongFrame(clock, 0, 60);
    EXPECT_EQ(clock.ticks, 0u);
    setSongFrame(clock, 1, 60);
    EXPECT_EQ(clock.ticks, 17u);  // 16.67 ms rounded
    setSongFrame(clock, 3, 80);
    EXPECT_EQ(clock.ticks, 38u);  // 37.5 ms, rounded half up
    // Ten hours at 240 fps stay exact.
    setSongFrame(clock, 240LL * 36000, 240);
    EXPECT_EQ(clock.ticks, 36000000u);
}

TEST(SongClock, OneSeedOneSequenceOtherSeedsOthers)
{
    SongClock first;
    SongClock again;
    SongClock other;
    startSongClock(first, 42);
    startSongClock(again, 42);
    startSongClock(other, 43);
    const ClockSource a = songClockSource(first);
    const ClockSource b = songClockSource(again);
    const ClockSource c = songClockSource(other);
    int differing = 0;
    std::set<int> seen;
    for (int i = 0; i < 1000; ++i) {
        const int drawn = a.draw(a.user);
        ASSERT_GE(drawn, 0);
        ASSERT_LE(drawn, 32767);
        EXPECT_EQ(drawn, b.draw(b.user));
        differing += drawn != c.draw(c.user);
        seen.insert(drawn % 7);
    }
    EXPECT_GT(differing, 990);
    EXPECT_EQ(seen.size(), 7u);  // the director's one-in-n chances see every remainder
}

TEST(SongClock, TheChosenSourceFeedsTheSessionClock)
{
    SongClock clock;
    startSongClock(clock, 5);
    setSongFrame(clock, 90, 30);
    const ClockSource source = songClockSource(clock);
    useClockSource(&source);
    EXPECT_EQ(currentTicks(), 3000u);
    SongClock twin;
    startSongClock(twin, 5);
    const ClockSource twinSource = songClockSource(twin);
    EXPECT_EQ(randomDraw(), twinSource.draw(twinSource.user));
    useClockSource(nullptr);
}

TEST(RenderProgress, LineTitleAndSummary)
{
    char text[200];
    formatClock(3725.9, text, sizeof text);
    EXPECT_STREQ(text, "1:02:05");
    formatClock(59.99, text, sizeof text);
    EXPECT_STREQ(text, "0:59");
    RenderProgress progress;
    progress.framesDone = 250;
    progress.framesTotal = 1000;
    progress.songSeconds = 10.0;
    progress.wallSeconds = 5.0;
    formatProgressLine(progress, text, sizeof text);
    EXPECT_EQ(std::string(text), " 25%  song 0:10  frame 250/1000  50.0 fps  0:15 left");
    formatProgressTitle(progress, text, sizeof text);
    EXPECT_EQ(std::string(text), "Quasarine: rendering 25% - 0:15 left");
    progress.framesTotal = 0;
    formatProgressTitle(progress, text, sizeof text);
    EXPECT_EQ(std::string(text), "Quasarine: rendering 0% - ? left");
    formatSummary(progress, "out.mp4", text, sizeof text);
    EXPECT_EQ(std::string(text), "Rendered out.mp4: 250 frames, 0:10 of song in 0:05 (50.0 fps)");
}

TEST(PreviewWindow, KeepsTheVideoShapeWithinBounds)
{
    int width = 0;
    int height = 0;
    previewWindowSize(1920, 1080, 960, 540, width, height);
    EXPECT_EQ(width, 960);
    EXPECT_EQ(height, 540);
    previewWindowSize(1080, 1920, 960, 540, width, height);
    EXPECT_EQ(width, 303);
    EXPECT_EQ(height, 540);
    previewWindowSize(320, 180, 960, 540, width, height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 180);
    previewWindowSize(7680, 16, 960, 540, width, height);
    EXPECT_EQ(width, 960);
    EXPECT_EQ(height, 16);
}
