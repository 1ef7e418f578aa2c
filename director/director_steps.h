// The animation director's steps, shared between its source files; not for use outside the director.
#pragma once
#include <cstdint>

#include "audio/analysis_results.h"
#include "render/fractal_params.h"
#include "director/presets.h"
#include "state/animation_state.h"
#include "state/session_state.h"

// Kept apart from the names of the rest of the program, which links them all into one binary.
namespace director {

constexpr float twoPi = 6.2831854820251465f;
constexpr float quarterPi = 0.7853981852531433f;

// What the audio thread left for this frame, read once with relaxed loads.
struct BandSnapshot {
    float levels[bandCountFixed];
    float peaks[bandCountFixed];
    uint32_t beatCount;
    bool silent;
};

// One band's push on a value: value * gain + offset.
struct BandPush {
    float gain;
    float offset;
};

// A draw below n: one draw from the program's generator, reduced modulo n.
int drawBelow(int n);
// Draws below n until the value differs from avoid.
int drawOtherThan(int n, int avoid);
// One chance of one in n: always makes its draw.
bool chance(int n);

// Share of the span from start to end that has passed at now, within [0, 1]; an empty span counts
// as passed.
float spanProgress(uint32_t start, uint32_t end, uint32_t now);

BandSnapshot readBands(const AnalysisResults& audio);
void followSilence(AnimationState& animation, bool silent, float frameSeconds);
void measureBeatRate(AnimationState& animation, uint32_t beatCount, uint32_t now);
void setRotationSpeedFromBeatRate(AnimationState& animation, bool silent);
void chooseBand(BandRule& rule, int firstBand, const BandSnapshot& bands);
BandPush bandPush(const BandSnapshot& bands, const BandRule& rule);
void applyPushes(AnimationState& animation, FractalParams& params, BandPush iterations, BandPush threshold);

void runSecondChances(AnimationState& animation, FractalParams& params, const SessionState& session,
                      uint32_t now);

void advanceReversal(AnimationState& animation, uint32_t now);
void advanceRotation(AnimationState& animation, FractalParams& params, const SessionState& session);
void advanceTiltAndBlend(const AnimationState& animation, FractalParams& params, const SessionState& session);
void advanceFade(AnimationState& animation, FractalParams& params, float frameSeconds);

void changeSceneAfterFade(AnimationState& animation, const FractalParams& params);
void updateColour(AnimationState& animation, FractalParams& params);
void updateMorph(AnimationState& animation, FractalParams& params, uint32_t now);
void applyFormulaLimits(AnimationState& animation, FractalParams& params);
bool morphFrameNeedsLowDetail(const AnimationState& animation, const FractalParams& params);

// A low-detail frame is drawn with 10 to 19 iterations; the bounded count stays the base.
void applyBounds(AnimationState& animation, FractalParams& params, bool lowDetail);

}  // namespace director
