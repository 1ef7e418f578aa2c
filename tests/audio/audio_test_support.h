// Shared helpers of the audio tests: a prepared AudioContext with its own FFT configuration, views of
// the window and the spectrum as floats, and a snapshot of every field for "nothing changed" checks.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/audio_context.h"
#include "audio/spectrum_analysis.h"

inline float* windowOf(AudioContext& context)
{
    return reinterpret_cast<float*>(context.sampleWindow);
}

inline const float* spectrumOf(const AudioContext& context)
{
    return reinterpret_cast<const float*>(context.spectrum);
}

inline void prepareWithOwnFft(AudioContext& context)
{
    prepareAudioContext(context, kiss_fft_alloc(windowFrames, 0, nullptr, nullptr));
}

inline void releaseOwnFft(AudioContext& context)
{
    if (context.fftConfig != nullptr) free(context.fftConfig);
    context.fftConfig = nullptr;
}

// A fixture holding two records prepared exactly as the audio stage prepares one: the record under
// test and a twin for comparisons.
class PreparedContext : public ::testing::Test {
protected:
    void SetUp() override
    {
        prepareWithOwnFft(audio);
        prepareWithOwnFft(twin);
        ASSERT_NE(audio.fftConfig, nullptr);
        ASSERT_NE(twin.fftConfig, nullptr);
    }
    void TearDown() override
    {
        releaseOwnFft(audio);
        releaseOwnFft(twin);
    }
    AudioContext audio;
    AudioContext twin;
};

// Every float the analysis can change, plus the scalar state, as plain numbers.
struct ContextSnapshot {
    std::vector<float> floats;
    std::vector<uint32_t> words;
};

inline ContextSnapshot snapshotOf(AudioContext& context)
{
    ContextSnapshot s;
    for (int b = 0; b < bandCountFixed; ++b) {
        s.floats.push_back(context.results.bandLevels[b].load());
        s.floats.push_back(context.results.bandMeans[b].load());
        s.floats.push_back(context.results.bandDeviations[b].load());
        s.floats.push_back(context.results.bandPeaks[b].load());
    }
    for (auto& entry : context.results.levelHistory) s.floats.push_back(entry.load());
    s.floats.push_back(context.results.overallMean.load());
    s.floats.insert(s.floats.end(), windowOf(context), windowOf(context) + 2 * windowFrames);
    s.floats.insert(s.floats.end(), spectrumOf(context), spectrumOf(context) + 2 * windowFrames);
    s.words = {context.streams.channelCount.load(), context.results.historyIndex.load(), context.results.beatCount.load(),
               context.results.beatArmed.load(), context.results.historyFull.load(), context.results.silent.load(),
               context.streams.playbackMuted.load(), context.streams.demoPosition.load()};
    return s;
}

// Bitwise comparison, so that NaN equals NaN and -0 differs from +0.
inline bool sameSnapshot(const ContextSnapshot& a, const ContextSnapshot& b)
{
    return a.words == b.words && a.floats.size() == b.floats.size() &&
           std::memcmp(a.floats.data(), b.floats.data(), a.floats.size() * sizeof(float)) == 0;
}
