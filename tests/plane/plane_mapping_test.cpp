// Tests of the pixel, quad and plane mappings and of the zoom about a fixed point.
#include <gtest/gtest.h>

#include <cmath>

#include "render/plane_mapping.h"

namespace {

constexpr int width = 1920;
constexpr int height = 1080;

// The vertex stage's placement of a quad point, as the shader computes it, in window pixels with
// the origin at the top left (the inverse direction of pixelToQuad).
void shownAtPixel(Vec2 q, float alpha, float ws, float ad, double& px, double& py)
{
    const double x = q.x + ad;
    const double y = (q.y + 1.0) * std::cos(alpha) - 1.0 + ws;
    px = (x + 1.0) * 0.5 * (width - 1);
    py = (height - 1) - (y + 1.0) * 0.5 * (height - 1);
}

TEST(PixelToQuad, CornersAndOffsetMatchTheWindowEdges)
{
    const Vec2 topLeft = pixelToQuad(0, 0, 0.0f, 0.0f, 0.0f, width, height);
    EXPECT_EQ(topLeft.x, -1.0f);
    EXPECT_EQ(topLeft.y, 1.0f);
    const Vec2 bottomRight = pixelToQuad(1919, 1079, 0.0f, 0.0f, 0.0f, width, height);
    EXPECT_EQ(bottomRight.x, 1.0f);
    EXPECT_EQ(bottomRight.y, -1.0f);
    EXPECT_EQ(pixelToQuad(0, 0, 0.0f, 0.0f, 0.25f, width, height).x, -1.25f);
}

TEST(PixelToQuad, VerticalOffsetIsTakenAfterTheTiltIsUndone)
{
    const float alpha = 0.6f;
    const float ws = 0.3f;
    const Vec2 q = pixelToQuad(700, 200, alpha, ws, 0.0f, width, height);
    const double ny = 2.0 * (height - 1 - 200) / (height - 1) - 1.0;
    const double shownNy = (q.y + 1.0) * std::cos(alpha) - 1.0 + ws;
    // The quad point is shown ws * (1 - cos alpha) above the pixel; 1e-6 covers float rounding of
    // values near 1.
    EXPECT_NEAR(shownNy, ny + ws * (1.0 - std::cos(alpha)), 1e-6);
    EXPECT_GT(shownNy - ny, 0.05);
}

TEST(PixelToQuad, OnePixelWideDrawableGivesTheCentreColumn)
{
    const Vec2 q = pixelToQuad(0, 5, 0.0f, 0.0f, 0.125f, 1, 11);
    EXPECT_EQ(q.x, -0.125f);
    EXPECT_EQ(q.y, 0.0f);
}

TEST(QuadToPlane, RotationAndZoomOfAUnitPoint)
{
    const Vec2 none{0.0f, 0.0f};
    const Vec2 straight = quadToPlane({1.0f, 0.0f}, 0.0f, 2.0f, none, none);
    EXPECT_EQ(straight.x, 2.0f);
    EXPECT_EQ(straight.y, 0.0f);
    const Vec2 turned = quadToPlane({1.0f, 0.0f}, 1.5707963705062866f, 2.0f, none, none);
    // pi/2 as a float is off by about 4.4e-8, so x is about -8.7e-8 rather than 0.
    EXPECT_NEAR(turned.x, 0.0f, 1e-6);
    EXPECT_NEAR(turned.y, 2.0f, 1e-6);
}

TEST(QuadToPlane, TranslationsApplyBeforeAndAfterTheRotation)
{
    // Inner translation (0.5, 0) moves the quad point to 1.5, rotated by pi to -3 at zoom 2, then
    // shifted by the outer (1, 1). 1e-6: float rounding of cos(pi) and sin(pi) times 3.
    const Vec2 z = quadToPlane({1.0f, 0.0f}, 3.1415927f, 2.0f, {0.5f, 0.0f}, {1.0f, 1.0f});
    EXPECT_NEAR(z.x, -2.0f, 1e-6);
    EXPECT_NEAR(z.y, 1.0f, 1e-6);
}

TEST(PivotTranslation, PinsThePlanePointToTheQuadPoint)
{
    const Vec2 a{0.5f, 0.25f};
    const Vec2 zf = pivotTranslation(a, {1.0f, 0.0f}, 0.0f, 2.0f);
    EXPECT_EQ(zf.x, -2.5f);
    EXPECT_EQ(zf.y, -0.25f);
    const Vec2 back = quadToPlane({1.0f, 0.0f}, 0.0f, 2.0f, a, zf);
    EXPECT_EQ(back.x, 0.5f);
    EXPECT_EQ(back.y, 0.25f);
}

struct ViewCase {
    float alpha, ws, ad, theta, zoom;
    Vec2 zitrans, zftrans;
    int px, py;
};

// The pixel shows the same plane point before and after a zoom about it, wherever pixelToQuad is
// the exact inverse of the vertex placement (ws or alpha 0).
TEST(ZoomAboutAPoint, PlanePointUnderThePixelStaysThere)
{
    const ViewCase cases[] = {
        {0.0f, 0.0f, 0.0f, 0.0f, 1.34f, {0.0f, 0.0f}, {0.0f, 0.0f}, 100, 900},
        {0.5f, 0.0f, 0.3f, 1.0f, 0.5f, {0.2f, -0.1f}, {0.05f, 0.4f}, 1500, 80},
        {0.7853982f, 0.0f, -0.5f, 4.0f, 0.01f, {-0.7f, 0.3f}, {0.1f, 0.1f}, 960, 540},
        {0.0f, 0.5f, 0.2f, 6.0f, 0.2f, {0.3f, 0.3f}, {-0.3f, 0.6f}, 1919, 0},
        {0.0f, -0.4f, -0.1f, 2.5f, 1.0f, {0.0f, 0.0f}, {0.0f, 0.0f}, 3, 1077},
    };
    for (const ViewCase& v : cases) {
        const Vec2 q = pixelToQuad(v.px, v.py, v.alpha, v.ws, v.ad, width, height);
        double sx = 0.0, sy = 0.0;
        shownAtPixel(q, v.alpha, v.ws, v.ad, sx, sy);
        // 1e-3 pixels: float rounding of normalised coordinates near 1 times about 1000 pixels.
        EXPECT_NEAR(sx, v.px, 1e-3);
        EXPECT_NEAR(sy, v.py, 1e-3);
        const Vec2 a = quadToPlane(q, v.theta, v.zoom, v.zitrans, v.zftrans);
        for (float zoom : {v.zoom * 0.9f, v.zoom * 0.01f, 1.34f}) {
            const Vec2 zf = pivotTranslation(a, q, v.theta, zoom);
            const Vec2 shown = quadToPlane(q, v.theta, zoom, a, zf);
            // The plane point and the pinned quad point are below 3 in size: a few float ulps.
            EXPECT_NEAR(shown.x, a.x, 2e-6) << v.px << "," << v.py << " zoom " << zoom;
            EXPECT_NEAR(shown.y, a.y, 2e-6) << v.px << "," << v.py << " zoom " << zoom;
        }
    }
}

}  // namespace
