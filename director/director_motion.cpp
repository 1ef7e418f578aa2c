// The director's continuous motion: rotation and its reversals, automatic tilt and crossblend, fade.
#include "director/director_steps.h"

namespace director {

float spanProgress(uint32_t start, uint32_t end, uint32_t now)
{
    const uint32_t span = end - start;
    if (span == 0) {
        return 1.0f;
    }
    const float progress = static_cast<float>(now - start) / static_cast<float>(span);
    return progress > 1.0f ? 1.0f : progress;
}

// The reversal slows the rotation, stops it and runs it the other way across its span.
void advanceReversal(AnimationState& animation, uint32_t now)
{
    if (!animation.reversing) {
        return;
    }
    const float progress = spanProgress(animation.reverseStartTicks, animation.reverseEndTicks, now);
    float direction = animation.reverseFrom > 0.0f ? animation.reverseFrom - 2.0f * progress
                                                   : animation.reverseFrom + 2.0f * progress;
    if (direction > 1.0f) {
        direction = 1.0f;
    } else if (direction < -1.0f) {
        direction = -1.0f;
    }
    animation.rotationDirection = direction;
    if (progress == 1.0f) {
        animation.reversing = false;
    }
}

// The automatic rotation pauses while the user turns or zooms the picture.
void advanceRotation(AnimationState& animation, FractalParams& params, const SessionState& session)
{
    const bool userSteers = animation.cursorZoomIn || animation.cursorZoomOut || animation.clickZoom ||
                            animation.manualRotate || session.selecting;
    if (!userSteers) {
        params.theta += session.frameSeconds * animation.rotationSpeed * animation.rotationDirection;
    }
    animation.manualRotate = false;
}

void advanceTiltAndBlend(const AnimationState& animation, FractalParams& params, const SessionState& session)
{
    if (animation.autoTilt && !animation.autoTiltHold && !session.selecting) {
        params.alpha += session.frameSeconds * animation.tiltDirection * 0.25f;
    }
    if (animation.autoBlend && !animation.autoBlendHold) {
        params.bgfractalblend += session.frameSeconds * animation.blendDirection * 0.025f;
    }
}

// A full fade takes 2 s; reaching full brightness arms the next scene change.
void advanceFade(AnimationState& animation, FractalParams& params, float frameSeconds)
{
    if (animation.fadingOut) {
        params.fade -= frameSeconds * 0.5f;
    } else if (animation.fadingIn) {
        params.fade += frameSeconds * 0.5f;
    }
    if (params.fade >= 1.0f) {
        animation.fadeRearmed = true;
    }
}

}  // namespace director
