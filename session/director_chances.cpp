// The director's random draws and its fourteen once-per-second chances, in their fixed order.
#include "session/director_steps.h"
#include "session/session_clock.h"

namespace director {

int drawBelow(int n)
{
    return randomDraw() % n;
}

int drawOtherThan(int n, int avoid)
{
    int value = drawBelow(n);
    while (value == avoid) {
        value = drawBelow(n);
    }
    return value;
}

bool chance(int n)
{
    return drawBelow(n) == 0;
}

namespace {

// Chance 1; a morph asked for with M waits for a whole second at which nothing blocks it.
void maybeStartMorph(AnimationState& animation, const SessionState& session, bool free, uint32_t now)
{
    const bool wanted = chance(10) || animation.morphRequested;
    if (wanted && !animation.morphing && !animation.autoDive && free && !session.selecting) {
        animation.morphing = true;
        animation.morphRequested = false;
        animation.morphStartTicks = now;
        animation.morphEndTicks = now + 1000 + static_cast<uint32_t>(drawBelow(1500));
    }
}

// Chance 2.
void maybeStartReversal(AnimationState& animation, bool free, uint32_t now)
{
    if (chance(30) && !animation.reversing && free) {
        animation.reversing = true;
        animation.reverseStartTicks = now;
        animation.reverseEndTicks = now + 1000 + static_cast<uint32_t>(drawBelow(2000));
        animation.reverseFrom = animation.rotationDirection > 0.0f ? 1.0f : -1.0f;
    }
}

// Chances 3 and 4.
void maybeChangeColours(AnimationState& animation)
{
    if (chance(20) && !animation.colourStrobe) {
        animation.colourStrobe = true;
        animation.strobeLength = 50 + drawBelow(100);
        animation.strobeFrames = 0;
    }
    if (chance(8)) {
        animation.baseColormode = drawBelow(7);
    }
}

// Chances 5 to 8.
void maybeFlipBandRules(AnimationState& animation)
{
    if (chance(20)) {
        animation.iterationPickLoudest = !animation.iterationPickLoudest;
    }
    if (chance(20)) {
        animation.iterationAdditive = !animation.iterationAdditive;
    }
    if (chance(20)) {
        animation.thresholdPickLoudest = !animation.thresholdPickLoudest;
    }
    if (chance(20)) {
        animation.thresholdAdditive = !animation.thresholdAdditive;
    }
}

// Chance 9: the pivot is the quad point that shows the target in the home view.
void maybeStartDive(AnimationState& animation, FractalParams& params, bool free)
{
    const bool quiet = !animation.autoDive && !animation.morphing && !animation.reversing;
    if (chance(20) && free && quiet && params.bgfractalblend < 1.0f) {
        animation.autoDive = true;
        animation.diveTarget = drawBelow(4);
        params.zitrans = presetTable[animation.presetIndex].diveTargets[animation.diveTarget];
        animation.pivot.x = params.zitrans.x / homeZoom;
        animation.pivot.y = params.zitrans.y / homeZoom;
        animation.iterationAdditive = true;
    }
}

// Chances 10 to 14: the tilt and crossblend cycles and the end of a held user zoom.
void maybeAdvanceCycles(AnimationState& animation, bool free)
{
    if (chance(20) && !animation.autoTilt && free) {
        animation.autoTilt = true;
    }
    if (chance(20) && animation.autoTilt && free) {
        animation.autoTiltHold = false;
    }
    if (chance(40) && !animation.autoBlend) {
        animation.autoBlend = true;
    }
    if (chance(10) && animation.autoBlend) {
        animation.autoBlendHold = false;
    }
    if (chance(2) && animation.userZoomed) {
        animation.userZoomed = false;
    }
}

}  // namespace

void runSecondChances(AnimationState& animation, FractalParams& params, const SessionState& session,
                      uint32_t now)
{
    // Free: no pointer zoom is running.
    const bool free = !animation.cursorZoomIn && !animation.cursorZoomOut;
    maybeStartMorph(animation, session, free, now);
    maybeStartReversal(animation, free, now);
    maybeChangeColours(animation);
    maybeFlipBandRules(animation);
    maybeStartDive(animation, params, free);
    maybeAdvanceCycles(animation, free);
}

}  // namespace director
