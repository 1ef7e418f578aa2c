// Tests of the director's response to the sound: band pushes and their reflections, band choice,
// beat-driven rotation and its reversals, and fades on silence.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/director/scripted_clock.h"
#include "tests/director/test_scene.h"

namespace {

// A settled scene on preset 0 (formula 0, ceiling 1000000) within the second starting at 30000.
std::unique_ptr<Scene> quietScene()
{
    return settledScene(30100, 0, 1);
}

TEST(IterationPush, ReflectsAtTheCeilingAndTheFloor)
{
    auto scene = quietScene();
    setBand(*scene, 1, 4.0f, 4.0f);  // level/peak 1: a gain of 1.1
    scene->animation.iterationBase = 990000;
    runFrame(*scene, 30200);
    EXPECT_EQ(scene->params.max_iterations, 911000);  // 1089000 reflected at 1000000
    EXPECT_EQ(scene->animation.iterationBase, 911000);
    EXPECT_EQ(scene->animation.iterationRule.direction, -1.0f);
    runFrame(*scene, 30216);
    // Now a gain of 0.9, which as a float lies just below 0.9: 819899.98 truncates to 819899.
    EXPECT_EQ(scene->params.max_iterations, 819899);
    setBand(*scene, 1, 0.0f, 0.0f);
    scene->animation.iterationBase = 19;
    runFrame(*scene, 30232);
    EXPECT_EQ(scene->params.max_iterations, 21);
    EXPECT_EQ(scene->animation.iterationRule.direction, 1.0f);
}

TEST(IterationPush, AdditiveOffsetTruncatesTowardZero)
{
    auto scene = quietScene();
    scene->animation.iterationRule.additive = true;
    setBand(*scene, 1, 123.7f, 200.0f);
    scene->animation.iterationBase = 5000;
    runFrame(*scene, 30200);
    EXPECT_EQ(scene->params.max_iterations, 5123);
    scene->animation.iterationRule.direction = -1.0f;
    runFrame(*scene, 30216);
    EXPECT_EQ(scene->params.max_iterations, 5000);
}

TEST(IterationPush, EnergiesBeyondTheIntegerRangeSaturate)
{
    auto scene = quietScene();
    scene->animation.iterationRule.additive = true;
    setBand(*scene, 1, 1e30f, 1e30f);
    scene->animation.iterationBase = 5000;
    runFrame(*scene, 30200);
    // Saturated at 2^31 - 1, reflected far below the floor and clamped there.
    EXPECT_EQ(scene->params.max_iterations, 20);
    EXPECT_EQ(scene->animation.iterationRule.direction, -1.0f);
    runFrame(*scene, 30216);
    // -2^31 saturated, then 2 * 20 + 2^31 overflows 32 bits unless worked wider: clamped at the ceiling.
    EXPECT_EQ(scene->params.max_iterations, 1000000);
}

TEST(IterationPush, NonFiniteBandValuesLeaveTheCountAlone)
{
    auto scene = quietScene();
    scene->animation.iterationBase = 5000;
    for (float level : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        setBand(*scene, 1, level, 10.0f);
        scene->animation.iterationRule.additive = false;
        runFrame(*scene, 30200);
        EXPECT_EQ(scene->params.max_iterations, 5000);
        scene->animation.iterationRule.additive = true;
        runFrame(*scene, 30216);
        EXPECT_EQ(scene->params.max_iterations, 5000);
    }
}

TEST(IterationPush, ZeroPeakMeansGainOne)
{
    auto scene = quietScene();
    setBand(*scene, 1, 50.0f, 0.0f);
    scene->animation.iterationBase = 43210;
    for (uint32_t t = 30200; t < 30300; t += 16) {
        runFrame(*scene, t);
    }
    EXPECT_EQ(scene->params.max_iterations, 43210);
}

TEST(ThresholdPush, ReflectsAt8AndAt1e8)
{
    auto scene = quietScene();
    scene->params.divergence_thresh2 = 1.2e8f;
    runFrame(*scene, 30200);
    EXPECT_EQ(scene->params.divergence_thresh2, 8e7f);
    EXPECT_EQ(scene->animation.thresholdRule.direction, -1.0f);
    scene->params.divergence_thresh2 = 5.0f;
    runFrame(*scene, 30216);
    EXPECT_EQ(scene->params.divergence_thresh2, 11.0f);
    EXPECT_EQ(scene->animation.thresholdRule.direction, 1.0f);
}

TEST(ThresholdPush, FollowsItsBandAndStaysInRangeWhenFarOut)
{
    auto scene = quietScene();
    setBand(*scene, 6, 5.0f, 10.0f);  // a gain of 1.05 on band 6
    runFrame(*scene, 30200);
    // 1e-3 on 1050: one float rounding of the product.
    EXPECT_NEAR(scene->params.divergence_thresh2, 1050.0f, 1e-3);
    scene->animation.thresholdRule.additive = true;
    setBand(*scene, 6, 1e30f, 10.0f);
    runFrame(*scene, 30216);
    // One reflection of 1e30 would land at -1e30; the value is kept at the floor instead.
    EXPECT_EQ(scene->params.divergence_thresh2, 8.0f);
}

TEST(BandChoice, LoudestAndQuietestRatios)
{
    auto scene = quietScene();
    setBand(*scene, 1, 5.0f, 10.0f);
    setBand(*scene, 2, 8.0f, 10.0f);
    setBand(*scene, 3, 2.0f, 10.0f);
    // A rule that differs from the one last applied makes the choice.
    scene->animation.iterationRule.pickLoudest = true;
    scene->animation.iterationRule.pickApplied = false;
    runFrame(*scene, 30200);
    EXPECT_EQ(scene->animation.iterationRule.band, 2);
    EXPECT_TRUE(scene->animation.iterationRule.pickApplied);
    scene->animation.iterationRule.pickLoudest = false;
    runFrame(*scene, 30216);
    EXPECT_EQ(scene->animation.iterationRule.band, 3);
    // The choice is made only when the rule changes: band 3 stays although band 1 is now quieter.
    setBand(*scene, 1, 0.0f, 10.0f);
    runFrame(*scene, 30232);
    EXPECT_EQ(scene->animation.iterationRule.band, 3);
}

TEST(BandChoice, TiesKeepTheLowerBandAndFullBandsKeepThePrevious)
{
    auto scene = quietScene();
    setBand(*scene, 4, 8.0f, 10.0f);
    setBand(*scene, 5, 8.0f, 10.0f);
    setBand(*scene, 6, 1.0f, 10.0f);
    scene->animation.thresholdRule.pickLoudest = true;
    scene->animation.thresholdRule.pickApplied = false;
    runFrame(*scene, 30200);
    EXPECT_EQ(scene->animation.thresholdRule.band, 4);
    for (int b = 4; b <= 6; ++b) {
        setBand(*scene, b, 10.0f, 10.0f);
    }
    scene->animation.thresholdRule.pickLoudest = false;
    runFrame(*scene, 30216);
    EXPECT_EQ(scene->animation.thresholdRule.band, 4);  // no ratio below 1
    EXPECT_FALSE(scene->animation.thresholdRule.pickApplied);
}

TEST(BandChoice, BandsWithoutPeakArePassedOver)
{
    auto scene = quietScene();
    setBand(*scene, 1, 0.0f, 0.0f);
    setBand(*scene, 2, 9.0f, 10.0f);
    setBand(*scene, 3, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN());
    scene->animation.iterationRule.band = 3;
    scene->animation.iterationRule.pickApplied = true;
    scene->animation.iterationRule.pickLoudest = false;
    // Quietest: band 1 has ratio 0/0 but no peak, band 3 no usable peak; band 2 is the only one.
    runFrame(*scene, 30200);
    EXPECT_EQ(scene->animation.iterationRule.band, 2);
}

// A frame with the analysis' beat count set first.
void beatFrame(Scene& scene, uint32_t now, uint32_t beats)
{
    scene.audio.beatCount.store(beats);
    runFrame(scene, now);
}

TEST(Rotation, SpeedIsHalfTheBeatRateAndTurnsTheta)
{
    auto scene = quietScene();
    scene->audio.silent.store(false);
    scene->params.theta = 1.0f;
    beatFrame(*scene, 30200, 1);  // a first count gives no rate
    EXPECT_EQ(scene->animation.beatRate, 0.0f);
    beatFrame(*scene, 30700, 2);  // one beat in 0.5 s
    EXPECT_FLOAT_EQ(scene->animation.beatRate, 2.0f);
    EXPECT_FLOAT_EQ(scene->animation.rotationSpeed, 1.0f);
    // The new speed already turned this frame's 0.5 s.
    EXPECT_NEAR(scene->params.theta, 1.5f, 1e-6);
    beatFrame(*scene, 30950, 2);  // 0.25 s at 1 rad/s
    EXPECT_NEAR(scene->params.theta, 1.75f, 1e-6);
}

TEST(Rotation, SpeedIsCappedAtTwoPiAndStopsInSilence)
{
    auto scene = quietScene();
    scene->audio.silent.store(false);
    beatFrame(*scene, 30200, 2);
    beatFrame(*scene, 30300, 4);  // 20 beats per second
    EXPECT_FLOAT_EQ(scene->animation.beatRate, 20.0f);
    EXPECT_EQ(scene->animation.rotationSpeed, 6.2831854820251465f);
    scene->audio.silent.store(true);
    const float theta = scene->params.theta;
    beatFrame(*scene, 30400, 4);
    EXPECT_EQ(scene->animation.rotationSpeed, 0.0f);
    EXPECT_EQ(scene->params.theta, theta);
    EXPECT_FLOAT_EQ(scene->animation.beatRate, 20.0f);
}

TEST(Rotation, AResetBeatCountGivesNoRate)
{
    auto scene = quietScene();
    scene->audio.silent.store(false);
    beatFrame(*scene, 30200, 100);
    beatFrame(*scene, 30600, 104);  // 10 per second
    EXPECT_FLOAT_EQ(scene->animation.beatRate, 10.0f);
    beatFrame(*scene, 30700, 1);
    beatFrame(*scene, 30800, 0);
    beatFrame(*scene, 30900, 3);  // from 0 to 3 only counts once two beats have been seen
    EXPECT_FLOAT_EQ(scene->animation.beatRate, 30.0f);
    beatFrame(*scene, 31000, 2);  // counted backward: a reset seen late
    EXPECT_FLOAT_EQ(scene->animation.beatRate, 30.0f);
}

TEST(Rotation, PausedWhileTheUserTurnsOrZooms)
{
    auto scene = quietScene();
    scene->audio.silent.store(false);
    beatFrame(*scene, 30200, 2);
    beatFrame(*scene, 30700, 3);  // 1 rad/s
    const float theta = scene->params.theta;
    scene->animation.manualRotate = true;
    runFrame(*scene, 30800);
    EXPECT_EQ(scene->params.theta, theta);
    EXPECT_FALSE(scene->animation.manualRotate);
    scene->session.selecting = true;
    runFrame(*scene, 30900);
    EXPECT_EQ(scene->params.theta, theta);
    scene->session.selecting = false;
    runFrame(*scene, 30950);
    EXPECT_NEAR(scene->params.theta, theta + 0.05f, 1e-6);
}

TEST(Reversal, TurnsTheRotationAroundOverItsSpan)
{
    auto scene = quietScene();
    scriptSecond({{SecondChance::reversal, {1000}}});  // a span of 2000 ms
    runFrame(*scene, 31000);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(unscriptedDraws(), 0);
    ASSERT_TRUE(scene->animation.reversing);
    EXPECT_EQ(scene->animation.reverseEndTicks, 33000u);
    EXPECT_EQ(scene->animation.reverseFrom, 1.0f);
    runFrame(*scene, 31500);
    EXPECT_FLOAT_EQ(scene->animation.rotationDirection, 0.5f);
    runFrame(*scene, 32000);
    EXPECT_FLOAT_EQ(scene->animation.rotationDirection, 0.0f);
    runFrame(*scene, 33100);
    EXPECT_EQ(scene->animation.rotationDirection, -1.0f);
    EXPECT_FALSE(scene->animation.reversing);
    // The next reversal starts from -1 and goes back to +1.
    scriptSecond({{SecondChance::reversal, {0}}});
    runFrame(*scene, 34000);
    EXPECT_EQ(scene->animation.reverseFrom, -1.0f);
    runFrame(*scene, 34500);
    EXPECT_FLOAT_EQ(scene->animation.rotationDirection, 0.0f);
}

TEST(Reversal, NotDuringAPointerZoom)
{
    auto scene = quietScene();
    scene->animation.cursorZoomIn = true;
    scriptSecond({{SecondChance::reversal, {}}});
    runFrame(*scene, 31000);
    EXPECT_FALSE(scene->animation.reversing);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(unscriptedDraws(), 0);  // no span was drawn
}

// Frames of `step` ms from `from` up to `to`, with the given silence.
uint32_t frames(Scene& scene, uint32_t from, uint32_t to, uint32_t step, bool silent)
{
    scene.audio.silent.store(silent);
    uint32_t t = from;
    for (; t <= to; t += step) {
        runFrame(scene, t);
    }
    return t;
}

TEST(Fade, InAfterAQuarterSecondOfSoundTakesTwoSeconds)
{
    auto scene = quietScene();
    frames(*scene, 30250, 30250, 250, false);  // 0.234 s of sound: not yet
    EXPECT_FALSE(scene->animation.fadingIn);
    EXPECT_EQ(scene->params.fade, 0.0f);
    frames(*scene, 30500, 30500, 250, false);
    EXPECT_TRUE(scene->animation.fadingIn);
    EXPECT_FLOAT_EQ(scene->params.fade, 0.125f);
    frames(*scene, 31000, 32250, 250, false);
    // Fade-in began at 30500 (0.125 in), so 1 is reached at 32250.
    EXPECT_EQ(scene->params.fade, 1.0f);
    EXPECT_TRUE(scene->animation.fadeRearmed);
}

TEST(Fade, OutAfterMoreThanOneSecondOfSilenceAndShortBreaksDoNotStopIt)
{
    auto scene = quietScene();
    scene->params.fade = 1.0f;
    scene->animation.fadingIn = true;
    frames(*scene, 30250, 31000, 250, true);  // 0.884 s of silence: not yet
    EXPECT_FALSE(scene->animation.fadingOut);
    frames(*scene, 31250, 31250, 250, true);  // 1.134 s
    EXPECT_TRUE(scene->animation.fadingOut);
    EXPECT_FALSE(scene->animation.fadingIn);
    const float fade = scene->params.fade;
    EXPECT_LT(fade, 1.0f);
    frames(*scene, 31450, 31450, 200, false);  // a 0.2 s break of silence
    EXPECT_TRUE(scene->animation.fadingOut);
    EXPECT_FLOAT_EQ(scene->params.fade, fade - 0.1f);
    frames(*scene, 31550, 31550, 100, false);  // 0.3 s of sound now
    EXPECT_TRUE(scene->animation.fadingIn);
    EXPECT_FALSE(scene->animation.fadingOut);
}

TEST(Fade, FullyInThenFullyOutChangesTheScene)
{
    auto scene = quietScene();
    frames(*scene, 30250, 32500, 250, false);
    ASSERT_EQ(scene->params.fade, 1.0f);
    const int preset = scene->animation.presetIndex;
    scene->animation.autoDive = true;
    scene->animation.presetHistoryCount = 3;
    // The fade-out starts at 33750, after 1.25 s of silence, and loses 0.125 a frame.
    frames(*scene, 32750, 35250, 250, true);
    EXPECT_FLOAT_EQ(scene->params.fade, 0.125f);
    EXPECT_EQ(scene->animation.presetIndex, preset);
    scriptDraws({40, 41});
    frames(*scene, 35500, 35500, 250, true);
    EXPECT_EQ(scene->params.fade, 0.0f);
    EXPECT_EQ(scene->animation.presetIndex, 40);
    EXPECT_EQ(scene->animation.nextPresetIndex, 41);
    EXPECT_FALSE(scene->animation.autoDive);
    EXPECT_FALSE(scene->animation.fadeRearmed);
    EXPECT_EQ(scene->animation.presetHistoryCount, 3);
}

}  // namespace
