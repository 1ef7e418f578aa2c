// The frame-rate cap's cadence and the title notice's timing, on a made-up counter and tick clock.
#include <gtest/gtest.h>

#include <vector>

#include "state/frame_pacer.h"
#include "state/title_notice.h"

namespace {

constexpr uint64_t frequency = 1000000;  // counts a second

// Frames that each draw for drawCounts, run under the cap: the start times of frameCount frames.
std::vector<uint64_t> frameStarts(int cap, uint64_t drawCounts, int frameCount, uint64_t start = 5000)
{
    FramePacer pacer;
    std::vector<uint64_t> starts;
    uint64_t now = start;
    for (int i = 0; i < frameCount; ++i) {
        starts.push_back(now);
        now += drawCounts;
        now += frameWait(pacer, cap, now, frequency);
    }
    return starts;
}

TEST(FramePacer, QuickFramesStartEvenlyAtTheCap)
{
    const std::vector<uint64_t> starts = frameStarts(30, 4000, 31);
    // The first frame starts the cadence; from then on each frame starts one period after the last.
    for (size_t i = 2; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], frequency / 30) << i;
    EXPECT_NEAR(double(starts.back() - starts[1]) / frequency, 29.0 / 30.0, 1e-4);
}

TEST(FramePacer, SlowFramesAndNoCapNeverWait)
{
    for (uint64_t start : frameStarts(30, 50000, 10)) EXPECT_EQ(start % 50000, 5000u);
    for (uint64_t start : frameStarts(0, 1000, 10)) EXPECT_EQ(start % 1000, 5000u % 1000);
    FramePacer pacer;
    frameWait(pacer, 60, 1000, frequency);
    EXPECT_EQ(frameWait(pacer, 0, 2000, frequency), 0u);
    EXPECT_EQ(frameWait(pacer, 60, 3000, frequency), 0u) << "turning the cap on again starts a new cadence";
    EXPECT_EQ(frameWait(pacer, 60, 5000, frequency), 3000 + frequency / 60 - 5000);
}

TEST(FramePacer, ACapLoweredMidwayNeverWaitsLongerThanOnePeriod)
{
    FramePacer pacer;
    frameWait(pacer, 240, 0, frequency);
    frameWait(pacer, 240, 1000, frequency);
    const uint64_t wait = frameWait(pacer, 1, 2000, frequency);
    EXPECT_LE(wait, frequency);
}

TEST(FramePacer, TheKeyCyclesOffSixtyThirty)
{
    EXPECT_EQ(nextFrameRateCap(0), 60);
    EXPECT_EQ(nextFrameRateCap(60), 30);
    EXPECT_EQ(nextFrameRateCap(30), 0);
    EXPECT_EQ(nextFrameRateCap(45), 0) << "a cap from the command line goes off";
}

TEST(TitleNotice, ShownOnceThenTheOwnTitleAfterTwoSecondsAcrossTheTickWrap)
{
    TitleNotice notice;
    const uint32_t posted = 0xFFFFFF00u;
    postTitleNotice(notice, "Saved quasarine-20261210-101010.png", posted);
    EXPECT_STREQ(titleChange(notice, "Own", posted), "Saved quasarine-20261210-101010.png");
    EXPECT_EQ(titleChange(notice, "Own", posted + 1), nullptr);
    EXPECT_EQ(titleChange(notice, "Own", posted + titleNoticeMilliseconds - 1), nullptr);
    EXPECT_STREQ(titleChange(notice, "Own", posted + titleNoticeMilliseconds), "Own");
    EXPECT_EQ(titleChange(notice, "Own", posted + titleNoticeMilliseconds + 1), nullptr);
    postTitleNotice(notice, "first", 10);
    postTitleNotice(notice, "second", 500);
    EXPECT_STREQ(titleChange(notice, "Own", 600), "second") << "the newer notice wins and runs its own time";
    EXPECT_EQ(titleChange(notice, "Own", 2100), nullptr);
    EXPECT_STREQ(titleChange(notice, "Own", 2500), "Own");
}

}  // namespace
