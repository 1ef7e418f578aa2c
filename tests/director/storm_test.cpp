// A storm of random frame times, sound and user changes: after every frame each parameter is in
// its range and no value is not-a-number.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "render/plane_mapping.h"
#include "tests/director/scripted_clock.h"
#include "tests/director/test_scene.h"

namespace {

constexpr float twoPi = 6.2831854820251465f;
constexpr float quarterPi = 0.7853981852531433f;

struct Storm {
    std::mt19937 random;
    uint32_t now;
    uint32_t beats = 0;
};

bool oneIn(Storm& storm, int n)
{
    return std::uniform_int_distribution<int>(0, n - 1)(storm.random) == 0;
}

float uniform(Storm& storm, float low, float high)
{
    return std::uniform_real_distribution<float>(low, high)(storm.random);
}

// Mostly ordinary energies, now and then zero, huge or not a number at all.
float bandValue(Storm& storm)
{
    const int kind = std::uniform_int_distribution<int>(0, 99)(storm.random);
    if (kind < 10) {
        return 0.0f;
    }
    if (kind < 12) {
        return 1e30f;
    }
    if (kind == 12) {
        return std::numeric_limits<float>::infinity();
    }
    if (kind == 13) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return uniform(storm, 0.0f, 2000.0f);
}

void stirSound(Storm& storm, Scene& scene)
{
    for (int b = 0; b < bandCountFixed; ++b) {
        if (oneIn(storm, 3)) {
            setBand(scene, b, bandValue(storm), bandValue(storm));
        }
    }
    if (oneIn(storm, 40)) {
        scene.audio.silent.store(!scene.audio.silent.load());
    }
    if (oneIn(storm, 20)) {
        storm.beats += 1;
    }
    if (oneIn(storm, 2000)) {
        storm.beats = 0;
    }
    scene.audio.beatCount.store(storm.beats);
}

int pointerCoordinate(Storm& storm, int extent)
{
    return std::uniform_int_distribution<int>(-100, extent + 100)(storm.random);
}

// The mouse as input handling leaves it: drags, clicks, the right button and motion.
void stirPointer(Storm& storm, Scene& scene)
{
    AnimationState& a = scene.animation;
    SessionState& s = scene.session;
    const int w = scene.display.drawableWidth;
    const int h = scene.display.drawableHeight;
    if (oneIn(storm, 300)) {
        s.selecting = true;
        s.selectStart = {pointerCoordinate(storm, w), pointerCoordinate(storm, h)};
    } else if (s.selecting && oneIn(storm, 10)) {
        s.selecting = false;
        const PixelPoint elsewhere{pointerCoordinate(storm, w), pointerCoordinate(storm, h)};
        s.selectEnd = oneIn(storm, 2) ? s.selectStart : elsewhere;
        const bool click = s.selectEnd.x == s.selectStart.x && s.selectEnd.y == s.selectStart.y;
        a.clickZoom = a.clickZoom || click;
        a.rectZoom = a.rectZoom || !click;
        if (click) {
            a.cursorZoomOut = false;
            a.userZoomed = false;
        }
    }
    if (oneIn(storm, 400)) {
        s.selecting = false;
        a.clickZoom = false;
        a.cursorZoomIn = true;
        a.cursorZoomOut = false;
        a.userZoomed = false;
    } else if (a.cursorZoomIn && oneIn(storm, 30)) {
        a.cursorZoomIn = false;
        a.cursorZoomOut = true;
    }
    if (oneIn(storm, 4)) {
        s.mouseX = pointerCoordinate(storm, w);
        s.mouseY = pointerCoordinate(storm, h);
    }
}

float plusOrMinus(Storm& storm, float amount)
{
    return oneIn(storm, 2) ? amount : -amount;
}

// The O key: centred, zoomed out, every zoom and dive ended.
void centreCamera(Scene& scene)
{
    scene.params.ws = 0.0f;
    scene.params.ad = 0.0f;
    scene.params.alpha = 0.0f;
    scene.params.zzoom = homeZoom;
    AnimationState& a = scene.animation;
    a.autoDive = false;
    a.cursorZoomIn = false;
    a.clickZoom = false;
    a.cursorZoomOut = false;
    a.userZoomed = false;
}

// Keys and wheel, each scaled by the previous frame's time as input handling scales them: each
// steering key about once in 30 frames, M and O about once in 600.
void stirKeys(Storm& storm, Scene& scene)
{
    FractalParams& p = scene.params;
    AnimationState& a = scene.animation;
    const float seconds = scene.session.frameSeconds;
    switch (std::uniform_int_distribution<int>(0, 29)(storm.random)) {
    case 0:
        p.theta += plusOrMinus(storm, 3.0f * seconds);
        a.manualRotate = true;
        break;
    case 1:
        p.alpha += plusOrMinus(storm, seconds);
        a.autoTilt = false;
        a.autoTiltHold = false;
        break;
    case 2: p.ws += plusOrMinus(storm, 0.5f * seconds); break;
    case 3: p.ad += plusOrMinus(storm, 0.5f * seconds); break;
    case 4:
        p.bgfractalblend += plusOrMinus(storm, seconds);
        a.autoBlend = false;
        a.autoBlendHold = false;
        break;
    case 5: a.morphRequested = a.morphRequested || oneIn(storm, 20); break;
    case 6:
        if (oneIn(storm, 20)) {
            centreCamera(scene);
        }
        break;
    default: break;
    }
}

// Frame times of a few to some tens of milliseconds, a repeated tick now and then, and stalls.
uint32_t nextStep(Storm& storm, int frame)
{
    if (frame == 500 || oneIn(storm, 400)) {
        return 2000;
    }
    if (oneIn(storm, 50)) {
        return 0;
    }
    return static_cast<uint32_t>(std::uniform_int_distribution<int>(4, 40)(storm.random));
}

bool within(float value, float low, float high)
{
    return value >= low && value <= high;
}

bool finite(Vec2 v)
{
    return std::isfinite(v.x) && std::isfinite(v.y);
}

struct RangeCheck {
    bool held;
    const char* field;
    double value;
};

// A frame of a morph whose constant keeps the orbit of 0 bounded is drawn with few iterations.
// Nothing after the morph guard changes the morph, the constant, the formula or the ceiling, so the
// frame's end state tells which frames the guard saw that way.
bool lowDetailFrame(const Scene& scene)
{
    const AnimationState& a = scene.animation;
    return a.morphing && !pointEscapes(scene.params.c, a.iterationCeiling, scene.params.fractalmode);
}

// Empty when every value is in its range, else the first offence. The floor of the iteration
// count is the one the bounds used: the camera may change it after them. Only a rectangle dragged
// beyond the window zooms out past the home view; from there the zoom never grows again.
std::string offence(const Scene& scene, int floorBefore, float zoomCeiling)
{
    const FractalParams& p = scene.params;
    const AnimationState& a = scene.animation;
    const bool lowDetail = lowDetailFrame(scene);
    const int low = lowDetail ? 10 : floorBefore;
    const int high = lowDetail ? 19 : a.iterationCeiling;
    const RangeCheck checks[] = {
        {p.theta >= 0.0f && p.theta < twoPi, "theta", p.theta},
        {within(p.alpha, 0.0f, quarterPi), "alpha", p.alpha},
        {p.max_iterations >= low && p.max_iterations <= high, "max_iterations", double(p.max_iterations)},
        {within(p.divergence_thresh2, 8.0f, 1e8f), "divergence_thresh2", p.divergence_thresh2},
        {within(p.c.x, -1.0f, 1.0f) && within(p.c.y, -1.0f, 1.0f), "c.x", p.c.x},
        {finite(p.zitrans) && finite(p.zftrans), "zitrans.x", p.zitrans.x},
        {within(p.fade, 0.0f, 1.0f), "fade", p.fade},
        {within(p.zzoom, a.zoomFloor, zoomCeiling), "zzoom", p.zzoom},
        {p.colormode >= 0 && p.colormode <= 6, "colormode", double(p.colormode)},
        {p.fractalmode == presetFormula(a.presetIndex), "fractalmode", double(p.fractalmode)},
        {within(p.bgfractalblend, 0.0f, 1.0f), "bgfractalblend", p.bgfractalblend},
        {within(p.ws, -0.5f, 0.5f), "ws", p.ws},
        {within(p.ad, -0.5f, 0.5f), "ad", p.ad},
        {within(a.rotationDirection, -1.0f, 1.0f), "rotationDirection", a.rotationDirection},
        {std::isfinite(a.rotationSpeed), "rotationSpeed", a.rotationSpeed},
        {a.nextPresetIndex >= 0 && a.nextPresetIndex < presetCount, "nextPresetIndex", double(a.nextPresetIndex)},
    };
    for (const RangeCheck& check : checks) {
        if (!check.held) {
            std::ostringstream out;
            out << check.field << " " << check.value;
            return out.str();
        }
    }
    return "";
}

void runStorm(uint32_t seed, int frames)
{
    // Starts 20 s before the tick counter wraps, so the storm runs across the wrap.
    Storm storm{std::mt19937(seed), 0xFFFFFFFFu - 20000u};
    auto scene = startScene(storm.now);
    drawFromGenerator(seed + 1000);
    bool wrapped = false;
    for (int frame = 0; frame < frames; ++frame) {
        stirSound(storm, *scene);
        stirPointer(storm, *scene);
        stirKeys(storm, *scene);
        if (oneIn(storm, 500)) {
            scene->display.drawableWidth = oneIn(storm, 3) ? 1 : pointerCoordinate(storm, 2000) + 200;
            scene->display.drawableHeight = oneIn(storm, 3) ? 1 : pointerCoordinate(storm, 1200) + 200;
        }
        const uint32_t step = nextStep(storm, frame);
        const uint32_t before = storm.now;
        storm.now += step;
        wrapped = wrapped || storm.now < before;
        const int floorBefore = scene->animation.iterationFloor;
        const float zoomCeiling = scene->animation.rectZoom ? 1e6f : std::max(homeZoom, scene->params.zzoom);
        runFrame(*scene, storm.now);
        ASSERT_EQ(scene->session.frameSeconds, static_cast<float>(step) / 1000.0f) << "frame " << frame;
        const std::string fault = offence(*scene, floorBefore, zoomCeiling);
        ASSERT_TRUE(fault.empty()) << "seed " << seed << " frame " << frame << ": " << fault;
    }
    EXPECT_TRUE(wrapped);
}

TEST(Storm, EveryFrameEndsWithEveryParameterInRange)
{
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        runStorm(seed, 4000);
    }
}

}  // namespace
