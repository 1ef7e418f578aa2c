// Tests of morphs between presets: timing, completion, the shuffle history and the morph guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/director/scripted_clock.h"
#include "tests/director/test_scene.h"

namespace {

// Starts a morph from `from` to `to` with the chance at the whole second `second`, span 1000 + extra.
std::unique_ptr<Scene> morphingScene(uint32_t second, int from, int to, int extra)
{
    auto scene = settledScene(second * 1000 - 500, from, to);
    scriptSecond({{SecondChance::morph, {extra}}});
    runFrame(*scene, second * 1000);
    return scene;
}

TEST(Morph, ChanceStartsItAndCIsHalfwayAtHalfTheSpan)
{
    const uint32_t t = 7000;
    auto scene = morphingScene(7, 2, 40, 500);
    EXPECT_EQ(drawsLeft(), 0);
    ASSERT_TRUE(scene->animation.morphing);
    EXPECT_EQ(scene->animation.morphStartTicks, t);
    EXPECT_EQ(scene->animation.morphEndTicks, t + 1500);
    const Vec2 a = presetTable[2].c;
    const Vec2 b = presetTable[40].c;
    runFrame(*scene, t + 750);
    // The blend is formed in float: within one rounding of a value below 1.
    EXPECT_NEAR(scene->params.c.x, 0.5 * (a.x + b.x), 1e-7);
    EXPECT_NEAR(scene->params.c.y, 0.5 * (a.y + b.y), 1e-7);
    EXPECT_EQ(scene->params.fractalmode, 0);  // still the starting preset's formula
}

TEST(Morph, CompletesInTheFirstFrameAtOrAfterItsEnd)
{
    const uint32_t t = 9000;
    auto scene = morphingScene(9, 3, 24, 500);
    runFrame(*scene, t + 1499);
    EXPECT_TRUE(scene->animation.morphing);
    EXPECT_EQ(scene->animation.presetIndex, 3);
    // The target itself is in the history now and is drawn again once.
    scriptDraws({24, 17});
    runFrame(*scene, t + 1516);
    const AnimationState& a = scene->animation;
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_FALSE(a.morphing);
    EXPECT_EQ(a.presetIndex, 24);
    EXPECT_EQ(a.presetHistoryCount, 1);
    EXPECT_EQ(a.presetHistory[0], 24);
    EXPECT_EQ(a.nextPresetIndex, 17);
    // The blend at progress 1 is a + (b - a): within one float rounding of the target.
    EXPECT_NEAR(scene->params.c.x, presetTable[24].c.x, 1e-7);
    EXPECT_NEAR(scene->params.c.y, presetTable[24].c.y, 1e-7);
    EXPECT_EQ(scene->params.fractalmode, 4);
    EXPECT_EQ(a.iterationCeiling, 100000);
    runFrame(*scene, t + 1532);
    EXPECT_EQ(scene->params.c.x, presetTable[24].c.x);
    EXPECT_EQ(scene->params.c.y, presetTable[24].c.y);
}

TEST(Morph, RequestWaitsForAWholeSecondWithNothingInTheWay)
{
    auto scene = settledScene(11500, 8, 9);
    scene->animation.morphRequested = true;
    scene->session.selecting = true;
    runFrame(*scene, 12000);
    EXPECT_FALSE(scene->animation.morphing);
    EXPECT_TRUE(scene->animation.morphRequested);
    scene->session.selecting = false;
    runFrame(*scene, 12500);
    EXPECT_FALSE(scene->animation.morphing);  // no whole second has passed
    // The chance's own draw fails (1) yet the request starts it; its span draw follows.
    scriptDraws({1, 1499});
    runFrame(*scene, 13000);
    EXPECT_TRUE(scene->animation.morphing);
    EXPECT_FALSE(scene->animation.morphRequested);
    EXPECT_EQ(scene->animation.morphEndTicks, 13000u + 2499u);
}

TEST(Morph, BlockedByAnAutomaticDiveOrAPointerZoom)
{
    auto scene = settledScene(11500, 8, 9);
    scene->animation.autoDive = true;
    scriptSecond({{SecondChance::morph, {}}});
    runFrame(*scene, 12000);
    EXPECT_FALSE(scene->animation.morphing);
    EXPECT_EQ(drawsLeft(), 0);
    scene->animation.autoDive = false;
    scene->animation.cursorZoomOut = true;
    scriptSecond({{SecondChance::morph, {}}});
    runFrame(*scene, 13000);
    EXPECT_FALSE(scene->animation.morphing);
    EXPECT_EQ(drawsLeft(), 0);
}

// Completes the running morph at once (its span is made to have passed) in the same second.
int completeMorphNow(Scene& scene, uint32_t now)
{
    scene.animation.morphing = true;
    scene.animation.morphStartTicks = now - 1000;
    scene.animation.morphEndTicks = now;
    runFrame(scene, now);
    EXPECT_FALSE(scene.animation.morphing);
    return scene.animation.presetIndex;
}

bool isShuffle(std::vector<int> presets)
{
    std::sort(presets.begin(), presets.end());
    for (int i = 0; i < presetCount; ++i) {
        if (presets[static_cast<size_t>(i)] != i) {
            return false;
        }
    }
    return presets.size() == static_cast<size_t>(presetCount);
}

TEST(Morph, HistoryMakesTheReachedPresetsAShuffleAndEmptiesAfter44)
{
    auto scene = settledScene(20100, 0, 1);
    drawFromGenerator(2024);
    uint32_t now = 20200;
    std::vector<int> firstRound;
    for (int i = 1; i <= presetCount; ++i) {
        firstRound.push_back(completeMorphNow(*scene, now++));
        EXPECT_EQ(scene->animation.presetHistoryCount, i % presetCount);
    }
    EXPECT_TRUE(isShuffle(firstRound));
    for (int entry : scene->animation.presetHistory) {
        EXPECT_EQ(entry, -1);
    }
    std::vector<int> secondRound;
    for (int i = 1; i <= presetCount; ++i) {
        secondRound.push_back(completeMorphNow(*scene, now++));
    }
    EXPECT_TRUE(isShuffle(secondRound));
}

TEST(Morph, AfterTheResetTheTargetMayBeTheCurrentPreset)
{
    auto scene = settledScene(20100, 0, 1);
    drawFromGenerator(7);
    uint32_t now = 20200;
    for (int i = 1; i < presetCount; ++i) {
        completeMorphNow(*scene, now++);
    }
    // The 44th completion empties the history; the draw that follows is unrestricted.
    const int last = scene->animation.nextPresetIndex;
    resetDraws();
    scriptDraws({last});
    completeMorphNow(*scene, now++);
    EXPECT_EQ(scene->animation.presetHistoryCount, 0);
    EXPECT_EQ(scene->animation.nextPresetIndex, last);
    const Vec2 before = scene->params.c;
    scene->animation.morphing = true;
    scene->animation.morphStartTicks = now;
    scene->animation.morphEndTicks = now + 1000;
    runFrame(*scene, now + 400);
    EXPECT_EQ(scene->params.c.x, before.x);
    EXPECT_EQ(scene->params.c.y, before.y);
}

TEST(MorphGuard, BoundedConstantMarksTheFrameLowDetail)
{
    // Presets 9 and 10 (formula 0) blend halfway to about -0.923 - 0.014i, within 1/4 of -1: the
    // period-2 bulb, where the orbit of 0 stays bounded. Preset 9 itself escapes.
    const Vec2 a = presetTable[9].c;
    const Vec2 b = presetTable[10].c;
    ASSERT_LT(std::hypot(0.5 * (a.x + b.x) + 1.0, 0.5 * (a.y + b.y)), 0.25);
    auto scene = morphingScene(5, 9, 10, 500);
    // c is preset 9's at the start: the frame keeps its bounded count.
    const int base = scene->animation.iterationBase;
    EXPECT_EQ(scene->params.max_iterations, base);
    scriptDraws({37});
    runFrame(*scene, 5750);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(scene->params.max_iterations, 17);
    EXPECT_EQ(scene->animation.iterationBase, base);
    runFrame(*scene, 6600);
    EXPECT_FALSE(scene->animation.morphing);
    EXPECT_EQ(scene->params.max_iterations, base);
}

}  // namespace
