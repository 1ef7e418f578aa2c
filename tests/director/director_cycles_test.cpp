// Tests of the director's timed cycles (colour strobes, automatic tilt and crossblend) and of the
// bounds that bring every parameter back into range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/director/scripted_clock.h"
#include "tests/director/test_scene.h"

namespace {

constexpr float quarterPi = 0.7853981852531433f;
constexpr float twoPi = 6.2831854820251465f;

std::unique_ptr<Scene> quietScene()
{
    return settledScene(50100, 0, 1);
}

TEST(ColourStrobe, ANewModeEveryFrameForItsLength)
{
    auto scene = quietScene();
    scene->animation.baseColormode = 4;
    // The strobe's one-in-twenty chance wins with length 50 + 2; the frame's strobe draws then repeat the previous mode (0)
    // twice before a different one comes.
    scriptSecond({{SecondChance::strobe, {102}}});
    scriptDraws({0, 0, 5});
    runFrame(*scene, 51000);
    EXPECT_EQ(drawsLeft(), 0);
    ASSERT_TRUE(scene->animation.colourStrobe);
    EXPECT_EQ(scene->animation.strobeLength, 52);
    EXPECT_EQ(scene->params.colormode, 5);
    int frames = 1;
    int previous = scene->params.colormode;
    drawFromGenerator(99);
    while (scene->animation.colourStrobe && frames < 200) {
        runFrame(*scene, 51000 + 16 * static_cast<uint32_t>(frames));
        frames += 1;
        if (scene->animation.colourStrobe) {
            EXPECT_NE(scene->params.colormode, previous);
        }
        previous = scene->params.colormode;
    }
    EXPECT_EQ(frames, 52);
    EXPECT_EQ(scene->params.colormode, 4);
    EXPECT_EQ(scene->animation.strobeFrames, 0);
}

TEST(ColourStrobe, BaseModeChangesByItsOwnChance)
{
    auto scene = quietScene();
    scriptSecond({{SecondChance::colourMode, {13}}});
    runFrame(*scene, 51000);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(scene->animation.baseColormode, 6);
    EXPECT_EQ(scene->params.colormode, 6);
}

TEST(BandRules, EachHasItsOwnChanceToFlip)
{
    auto scene = quietScene();
    scriptSecond({{SecondChance::iterationPickRule, {}}, {SecondChance::thresholdAddRule, {}}});
    runFrame(*scene, 51000);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_TRUE(scene->animation.iterationRule.pickLoudest);
    EXPECT_FALSE(scene->animation.iterationRule.additive);
    EXPECT_FALSE(scene->animation.thresholdRule.pickLoudest);
    EXPECT_TRUE(scene->animation.thresholdRule.additive);
}

TEST(AutoTilt, RisesHoldsAtTheTopThenFallsBackAndEnds)
{
    auto scene = quietScene();
    scriptSecond({{SecondChance::tiltStart, {}}});
    runFrame(*scene, 51000);
    ASSERT_TRUE(scene->animation.autoTilt);
    EXPECT_NEAR(scene->params.alpha, 0.25 * 0.884, 1e-6);  // the frame's 0.884 s at 0.25 rad/s
    runFrame(*scene, 54000);  // 3 s more: beyond the top
    EXPECT_EQ(scene->params.alpha, quarterPi);
    EXPECT_TRUE(scene->animation.autoTiltHold);
    EXPECT_EQ(scene->animation.tiltDirection, -1.0f);
    runFrame(*scene, 56000);
    EXPECT_EQ(scene->params.alpha, quarterPi);  // held
    scriptSecond({{SecondChance::tiltHoldRelease, {}}});
    runFrame(*scene, 57000);
    EXPECT_FALSE(scene->animation.autoTiltHold);
    EXPECT_NEAR(scene->params.alpha, quarterPi - 0.25f, 1e-6);
    runFrame(*scene, 61000);
    EXPECT_EQ(scene->params.alpha, 0.0f);
    EXPECT_FALSE(scene->animation.autoTilt);
    EXPECT_EQ(scene->animation.tiltDirection, 1.0f);
}

TEST(AutoTilt, PausedWhileSelectingAndNotStartedDuringAPointerZoom)
{
    auto scene = quietScene();
    scene->animation.cursorZoomOut = true;
    scriptSecond({{SecondChance::tiltStart, {}}});
    runFrame(*scene, 51000);
    EXPECT_FALSE(scene->animation.autoTilt);
    scene->animation.cursorZoomOut = false;
    scene->animation.autoTilt = true;
    scene->session.selecting = true;
    runFrame(*scene, 51500);
    EXPECT_EQ(scene->params.alpha, 0.0f);
}

TEST(AutoBlend, RisesPastThreeQuartersHoldsThenFallsBelowAQuarterAndEnds)
{
    auto scene = quietScene();
    scriptSecond({{SecondChance::blendStart, {}}});
    runFrame(*scene, 51000);
    ASSERT_TRUE(scene->animation.autoBlend);
    runFrame(*scene, 70000);  // 19 s at 0.025 per second: 0.25 + 0.022 + 0.475, not yet past
    EXPECT_FALSE(scene->animation.autoBlendHold);
    runFrame(*scene, 72000);
    EXPECT_TRUE(scene->animation.autoBlendHold);
    EXPECT_EQ(scene->animation.blendDirection, -1.0f);
    const float held = scene->params.bgfractalblend;
    EXPECT_GT(held, 0.75f);
    runFrame(*scene, 80000);
    EXPECT_EQ(scene->params.bgfractalblend, held);
    scriptSecond({{SecondChance::blendHoldRelease, {}}});
    runFrame(*scene, 81000);
    EXPECT_FALSE(scene->animation.autoBlendHold);
    EXPECT_NEAR(scene->params.bgfractalblend, held - 0.025f, 1e-6);
    runFrame(*scene, 110000);
    EXPECT_FALSE(scene->animation.autoBlend);
    EXPECT_EQ(scene->animation.blendDirection, 1.0f);
    EXPECT_LT(scene->params.bgfractalblend, 0.25f);
    EXPECT_GE(scene->params.bgfractalblend, 0.0f);
}

TEST(AutoDive, NoDiveWhileTheCrossblendIsFull)
{
    auto scene = quietScene();
    scene->params.bgfractalblend = 1.0f;
    scriptSecond({{SecondChance::dive, {}}});
    runFrame(*scene, 51000);
    EXPECT_FALSE(scene->animation.autoDive);
    EXPECT_EQ(drawsLeft(), 0);
    scene->params.bgfractalblend = 0.99f;
    scriptSecond({{SecondChance::dive, {2}}});
    runFrame(*scene, 52000);
    EXPECT_TRUE(scene->animation.autoDive);
    EXPECT_EQ(scene->animation.diveTarget, 2);
    EXPECT_TRUE(scene->animation.iterationRule.additive);
}

TEST(Bounds, ThetaWrapsIntoHalfOpenRange)
{
    auto scene = quietScene();
    struct Case {
        float in;
        float out;
    } cases[] = {
        {twoPi, 0.0f},
        {-0.5f, twoPi - 0.5f},
        {2.0f * twoPi + 1.0f, 1.0f},
        {-1e-9f, 0.0f},  // plus 2pi this rounds to 2pi itself
        {std::numeric_limits<float>::quiet_NaN(), 0.0f},
    };
    uint32_t t = 50200;
    for (const Case& c : cases) {
        scene->params.theta = c.in;
        runFrame(*scene, t);
        t += 16;
        // Differences of a few multiples of 2pi leave float rounding of about 1e-6.
        EXPECT_NEAR(scene->params.theta, c.out, 2e-6) << c.in;
        EXPECT_LT(scene->params.theta, twoPi);
        EXPECT_GE(scene->params.theta, 0.0f);
    }
    scene->params.theta = 3e9f;
    runFrame(*scene, t);
    EXPECT_GE(scene->params.theta, 0.0f);
    EXPECT_LT(scene->params.theta, twoPi);
}

TEST(Bounds, UserValuesOutOfRangeComeBackInTheSameFrame)
{
    auto scene = quietScene();
    scene->params.alpha = 1.2f;
    scene->params.ws = 0.7f;
    scene->params.ad = -0.9f;
    scene->params.bgfractalblend = 1.3f;
    scene->params.fade = 1.5f;
    runFrame(*scene, 50200);
    EXPECT_EQ(scene->params.alpha, quarterPi);
    EXPECT_EQ(scene->animation.tiltDirection, -1.0f);
    EXPECT_FALSE(scene->animation.autoTiltHold);
    EXPECT_EQ(scene->params.ws, 0.5f);
    EXPECT_EQ(scene->params.ad, -0.5f);
    EXPECT_EQ(scene->params.bgfractalblend, 1.0f);
    EXPECT_EQ(scene->animation.blendDirection, -1.0f);
    EXPECT_EQ(scene->params.fade, 1.0f);
    scene->params.alpha = -0.3f;
    scene->params.bgfractalblend = -0.2f;
    scene->params.fade = -1.0f;
    scene->params.ws = -3.0f;
    runFrame(*scene, 50216);
    EXPECT_EQ(scene->params.alpha, 0.0f);
    EXPECT_EQ(scene->animation.tiltDirection, 1.0f);
    EXPECT_EQ(scene->params.bgfractalblend, 0.0f);
    EXPECT_EQ(scene->animation.blendDirection, 1.0f);
    EXPECT_EQ(scene->params.fade, 0.0f);
    EXPECT_EQ(scene->params.ws, -0.5f);
}

TEST(Bounds, DiveFloorOfIterationsAppliesFromTheNextFrame)
{
    auto scene = quietScene();
    scene->animation.iterationBase = 300;
    scene->animation.autoDive = true;
    runFrame(*scene, 50200);
    EXPECT_EQ(scene->params.max_iterations, 300);  // bounded against 20 before the dive set 800
    EXPECT_EQ(scene->animation.iterationFloor, 800);
    runFrame(*scene, 50216);
    EXPECT_EQ(scene->params.max_iterations, 1300);  // 300 reflected at 800
}

}  // namespace
