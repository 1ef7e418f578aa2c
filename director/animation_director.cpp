// The animation director's start values and its per-frame update, step by step.
#include "director/animation_director.h"

#include "director/camera_moves.h"
#include "director/director_steps.h"
#include "state/session_clock.h"

using namespace director;

namespace {

// Start values of the parameters; the draws come in the order theta, iteration count, preset,
// colour mode, next preset.
void startParams(AnimationState& animation, FractalParams& params)
{
    params = FractalParams{};
    params.theta = static_cast<float>(randomDraw()) / 32767.0f * 6.2831855f;
    params.max_iterations = 10000 + drawBelow(5000);
    animation.presetIndex = drawBelow(presetCount);
    params.colormode = drawBelow(7);
    animation.nextPresetIndex = drawOtherThan(presetCount, animation.presetIndex);
    params.divergence_thresh2 = 1000.0f;
    params.zzoom = homeZoom;
    params.bgfractalblend = 0.25f;
}

// Frame clock: the unsigned difference stays right across the wrap of the tick counter.
uint32_t advanceClock(SessionState& session)
{
    const uint32_t now = currentTicks();
    session.frameSeconds = static_cast<float>(now - session.lastFrameTicks) / 1000.0f;
    session.lastFrameTicks = now;
    return now;
}

void advanceBlink(AnimationState& animation, uint32_t now)
{
    if (now / 500 != animation.lastHalfSecond) {
        animation.lastHalfSecond = now / 500;
        animation.blink = !animation.blink;
    }
}

}  // namespace

void initAnimation(AnimationState& animation, FractalParams& params, uint32_t startTicks)
{
    animation = AnimationState{};
    for (int& entry : animation.presetHistory) {
        entry = -1;
    }
    animation.morphStartTicks = startTicks;
    animation.morphEndTicks = startTicks;
    animation.lastBeatTicks = startTicks;
    animation.reverseStartTicks = startTicks;
    animation.reverseEndTicks = startTicks;
    animation.lastHalfSecond = startTicks / 500;
    startParams(animation, params);
    animation.iterationBase = params.max_iterations;
}

void updateAnimation(AnimationState& animation, FractalParams& params, SessionState& session,
                     const DisplayState& display, const AnalysisResults& audio)
{
    const uint32_t now = advanceClock(session);
    if (now / 1000 != session.lastWholeSecond) {
        session.lastWholeSecond = now / 1000;
        runSecondChances(animation, params, session, now);
    }
    advanceBlink(animation, now);
    const BandSnapshot bands = readBands(audio);
    followSilence(animation, bands.silent, session.frameSeconds);
    measureBeatRate(animation, bands.beatCount, now);
    setRotationSpeedFromBeatRate(animation, bands.silent);
    chooseBand(animation.iterationRule, 1, bands);
    const BandPush iterationPush = bandPush(bands, animation.iterationRule);
    advanceReversal(animation, now);
    chooseBand(animation.thresholdRule, 4, bands);
    const BandPush thresholdPush = bandPush(bands, animation.thresholdRule);
    advanceRotation(animation, params, session);
    applyPushes(animation, params, iterationPush, thresholdPush);
    advanceTiltAndBlend(animation, params, session);
    advanceFade(animation, params, session.frameSeconds);
    changeSceneAfterFade(animation, params);
    updateColour(animation, params);
    updateMorph(animation, params, now);
    applyFormulaLimits(animation, params);
    applyBounds(animation, params, morphFrameNeedsLowDetail(animation, params));
    updateCamera(animation, params, session, display, bands);
}
