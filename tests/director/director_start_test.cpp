// Tests of the director's start values and of its first frame.
#include <gtest/gtest.h>

#include "director/animation_director.h"
#include "tests/director/scripted_clock.h"
#include "tests/director/test_scene.h"

namespace {

TEST(InitAnimation, DrawsInOrderAndSetsTheStartValues)
{
    Scene scene;
    resetDraws();
    // theta, iterations, preset, colour mode, then next preset twice equal to the preset.
    scriptDraws({16384, 7321, 87, 13, 43, 87, 20});
    initAnimation(scene.animation, scene.params, 123456);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(unscriptedDraws(), 0);
    // 16384 / 32767 of 2pi; 1e-6 covers the float product.
    EXPECT_NEAR(scene.params.theta, 16384.0 / 32767.0 * 6.2831855, 1e-6);
    EXPECT_EQ(scene.params.max_iterations, 12321);
    EXPECT_EQ(scene.animation.iterationBase, 12321);
    EXPECT_EQ(scene.animation.presetIndex, 43);
    EXPECT_EQ(scene.params.colormode, 6);
    EXPECT_EQ(scene.animation.nextPresetIndex, 20);
    EXPECT_EQ(scene.params.divergence_thresh2, 1000.0f);
    EXPECT_EQ(scene.params.fade, 0.0f);
    EXPECT_EQ(scene.params.zzoom, 1.34f);
    EXPECT_EQ(scene.params.bgfractalblend, 0.25f);
    EXPECT_EQ(scene.animation.lastBeatTicks, 123456u);
    EXPECT_EQ(scene.animation.morphEndTicks, 123456u);
    EXPECT_EQ(scene.animation.reverseEndTicks, 123456u);
    EXPECT_EQ(scene.animation.lastHalfSecond, 246u);
    for (int entry : scene.animation.presetHistory) {
        EXPECT_EQ(entry, -1);
    }
}

TEST(FirstFrame, ChangesTheSceneSoTheStartPresetIsNeverShown)
{
    auto scene = startScene(40100, 5);
    // The new preset is drawn until it differs from 5, the next until it differs from the new one.
    scriptDraws({5, 49, 33, 77, 22});
    runFrame(*scene, 40116);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(unscriptedDraws(), 0);
    const AnimationState& a = scene->animation;
    EXPECT_EQ(a.presetIndex, 33);  // 49 % 44 = 5, redrawn
    EXPECT_EQ(a.nextPresetIndex, 22);
    EXPECT_FALSE(a.fadeRearmed);
    EXPECT_EQ(scene->params.c.x, presetTable[33].c.x);
    EXPECT_EQ(scene->params.c.y, presetTable[33].c.y);
    EXPECT_EQ(scene->params.fractalmode, 6);
    EXPECT_EQ(a.iterationCeiling, 20000);
    EXPECT_EQ(a.zoomFloor, 0.0125f);
    EXPECT_EQ(scene->params.colormode, 0);  // the base colour mode replaces the drawn one
    // 16 ms of frame time.
    EXPECT_FLOAT_EQ(scene->session.frameSeconds, 0.016f);
    EXPECT_EQ(scene->session.lastFrameTicks, 40116u);
}

TEST(PresetTable, FormulaGroupsAndLimits)
{
    const int firstOfFormula[] = {0, 12, 16, 20, 24, 28, 32, 38, 44};
    for (int formula = 0; formula < 8; ++formula) {
        for (int p = firstOfFormula[formula]; p < firstOfFormula[formula + 1]; ++p) {
            EXPECT_EQ(presetFormula(p), formula) << p;
        }
    }
    EXPECT_EQ(iterationCeilingFor(2), 1000000);
    EXPECT_EQ(iterationCeilingFor(3), 100000);
    EXPECT_EQ(iterationCeilingFor(5), 100000);
    EXPECT_EQ(iterationCeilingFor(6), 20000);
    EXPECT_EQ(iterationCeilingFor(9), 20000);
    EXPECT_EQ(zoomFloorFor(0), 0.00025f);
    EXPECT_EQ(zoomFloorFor(4), 0.0025000002f);
    EXPECT_GT(zoomFloorFor(4), 0.0025f);
    EXPECT_EQ(zoomFloorFor(7), 0.0125f);
    EXPECT_EQ(zoomFloorFor(-1), 0.0125f);
}

}  // namespace
