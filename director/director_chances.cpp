// The director's random draws and its once-per-second chances, in their fixed order.
#include "director/director_steps.h"
#include "director/second_chances.h"
#include "state/session_clock.h"

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

// Always makes its draw, whatever the conditions next to it.
bool secondChance(SecondChance which)
{
    return chance(secondChanceOdds[static_cast<int>(which)]);
}

// One chance in ten of a morph; a morph asked for with M waits for a whole second at which nothing
// blocks it.
void maybeStartMorph(AnimationState& animation, const SessionState& session, bool free, uint32_t now)
{
    const bool wanted = secondChance(SecondChance::morph) || animation.morphRequested;
    if (wanted && !animation.morphing && !animation.autoDive && free && !session.selecting) {
        animation.morphing = true;
        animation.morphRequested = false;
        animation.morphStartTicks = now;
        animation.morphEndTicks = now + 1000 + static_cast<uint32_t>(drawBelow(1500));
    }
}

// One chance in thirty of reversing the rotation for one to three seconds.
void maybeStartReversal(AnimationState& animation, bool free, uint32_t now)
{
    if (secondChance(SecondChance::reversal) && !animation.reversing && free) {
        animation.reversing = true;
        animation.reverseStartTicks = now;
        animation.reverseEndTicks = now + 1000 + static_cast<uint32_t>(drawBelow(2000));
        animation.reverseFrom = animation.rotationDirection > 0.0f ? 1.0f : -1.0f;
    }
}

// A colour strobe of 50 to 149 frames, one chance in twenty; a new base colour mode, one in eight.
void maybeChangeColours(AnimationState& animation)
{
    if (secondChance(SecondChance::strobe) && !animation.colourStrobe) {
        animation.colourStrobe = true;
        animation.strobeLength = 50 + drawBelow(100);
        animation.strobeFrames = 0;
    }
    if (secondChance(SecondChance::colourMode)) {
        animation.baseColormode = drawBelow(7);
    }
}

// Each of the four band rules (loudest or quietest band, additive or not, for the iteration cap
// and for the threshold) flips with one chance in twenty.
void maybeFlipBandRules(AnimationState& animation)
{
    if (secondChance(SecondChance::iterationPickRule)) {
        animation.iterationRule.pickLoudest = !animation.iterationRule.pickLoudest;
    }
    if (secondChance(SecondChance::iterationAddRule)) {
        animation.iterationRule.additive = !animation.iterationRule.additive;
    }
    if (secondChance(SecondChance::thresholdPickRule)) {
        animation.thresholdRule.pickLoudest = !animation.thresholdRule.pickLoudest;
    }
    if (secondChance(SecondChance::thresholdAddRule)) {
        animation.thresholdRule.additive = !animation.thresholdRule.additive;
    }
}

// One chance in twenty of a dive toward one of the preset's four targets; the pivot is the quad point that shows the target in the home view.
void maybeStartDive(AnimationState& animation, FractalParams& params, bool free)
{
    const bool quiet = !animation.autoDive && !animation.morphing && !animation.reversing;
    if (secondChance(SecondChance::dive) && free && quiet && params.bgfractalblend < 1.0f) {
        animation.autoDive = true;
        animation.diveTarget = drawBelow(4);
        params.zitrans = presetTable[animation.presetIndex].diveTargets[animation.diveTarget];
        animation.pivot.x = params.zitrans.x / homeZoom;
        animation.pivot.y = params.zitrans.y / homeZoom;
        animation.iterationRule.additive = true;
    }
}

// The tilt and crossblend cycles start and release their holds by chance; a held user zoom ends with
// one chance in two.
void maybeAdvanceCycles(AnimationState& animation, bool free)
{
    if (secondChance(SecondChance::tiltStart) && !animation.autoTilt && free) {
        animation.autoTilt = true;
    }
    if (secondChance(SecondChance::tiltHoldRelease) && animation.autoTilt && free) {
        animation.autoTiltHold = false;
    }
    if (secondChance(SecondChance::blendStart) && !animation.autoBlend) {
        animation.autoBlend = true;
    }
    if (secondChance(SecondChance::blendHoldRelease) && animation.autoBlend) {
        animation.autoBlendHold = false;
    }
    if (secondChance(SecondChance::userZoomRelease) && animation.userZoomed) {
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
