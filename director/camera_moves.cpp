// Camera moves: rectangle, click and pointer zooms, the return to the home view and the dives.
#include "director/camera_moves.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "render/plane_mapping.h"
#include "director/director_steps.h"

using namespace director;

namespace {

Vec2 quadAtPixel(int x, int y, const FractalParams& params, const DisplayState& display)
{
    return pixelToQuad(x, y, params.alpha, params.ws, params.ad, display.drawableWidth, display.drawableHeight);
}

// The plane point now shown at the pivot becomes the inner translation, so that a zoom keeps it.
void anchorAtPivot(const AnimationState& animation, FractalParams& params)
{
    params.zitrans = quadToPlane(animation.pivot, params.theta, params.zzoom, params.zitrans, params.zftrans);
}

// Shows the anchored plane point at quad point q for the current rotation and zoom.
void pinAnchor(FractalParams& params, Vec2 q)
{
    params.zftrans = pivotTranslation(params.zitrans, q, params.theta, params.zzoom);
}

float scaledZoom(float zoom, double rate, double exponent)
{
    return static_cast<float>(zoom * std::pow(rate, exponent));
}

// Quad point shown at normalised window position (nx, ny), with the tilt and the offsets undone.
Vec2 quadShownAt(double nx, double ny, const FractalParams& params)
{
    Vec2 q;
    q.x = static_cast<float>(nx - params.ad);
    q.y = static_cast<float>((ny - params.ws + 1.0) / std::cos(static_cast<double>(params.alpha)) - 1.0);
    return q;
}

// In one frame the rectangle's centre moves to the window's centre and its larger
// relative side fills the window. A rectangle dragged beyond the window zooms out past the home
// view, to which the return that follows brings it back.
void zoomIntoRectangle(AnimationState& animation, FractalParams& params, const SessionState& session,
                       const DisplayState& display)
{
    animation.rectZoom = false;
    animation.userZoomed = true;
    animation.cursorZoomOut = true;
    const int w = std::abs(session.selectEnd.x - session.selectStart.x) + 1;
    const int h = std::abs(session.selectEnd.y - session.selectStart.y) + 1;
    const int cx = std::min(session.selectStart.x, session.selectEnd.x) + w / 2;
    const int cy = std::min(session.selectStart.y, session.selectEnd.y) + h / 2;
    animation.pivot = quadAtPixel(cx, cy, params, display);
    anchorAtPivot(animation, params);
    const double relativeWidth = static_cast<double>(w) / std::max(display.drawableWidth, 1);
    const double relativeHeight = static_cast<double>(h) / std::max(display.drawableHeight, 1);
    params.zzoom = static_cast<float>(params.zzoom * std::max(relativeWidth, relativeHeight));
    params.zzoom = std::max(params.zzoom, animation.zoomFloor);
    pinAnchor(params, quadShownAt(0.0, 0.0, params));
}

// The clicked point stays under the pointer while the zoom shrinks to the floor, where
// the view holds until the return is released.
void zoomTowardClick(AnimationState& animation, FractalParams& params, const SessionState& session,
                     const DisplayState& display)
{
    animation.pivot = quadAtPixel(session.selectStart.x, session.selectStart.y, params, display);
    anchorAtPivot(animation, params);
    params.zzoom = scaledZoom(params.zzoom, 0.9, 40.0 * session.frameSeconds);
    if (params.zzoom < animation.zoomFloor) {
        params.zzoom = animation.zoomFloor;
        animation.clickZoom = false;
        animation.userZoomed = true;
        animation.cursorZoomOut = true;
    }
    pinAnchor(params, animation.pivot);
}

// Zooms toward the pointer while the right button is held, following it as it moves.
void zoomTowardPointer(AnimationState& animation, FractalParams& params, const SessionState& session,
                       const DisplayState& display)
{
    animation.pivot = quadAtPixel(session.mouseX, session.mouseY, params, display);
    anchorAtPivot(animation, params);
    params.zzoom = std::max(scaledZoom(params.zzoom, 0.9, 10.0 * session.frameSeconds), animation.zoomFloor);
    pinAnchor(params, animation.pivot);
}

// Back out to the home zoom about the last pivot, unless the view is held. The floor applies here
// too, since a morph may have changed the formula while the view was held.
void returnToHome(AnimationState& animation, FractalParams& params, const SessionState& session)
{
    anchorAtPivot(animation, params);
    if (!animation.userZoomed && !session.selecting) {
        params.zzoom = scaledZoom(params.zzoom, 1.1, 10.0 * session.frameSeconds);
    }
    params.zzoom = std::max(params.zzoom, animation.zoomFloor);
    if (params.zzoom >= homeZoom) {
        params.zzoom = homeZoom;
        animation.cursorZoomOut = false;
    }
    pinAnchor(params, animation.pivot);
}

// Back at the top, a dive takes another target of its preset and ends by chance or for a morph.
void takeNextDiveTarget(AnimationState& animation, FractalParams& params)
{
    params.zzoom = homeZoom;
    animation.diveZoomingIn = true;
    animation.diveTarget = drawOtherThan(4, animation.diveTarget);
    params.zitrans = presetTable[animation.presetIndex].diveTargets[animation.diveTarget];
    animation.pivot = quadShownAt(params.zitrans.x / homeZoom, params.zitrans.y / homeZoom, params);
    if (chance(2) || animation.morphRequested) {
        animation.autoDive = false;
    }
}

// The lowest band's loudness relative to its peak speeds the dive up to half again; a band that
// carries no usable ratio gives the slowest speed.
float diveSpeedFor(const BandSnapshot& bands)
{
    const float level = bands.levels[0];
    const float peak = bands.peaks[0];
    const float speed = peak != 0.0f ? 20.0f + 10.0f * level / peak : 1.0f;
    return std::isfinite(speed) ? speed : 1.0f;
}

// An automatic dive, without rotation, in to the zoom floor and back out to the home zoom.
void advanceDive(AnimationState& animation, FractalParams& params, const SessionState& session,
                 const BandSnapshot& bands)
{
    params.theta = 0.0f;
    animation.iterationFloor = 800;
    const double rate = animation.diveZoomingIn ? 0.9 : 1.1;
    animation.diveSpeed = diveSpeedFor(bands);
    if (!session.selecting) {
        params.zzoom = scaledZoom(params.zzoom, rate, static_cast<double>(animation.diveSpeed) * session.frameSeconds);
    }
    if (params.zzoom >= homeZoom) {
        takeNextDiveTarget(animation, params);
    }
    if (params.zzoom <= animation.zoomFloor) {
        params.zzoom = animation.zoomFloor;
        animation.diveZoomingIn = false;
    }
    pinAnchor(params, animation.pivot);
}

// With no zoom under way the home view holds, at the lowest iteration floor.
void showHomeView(AnimationState& animation, FractalParams& params)
{
    animation.iterationFloor = 20;
    params.zzoom = homeZoom;
    params.zitrans = Vec2{};
    params.zftrans = Vec2{};
}

}  // namespace

void updateCamera(AnimationState& animation, FractalParams& params, const SessionState& session,
                  const DisplayState& display, const BandSnapshot& bands)
{
    if (animation.rectZoom) {
        zoomIntoRectangle(animation, params, session, display);
    } else if (animation.clickZoom) {
        zoomTowardClick(animation, params, session, display);
    } else if (animation.cursorZoomIn) {
        zoomTowardPointer(animation, params, session, display);
    } else if (animation.cursorZoomOut) {
        returnToHome(animation, params, session);
    } else if (animation.autoDive) {
        advanceDive(animation, params, session, bands);
    } else {
        showHomeView(animation, params);
    }
}
