// Per-buffer spectrum analysis on the audio thread: FFT, band energies, history statistics, beats, silence.
#include "audio/spectrum_analysis.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr auto relaxed = std::memory_order_relaxed;
constexpr float bandEdgesHz[bandCountFixed] = {0.0f, 70.0f, 150.0f, 350.0f, 750.0f, 1600.0f, 3500.0f};
constexpr uint32_t spectrumFloats = 2 * windowFrames;
constexpr float silenceThreshold = 0.001f;

struct HistoryStatistics {
    float peak;
    float mean;
    float deviation;
};

// Sum of the squares of spectrum floats [first, last), accumulated in single precision.
float energyBetween(const float* spectrum, uint32_t first, uint32_t last)
{
    float sum = 0.0f;
    for (uint32_t i = first; i < last; ++i) sum += spectrum[i] * spectrum[i];
    return sum;
}

// Band b spans bandBins[b] * ch up to the next band's start; the top band runs to the frame count.
void measureBands(const AudioContext& context, unsigned int frameCount, float levels[])
{
    const uint32_t channels = floatsPerFrame(context);
    const float* spectrum = reinterpret_cast<const float*>(context.spectrum);
    const uint32_t end = std::min<uint32_t>(frameCount * channels, spectrumFloats);
    for (int b = 0; b < bandCountFixed; ++b) {
        const uint32_t first = std::min(context.bandBins[b] * channels, end);
        const uint32_t last =
            b + 1 < bandCountFixed ? std::min(context.bandBins[b + 1] * channels, end) : end;
        levels[b] = energyBetween(spectrum, first, std::max(first, last));
    }
}

void recordLevels(AudioContext& context, const float levels[])
{
    uint32_t column = context.results.historyIndex.load(relaxed);
    for (int b = 0; b < bandCountFixed; ++b) {
        context.results.bandLevels[b].store(levels[b], relaxed);
        context.results.levelHistory[b * historyLengthFixed + column].store(levels[b], relaxed);
    }
    column += 1;
    if (column == historyLengthFixed) {
        column = 0;
        context.results.historyFull.store(true, relaxed);
    }
    context.results.historyIndex.store(column, relaxed);
}

// Peak, mean and population deviation over all 50 entries, zeros left by a reset included. Each
// statistic is accumulated in single precision, every difference rounded to float before squaring.
HistoryStatistics statisticsOf(const std::atomic<float>* entries)
{
    float peak = 0.0f;
    float sum = 0.0f;
    for (int j = 0; j < historyLengthFixed; ++j) {
        const float entry = entries[j].load(relaxed);
        if (entry > peak) peak = entry;
        sum += entry;
    }
    const float mean = sum / static_cast<float>(historyLengthFixed);
    float squares = 0.0f;
    for (int j = 0; j < historyLengthFixed; ++j) {
        const float difference = entries[j].load(relaxed) - mean;
        squares += difference * difference;
    }
    return {peak, mean, std::sqrt(squares / static_cast<float>(historyLengthFixed))};
}

// Returns band 0's statistics for the beat detector.
HistoryStatistics publishStatistics(AudioContext& context)
{
    HistoryStatistics lowest{};
    float meanSum = 0.0f;
    for (int b = 0; b < bandCountFixed; ++b) {
        const HistoryStatistics band = statisticsOf(&context.results.levelHistory[b * historyLengthFixed]);
        context.results.bandPeaks[b].store(band.peak, relaxed);
        context.results.bandMeans[b].store(band.mean, relaxed);
        context.results.bandDeviations[b].store(band.deviation, relaxed);
        meanSum += band.mean;
        if (b == 0) lowest = band;
    }
    context.results.overallMean.store(meanSum / static_cast<float>(bandCountFixed), relaxed);
    return lowest;
}

// Fires on a rise above mean + 2 deviations and re-arms on a dip below mean - 0.5 deviation; it reads
// the silence flag that the previous buffer left.
void detectBeat(AudioContext& context, float level, const HistoryStatistics& band)
{
    if (!context.results.historyFull.load(relaxed) || context.results.silent.load(relaxed)) return;
    bool armed = context.results.beatArmed.load(relaxed);
    if (armed && level > band.mean + 2.0f * band.deviation) {
        context.results.beatCount.fetch_add(1, relaxed);
        armed = false;
        context.results.beatArmed.store(false, relaxed);
    }
    if (!armed && band.mean - 0.5f * band.deviation > level) context.results.beatArmed.store(true, relaxed);
}

void detectSilence(AudioContext& context)
{
    const bool heard =
        context.results.historyFull.load(relaxed) && context.results.overallMean.load(relaxed) > silenceThreshold;
    context.results.silent.store(!heard, relaxed);
}

}  // namespace

void fillBandBins(uint32_t bins[bandCountFixed])
{
    // The factor 2048 / 44100 places each band at about twice its nominal edge on the 1024-point
    // transform; the visuals are tuned to these bins.
    for (int b = 0; b < bandCountFixed; ++b)
        bins[b] = static_cast<uint32_t>(bandEdgesHz[b] * 2048.0f / 44100.0f);
}

void analyseBuffer(unsigned int frameCount, AudioContext* context)
{
    if (context == nullptr || context->fftConfig == nullptr) return;
    kiss_fft(context->fftConfig, context->sampleWindow, context->spectrum);
    float levels[bandCountFixed];
    measureBands(*context, frameCount, levels);
    recordLevels(*context, levels);
    const HistoryStatistics lowest = publishStatistics(*context);
    detectBeat(*context, levels[0], lowest);
    detectSilence(*context);
}
