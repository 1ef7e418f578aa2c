// The director's bounds: reflections, wraps and clamps that bring every parameter back into range.
#include <cmath>
#include <cstdint>

#include "director/director_steps.h"

namespace director {

namespace {

constexpr float thresholdFloor = 8.0f;
constexpr float thresholdCeiling = 1e8f;

// A value beyond either end comes back inside by as much as it overshot, and the rule that pushed it
// turns round. A value that is not a number compares with neither end and stays as it is.
template <typename T>
T reflectInto(T value, T floor, T ceiling, BandRule& rule)
{
    if (value > ceiling) {
        rule.direction = -rule.direction;
        return 2 * ceiling - value;
    }
    if (value < floor) {
        rule.direction = -rule.direction;
        return 2 * floor - value;
    }
    return value;
}

// Reflected at the floor and the ceiling (which reverses the band's push), then clamped. Worked in
// 64 bits, since the count may arrive anywhere in the 32-bit range.
void boundIterations(AnimationState& animation, FractalParams& params, bool lowDetail)
{
    const int64_t ceiling = animation.iterationCeiling;
    const int64_t floor = animation.iterationFloor;
    int64_t count = reflectInto<int64_t>(params.max_iterations, floor, ceiling, animation.iterationRule);
    count = count < floor ? floor : (count > ceiling ? ceiling : count);
    params.max_iterations = static_cast<int32_t>(count);
    animation.iterationBase = params.max_iterations;
    if (lowDetail) {
        params.max_iterations = 10 + drawBelow(10);
    }
}

// Reflected at 8 and 1e8. A value that overshoots by more than the whole range would land beyond
// the other end, so the reflection is followed by a clamp.
void boundThreshold(AnimationState& animation, FractalParams& params)
{
    float threshold = reflectInto(params.divergence_thresh2, thresholdFloor, thresholdCeiling, animation.thresholdRule);
    if (!(threshold >= thresholdFloor)) {
        threshold = thresholdFloor;
    } else if (threshold > thresholdCeiling) {
        threshold = thresholdCeiling;
    }
    params.divergence_thresh2 = threshold;
}

// Into [0, 2pi). Far-off angles are reduced first, since repeated subtraction makes no progress on
// a float much larger than 2pi; a tiny negative angle plus 2pi rounds to 2pi itself, which is 0.
float wrappedAngle(float theta)
{
    if (!std::isfinite(theta)) {
        return 0.0f;
    }
    if (std::fabs(theta) > 64.0f * twoPi) {
        theta = static_cast<float>(std::fmod(static_cast<double>(theta), static_cast<double>(twoPi)));
    }
    while (theta >= twoPi) {
        theta -= twoPi;
    }
    while (theta < 0.0f) {
        theta += twoPi;
    }
    return theta >= twoPi ? 0.0f : theta;
}

// The automatic tilt holds at the top and ends at the bottom.
void boundTilt(AnimationState& animation, FractalParams& params)
{
    if (params.alpha > quarterPi) {
        params.alpha = quarterPi;
        animation.tiltDirection = -1.0f;
        if (animation.autoTilt) {
            animation.autoTiltHold = true;
        }
    } else if (params.alpha < 0.0f) {
        params.alpha = 0.0f;
        animation.tiltDirection = 1.0f;
        animation.autoTilt = false;
    }
}

// The automatic crossblend holds once past 0.75 and ends below 0.25.
void boundBlend(AnimationState& animation, FractalParams& params)
{
    if (animation.autoBlend) {
        if (params.bgfractalblend > 0.75f && animation.blendDirection > 0.0f) {
            animation.blendDirection = -1.0f;
            animation.autoBlendHold = true;
        } else if (params.bgfractalblend < 0.25f && animation.blendDirection < 0.0f) {
            animation.blendDirection = 1.0f;
            animation.autoBlend = false;
        }
    }
    if (params.bgfractalblend > 1.0f) {
        params.bgfractalblend = 1.0f;
        animation.blendDirection = -1.0f;
    } else if (params.bgfractalblend < 0.0f) {
        params.bgfractalblend = 0.0f;
        animation.blendDirection = 1.0f;
    }
}

float clamped(float value, float low, float high)
{
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

void applyBounds(AnimationState& animation, FractalParams& params, bool lowDetail)
{
    boundIterations(animation, params, lowDetail);
    boundThreshold(animation, params);
    params.theta = wrappedAngle(params.theta);
    boundTilt(animation, params);
    boundBlend(animation, params);
    params.fade = clamped(params.fade, 0.0f, 1.0f);
    params.ws = clamped(params.ws, -0.5f, 0.5f);
    params.ad = clamped(params.ad, -0.5f, 0.5f);
}

}  // namespace director
