// Tests of the camera moves: each branch, its priority, and the plane point each zoom keeps fixed.
#include <gtest/gtest.h>

#include <cmath>

#include "render/plane_mapping.h"
#include "director/camera_moves.h"
#include "tests/director/scripted_clock.h"
#include "tests/director/test_scene.h"

namespace {

constexpr int width = 1920;
constexpr int height = 1080;

struct Pixel {
    double x;
    double y;
};

// Window pixel (origin top left) at which the current parameters show plane point p: the vertex
// stage's mapping inverted, in double precision.
Pixel pixelShowing(Vec2 p, const FractalParams& f)
{
    const double dx = (p.x - f.zftrans.x) / f.zzoom;
    const double dy = (p.y - f.zftrans.y) / f.zzoom;
    const double qx = std::cos(f.theta) * dx + std::sin(f.theta) * dy - f.zitrans.x;
    const double qy = -std::sin(f.theta) * dx + std::cos(f.theta) * dy - f.zitrans.y;
    const double x = qx + f.ad;
    const double y = (qy + 1.0) * std::cos(f.alpha) - 1.0 + f.ws;
    return {(x + 1.0) * 0.5 * (width - 1), (height - 1) - (y + 1.0) * 0.5 * (height - 1)};
}

Vec2 planeAtPixel(int x, int y, const FractalParams& f)
{
    return quadToPlane(pixelToQuad(x, y, f.alpha, f.ws, f.ad, width, height), f.theta, f.zzoom, f.zitrans,
                       f.zftrans);
}

// A settled scene with a rotated, shifted view (no tilt, so pixels and quad points map exactly).
std::unique_ptr<Scene> viewScene()
{
    auto scene = settledScene(60100, 0, 1);
    scene->params.theta = 1.0f;
    scene->params.ws = 0.2f;
    scene->params.ad = 0.1f;
    scene->params.zitrans = {0.1f, -0.2f};
    scene->params.zftrans = {0.3f, 0.05f};
    scene->params.zzoom = 0.8f;
    return scene;
}

void cameraFrame(Scene& scene, float seconds)
{
    scene.session.frameSeconds = seconds;
    updateCamera(scene.animation, scene.params, scene.session, scene.display, director::readBands(scene.audio));
}

TEST(RectangleZoom, WiderSideFillsTheWindowAndTheCentreMovesToTheMiddle)
{
    auto scene = viewScene();
    scene->session.selectStart = {579, 199};
    scene->session.selectEnd = {100, 100};
    const Vec2 left = planeAtPixel(100, 150, scene->params);
    const Vec2 right = planeAtPixel(579, 150, scene->params);
    const Vec2 centre = planeAtPixel(340, 150, scene->params);
    scene->animation.rectZoom = true;
    cameraFrame(*scene, 0.016f);
    const AnimationState& a = scene->animation;
    EXPECT_FALSE(a.rectZoom);
    EXPECT_TRUE(a.userZoomed);
    EXPECT_TRUE(a.cursorZoomOut);
    EXPECT_NEAR(scene->params.zzoom, 0.8f * 480.0f / 1920.0f, 1e-7);
    // The window centre: 0.01 px covers float rounding of plane points near 1 at this zoom.
    const Pixel c = pixelShowing(centre, scene->params);
    EXPECT_NEAR(c.x, 959.5, 0.01);
    EXPECT_NEAR(c.y, 539.5, 0.01);
    // The edges land within one magnified pixel (W / w = 4 window pixels) of the window's: the
    // centre comes from integer halving and the rectangle spans w - 1 pixel steps.
    EXPECT_NEAR(pixelShowing(left, scene->params).x, 0.0, 4.5);
    EXPECT_NEAR(pixelShowing(right, scene->params).x, 1919.0, 4.5);
}

TEST(RectangleZoom, TallerSideFillsTheHeight)
{
    auto scene = viewScene();
    scene->session.selectStart = {100, 100};
    scene->session.selectEnd = {149, 639};
    const Vec2 top = planeAtPixel(124, 100, scene->params);
    const Vec2 bottom = planeAtPixel(124, 639, scene->params);
    scene->animation.rectZoom = true;
    cameraFrame(*scene, 0.016f);
    EXPECT_NEAR(scene->params.zzoom, 0.8f * 540.0f / 1080.0f, 1e-7);
    // Within one magnified pixel (H / h = 2 window pixels) of the window's edges.
    EXPECT_NEAR(pixelShowing(top, scene->params).y, 0.0, 2.5);
    EXPECT_NEAR(pixelShowing(bottom, scene->params).y, 1079.0, 2.5);
}

TEST(RectangleZoom, WithTiltTheAnchorIsShownAtTheWindowCentre)
{
    auto scene = viewScene();
    scene->params.alpha = 0.6f;
    scene->session.selectStart = {800, 300};
    scene->session.selectEnd = {1000, 400};
    scene->animation.rectZoom = true;
    cameraFrame(*scene, 0.016f);
    const Pixel c = pixelShowing(scene->params.zitrans, scene->params);
    EXPECT_NEAR(c.x, 959.5, 0.01);
    EXPECT_NEAR(c.y, 539.5, 0.01);
}

TEST(RectangleZoom, StopsAtTheFloorAndADragBeyondTheWindowZoomsOutUntilTheReturn)
{
    auto scene = viewScene();
    scene->params.zzoom = 0.0003f;
    scene->session.selectStart = {10, 10};
    scene->session.selectEnd = {12, 11};
    scene->animation.rectZoom = true;
    cameraFrame(*scene, 0.016f);
    EXPECT_EQ(scene->params.zzoom, 0.00025f);
    // A drag that left the window is larger than it: 3001 pixels of a 1920-pixel-wide drawable.
    scene->params.zzoom = 1.0f;
    scene->session.selectStart = {-500, 10};
    scene->session.selectEnd = {2500, 12};
    scene->animation.rectZoom = true;
    cameraFrame(*scene, 0.016f);
    EXPECT_NEAR(scene->params.zzoom, 3001.0f / scene->display.drawableWidth, 1e-6);
    EXPECT_GT(scene->params.zzoom, homeZoom);
    // The view is held, yet the return brings a zoom beyond the home view straight back to it.
    ASSERT_TRUE(scene->animation.userZoomed && scene->animation.cursorZoomOut);
    cameraFrame(*scene, 0.016f);
    EXPECT_EQ(scene->params.zzoom, homeZoom);
    EXPECT_FALSE(scene->animation.cursorZoomOut);
}

TEST(ClickZoom, KeepsTheClickedPointUntilTheFloorThenHoldsUntilReleased)
{
    auto scene = viewScene();
    scene->session.selectStart = {1500, 300};
    scene->animation.clickZoom = true;
    const Vec2 clicked = planeAtPixel(1500, 300, scene->params);
    int frames = 0;
    while (scene->animation.clickZoom && frames < 1000) {
        const float before = scene->params.zzoom;
        cameraFrame(*scene, 1.0f / 60.0f);
        frames += 1;
        if (scene->animation.clickZoom) {
            // 1e-6 relative: one float rounding of the product.
            EXPECT_NEAR(scene->params.zzoom / before, std::pow(0.9, 40.0 / 60.0), 1e-6);
        }
        const Pixel p = pixelShowing(clicked, scene->params);
        // The clicked point drifts by float rounding only, which grows as the zoom shrinks: 0.05 px.
        ASSERT_NEAR(p.x, 1500.0, 0.05) << frames;
        ASSERT_NEAR(p.y, 300.0, 0.05) << frames;
    }
    // 0.8 * 0.9^(40 t) reaches 0.00025 after t = ln(3200) / (40 ln(1/0.9)) = 1.915 s, 114.9
    // frames: the 115th would go below and stops at the floor.
    EXPECT_EQ(frames, 115);
    EXPECT_EQ(scene->params.zzoom, 0.00025f);
    EXPECT_TRUE(scene->animation.userZoomed);
    EXPECT_TRUE(scene->animation.cursorZoomOut);
    cameraFrame(*scene, 0.5f);
    EXPECT_EQ(scene->params.zzoom, 0.00025f);
}

TEST(ClickZoom, HeldViewReturnsAfterTheReleaseThenSnapsHome)
{
    auto scene = viewScene();
    scene->params.zzoom = 0.001f;
    scene->animation.cursorZoomOut = true;
    scene->animation.userZoomed = true;
    scene->animation.pivot = {0.2f, 0.3f};
    runFrame(*scene, 60900);
    EXPECT_EQ(scene->params.zzoom, 0.001f);
    scriptSecond({{SecondChance::userZoomRelease, {}}});
    runFrame(*scene, 61000);
    EXPECT_FALSE(scene->animation.userZoomed);
    EXPECT_NEAR(scene->params.zzoom, 0.001 * std::pow(1.1, 1.0), 1e-8);  // 0.1 s at 1.1^10 per second
    uint32_t t = 61000;
    while (scene->animation.cursorZoomOut && t < 80000) {
        t += 100;
        runFrame(*scene, t);
    }
    EXPECT_EQ(scene->params.zzoom, homeZoom);
    EXPECT_NE(scene->params.zftrans.x, 0.0f);
    runFrame(*scene, t + 16);
    EXPECT_EQ(scene->params.zitrans.x, 0.0f);
    EXPECT_EQ(scene->params.zitrans.y, 0.0f);
    EXPECT_EQ(scene->params.zftrans.x, 0.0f);
    EXPECT_EQ(scene->params.zftrans.y, 0.0f);
}

TEST(PointerZoom, FollowsThePointerKeepingThePlanePointUnderIt)
{
    auto scene = viewScene();
    scene->animation.cursorZoomIn = true;
    scene->session.mouseX = 300;
    scene->session.mouseY = 900;
    const Vec2 under = planeAtPixel(300, 900, scene->params);
    cameraFrame(*scene, 0.1f);
    EXPECT_NEAR(scene->params.zzoom, 0.8 * std::pow(0.9, 1.0), 1e-7);
    Pixel p = pixelShowing(under, scene->params);
    EXPECT_NEAR(p.x, 300.0, 0.01);
    EXPECT_NEAR(p.y, 900.0, 0.01);
    scene->session.mouseX = 1200;
    scene->session.mouseY = 100;
    const Vec2 next = planeAtPixel(1200, 100, scene->params);
    cameraFrame(*scene, 0.1f);
    p = pixelShowing(next, scene->params);
    EXPECT_NEAR(p.x, 1200.0, 0.01);
    EXPECT_NEAR(p.y, 100.0, 0.01);
    cameraFrame(*scene, 100.0f);
    EXPECT_EQ(scene->params.zzoom, 0.00025f);
}

TEST(ReturnZoom, GrowsAboutThePivotAndWaitsWhileSelecting)
{
    auto scene = viewScene();
    scene->animation.cursorZoomOut = true;
    scene->animation.pivot = pixelToQuad(700, 700, 0.0f, 0.2f, 0.1f, width, height);
    const Vec2 kept = planeAtPixel(700, 700, scene->params);
    cameraFrame(*scene, 0.05f);
    EXPECT_NEAR(scene->params.zzoom, 0.8 * std::pow(1.1, 0.5), 1e-6);
    const Pixel p = pixelShowing(kept, scene->params);
    EXPECT_NEAR(p.x, 700.0, 0.01);
    EXPECT_NEAR(p.y, 700.0, 0.01);
    scene->session.selecting = true;
    const float zoom = scene->params.zzoom;
    cameraFrame(*scene, 0.05f);
    EXPECT_EQ(scene->params.zzoom, zoom);
    scene->session.selecting = false;
    cameraFrame(*scene, 10.0f);
    EXPECT_EQ(scene->params.zzoom, homeZoom);
    EXPECT_FALSE(scene->animation.cursorZoomOut);
}

TEST(Dive, ZoomsTowardItsTargetAtTheSpeedOfTheLowestBand)
{
    auto scene = settledScene(60100, 2, 3);
    scene->params.theta = 2.0f;
    scene->animation.autoDive = true;
    scene->params.zzoom = 1.0f;
    scene->params.zitrans = presetTable[2].diveTargets[1];
    scene->animation.pivot = {0.1f, 0.2f};
    cameraFrame(*scene, 0.5f);  // no band peak: speed 1
    EXPECT_EQ(scene->params.theta, 0.0f);
    EXPECT_EQ(scene->animation.iterationFloor, 800);
    EXPECT_EQ(scene->animation.diveSpeed, 1.0f);
    EXPECT_NEAR(scene->params.zzoom, std::pow(0.9, 0.5), 1e-7);
    setBand(*scene, 0, 3.0f, 6.0f);
    cameraFrame(*scene, 0.1f);
    EXPECT_EQ(scene->animation.diveSpeed, 25.0f);
    EXPECT_NEAR(scene->params.zzoom, std::pow(0.9, 0.5) * std::pow(0.9, 2.5), 1e-6);
    // The target stays shown at the pivot.
    const Vec2 shown = quadToPlane(scene->animation.pivot, 0.0f, scene->params.zzoom, scene->params.zitrans,
                                   scene->params.zftrans);
    EXPECT_NEAR(shown.x, presetTable[2].diveTargets[1].x, 1e-6);
    EXPECT_NEAR(shown.y, presetTable[2].diveTargets[1].y, 1e-6);
}

TEST(Dive, TurnsAtTheFloorAndTakesANewTargetAtTheTop)
{
    auto scene = settledScene(60100, 2, 3);
    scene->animation.autoDive = true;
    scene->animation.diveTarget = 1;
    scene->params.zitrans = presetTable[2].diveTargets[1];
    scene->params.ws = 0.2f;
    scene->params.ad = -0.1f;
    scene->params.alpha = 0.5f;
    cameraFrame(*scene, 200.0f);
    EXPECT_EQ(scene->params.zzoom, 0.00025f);
    EXPECT_FALSE(scene->animation.diveZoomingIn);
    // At the top: 5 % 4 repeats target 1, 7 gives 3; the draw 1 keeps the dive going.
    scriptDraws({5, 7, 1});
    cameraFrame(*scene, 200.0f);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_EQ(scene->params.zzoom, homeZoom);
    EXPECT_TRUE(scene->animation.diveZoomingIn);
    EXPECT_EQ(scene->animation.diveTarget, 3);
    const Vec2 target = presetTable[2].diveTargets[3];
    EXPECT_EQ(scene->params.zitrans.x, target.x);
    EXPECT_TRUE(scene->animation.autoDive);
    // The pivot is the quad point shown at the target's home-view position on the window.
    const Vec2 q = scene->animation.pivot;
    const double ny = (q.y + 1.0) * std::cos(0.5) - 1.0 + 0.2;
    EXPECT_NEAR(q.x + -0.1, target.x / homeZoom, 1e-6);
    EXPECT_NEAR(ny, target.y / homeZoom, 1e-6);
    // Back at the top once more: this time the chance ends the dive.
    cameraFrame(*scene, 200.0f);
    scriptDraws({0, 0});
    cameraFrame(*scene, 200.0f);
    EXPECT_FALSE(scene->animation.autoDive);
}

TEST(Dive, ARequestedMorphEndsItAtTheTop)
{
    auto scene = settledScene(60100, 2, 3);
    scene->animation.autoDive = true;
    scene->animation.diveZoomingIn = false;
    scene->animation.morphRequested = true;
    scene->params.zzoom = 1.3f;
    scriptDraws({1, 1});
    cameraFrame(*scene, 1.0f);
    EXPECT_EQ(drawsLeft(), 0);
    EXPECT_FALSE(scene->animation.autoDive);
    cameraFrame(*scene, 0.016f);
    EXPECT_EQ(scene->animation.iterationFloor, 20);
    EXPECT_EQ(scene->params.zzoom, homeZoom);
}

TEST(Dive, StartedFromTheHomeViewSetsOutFromIt)
{
    auto scene = settledScene(60100, 2, 3);
    scene->params.theta = 0.0f;
    runFrame(*scene, 60984);
    scriptSecond({{SecondChance::dive, {2}}});
    runFrame(*scene, 61000);
    ASSERT_TRUE(scene->animation.autoDive);
    // 1/60 s at speed 1 shrinks the zoom by 0.18%: the window corner moves by less than 0.3%.
    const Vec2 corner = quadToPlane({1.0f, 1.0f}, scene->params.theta, scene->params.zzoom,
                                    scene->params.zitrans, scene->params.zftrans);
    EXPECT_NEAR(corner.x, homeZoom, 0.01f);
    EXPECT_NEAR(corner.y, homeZoom, 0.01f);
}

TEST(Dive, APointerZoomInterruptsItAndTheDiveResumesFromWhereItLeft)
{
    auto scene = settledScene(60100, 2, 3);
    scene->animation.autoDive = true;
    scene->params.zitrans = presetTable[2].diveTargets[0];
    scene->animation.pivot = {0.0f, 0.0f};
    cameraFrame(*scene, 1.0f);
    scene->animation.cursorZoomIn = true;
    scene->session.mouseX = 200;
    scene->session.mouseY = 200;
    cameraFrame(*scene, 0.5f);
    EXPECT_TRUE(scene->animation.autoDive);
    scene->animation.cursorZoomIn = false;
    scene->animation.cursorZoomOut = true;
    cameraFrame(*scene, 30.0f);
    EXPECT_EQ(scene->params.zzoom, homeZoom);
    const Vec2 anchor = scene->params.zitrans;
    const Vec2 pivot = scene->animation.pivot;
    EXPECT_NE(anchor.x, presetTable[2].diveTargets[0].x);
    scene->params.zzoom = 1.0f;
    cameraFrame(*scene, 0.1f);
    EXPECT_EQ(scene->params.zitrans.x, anchor.x);
    EXPECT_EQ(scene->animation.pivot.x, pivot.x);
    EXPECT_EQ(scene->params.theta, 0.0f);
}

TEST(HomeView, WithoutRequestsEveryFrameShowsIt)
{
    auto scene = viewScene();
    scene->animation.iterationFloor = 800;
    cameraFrame(*scene, 0.016f);
    EXPECT_EQ(scene->params.zzoom, homeZoom);
    EXPECT_EQ(scene->params.zitrans.x, 0.0f);
    EXPECT_EQ(scene->params.zftrans.y, 0.0f);
    EXPECT_EQ(scene->animation.iterationFloor, 20);
    EXPECT_EQ(scene->params.ws, 0.2f);
    EXPECT_EQ(scene->params.ad, 0.1f);
}

TEST(CameraPriority, RectangleBeforeClickBeforePointerBeforeReturnBeforeDive)
{
    auto scene = viewScene();
    scene->session.selectStart = {100, 100};
    scene->session.selectEnd = {500, 300};
    scene->animation.rectZoom = true;
    scene->animation.clickZoom = true;
    scene->animation.cursorZoomIn = true;
    scene->animation.autoDive = true;
    cameraFrame(*scene, 0.1f);
    EXPECT_FALSE(scene->animation.rectZoom);
    EXPECT_TRUE(scene->animation.clickZoom);
    const float afterRectangle = scene->params.zzoom;
    cameraFrame(*scene, 0.1f);
    EXPECT_NEAR(scene->params.zzoom, afterRectangle * std::pow(0.9, 4.0), 1e-7);  // the click's rate
    scene->animation.clickZoom = false;
    const float afterClick = scene->params.zzoom;
    cameraFrame(*scene, 0.1f);
    EXPECT_NEAR(scene->params.zzoom, afterClick * std::pow(0.9, 1.0), 1e-7);  // the pointer's rate
    EXPECT_NE(scene->params.theta, 0.0f);  // not the dive, which would hold theta at 0
}

}  // namespace
