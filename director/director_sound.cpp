// The director's steps driven by the sound: silence timers, beat rate, band choice and band pushes.
#include <cmath>
#include <cstdint>
#include <limits>

#include "director/director_steps.h"

namespace director {

namespace {

// Truncation toward zero that saturates at the 32-bit limits; not-a-number gives 0.
int64_t truncateSaturated(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int64_t>(value);
}

int32_t saturateToInt32(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    if (value < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(value);
}

}  // namespace

BandSnapshot readBands(const AnalysisResults& audio)
{
    BandSnapshot bands{};
    for (int b = 0; b < bandCountFixed; ++b) {
        bands.levels[b] = audio.bandLevels[b].load(std::memory_order_relaxed);
        bands.peaks[b] = audio.bandPeaks[b].load(std::memory_order_relaxed);
    }
    bands.beatCount = audio.beatCount.load(std::memory_order_relaxed);
    bands.silent = audio.silent.load(std::memory_order_relaxed);
    return bands;
}

void followSilence(AnimationState& animation, bool silent, float frameSeconds)
{
    if (silent) {
        animation.silentSeconds += frameSeconds;
        animation.soundSeconds = 0.0f;
    } else {
        animation.silentSeconds = 0.0f;
        animation.soundSeconds += frameSeconds;
    }
    if (animation.silentSeconds > 1.0f) {
        animation.fadingOut = true;
        animation.fadingIn = false;
    } else if (animation.soundSeconds > 0.25f) {
        animation.fadingOut = false;
        animation.fadingIn = true;
    }
}

// A count below the last one means the analysis was reset: that change gives no rate, as an
// unsigned difference across it would be near 2^32.
void measureBeatRate(AnimationState& animation, uint32_t beatCount, uint32_t now)
{
    if (beatCount == animation.lastBeatCount) {
        return;
    }
    if (beatCount > 1 && beatCount > animation.lastBeatCount && now != animation.lastBeatTicks) {
        const float beats = static_cast<float>(beatCount - animation.lastBeatCount);
        const float seconds = static_cast<float>(now - animation.lastBeatTicks) / 1000.0f;
        animation.beatRate = beats / seconds;
    }
    animation.lastBeatTicks = now;
    animation.lastBeatCount = beatCount;
}

void setRotationSpeedFromBeatRate(AnimationState& animation, bool silent)
{
    animation.rotationSpeed = silent ? 0.0f : animation.beatRate * 0.5f;
    if (animation.rotationSpeed > twoPi) {
        animation.rotationSpeed = twoPi;
    }
}

// Only a new choice of loudest or quietest picks the band again; ties keep the lower band.
void chooseBand(BandRule& rule, int firstBand, const BandSnapshot& bands)
{
    const bool pickLoudest = rule.pickLoudest;
    if (pickLoudest == rule.pickApplied) {
        return;
    }
    float best = pickLoudest ? 0.0f : 1.0f;
    for (int b = firstBand; b < firstBand + 3; ++b) {
        if (!(bands.peaks[b] > 0.0f)) {
            continue;
        }
        const float ratio = bands.levels[b] / bands.peaks[b];
        if ((pickLoudest && ratio > best) || (!pickLoudest && ratio < best)) {
            best = ratio;
            rule.band = b;
        }
    }
    rule.pickApplied = pickLoudest;
}

// A band value that is not a finite number carries nothing and leaves the value as it is.
BandPush bandPush(const BandSnapshot& bands, const BandRule& rule)
{
    const float level = bands.levels[rule.band];
    const float peak = bands.peaks[rule.band];
    const float direction = rule.direction;
    if (rule.additive) {
        const float offset = level * direction;
        return {1.0f, std::isfinite(offset) ? offset : 0.0f};
    }
    if (!(peak > 0.0f)) {
        return {1.0f, 0.0f};
    }
    const float gain = 1.0f + 0.1f * direction * (level / peak);
    return {std::isfinite(gain) ? gain : 1.0f, 0.0f};
}

// Both terms of the iteration count are truncated on their own and the sum saturates, so an
// energy beyond the 32-bit range cannot overflow.
void applyPushes(AnimationState& animation, FractalParams& params, BandPush iterations, BandPush threshold)
{
    const int64_t scaled = truncateSaturated(static_cast<double>(animation.iterationBase) * iterations.gain);
    const int64_t added = truncateSaturated(iterations.offset);
    params.max_iterations = saturateToInt32(scaled + added);
    params.divergence_thresh2 = params.divergence_thresh2 * threshold.gain + threshold.offset;
}

}  // namespace director
