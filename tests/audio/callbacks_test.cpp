// Tests of the capture and playback callbacks and the reset on hand-made buffers, faulty input included.
#include <cmath>
#include <limits>
#include <vector>

#include "tests/audio/audio_test_support.h"

namespace {

using Callbacks = PreparedContext;

constexpr double pi = 3.141592653589793;

// Distinct exactly representable values, so copies can be compared bit for bit.
std::vector<float> rampOf(size_t floats, int offset = 0)
{
    std::vector<float> v(floats);
    for (size_t i = 0; i < floats; ++i) v[i] = float(int((i + offset) % 2001) - 1000) / 4096.0f;
    return v;
}

int capture(AudioContext& context, const std::vector<float>& input, unsigned long frames)
{
    return onCaptureBuffer(input.data(), nullptr, frames, nullptr, 0, &context);
}

int play(AudioContext& context, std::vector<float>& output, unsigned long frames)
{
    return onPlaybackBuffer(nullptr, output.data(), frames, nullptr, 0, &context);
}

const float* demoFrame(uint32_t frame)
{
    return demoTrackSamples() + 2 * size_t(frame);
}

// A kick-like pulse every 20 buffers on band 0 plus a steady tone at bin 100 (band 5), as stereo frames.
std::vector<float> musicBuffer(int n)
{
    std::vector<float> v(2 * windowFrames);
    const float pulse = 0.01f * std::pow(0.9f, float(n % 20));
    for (int i = 0; i < windowFrames; ++i) {
        const double angle = 2.0 * pi * 100.0 * i / windowFrames;
        v[2 * i] = pulse + float(0.05 * std::cos(angle));
        v[2 * i + 1] = pulse + float(0.05 * std::sin(angle));
    }
    return v;
}

bool statisticsFinite(AudioContext& context)
{
    bool finite = std::isfinite(context.results.overallMean.load());
    for (int b = 0; b < bandCountFixed; ++b)
        finite = finite && std::isfinite(context.results.bandLevels[b].load()) && std::isfinite(context.results.bandMeans[b].load()) &&
                 std::isfinite(context.results.bandDeviations[b].load()) && std::isfinite(context.results.bandPeaks[b].load());
    return finite;
}

// The window holds 2048 floats: a count the layout does not know must not widen a frame beyond two.
TEST_F(Callbacks, OnlyStereoTakesTwoFloatsPerFrame)
{
    const uint32_t expected[][2] = {{0, 1}, {1, 1}, {2, 2}, {3, 1}, {6, 1}, {0xFFFFFFFFu, 1}};
    for (const auto& [channels, floats] : expected) {
        audio.streams.channelCount.store(channels);
        EXPECT_EQ(floatsPerFrame(audio), floats) << channels << " channels";
    }
}

TEST_F(Callbacks, CaptureCopiesStereoFramesInArrivalOrderAndAnalysesThem)
{
    const std::vector<float> input = rampOf(2 * windowFrames);
    EXPECT_EQ(capture(audio, input, windowFrames), paContinue);
    for (int i = 0; i < 2 * windowFrames; ++i) ASSERT_EQ(windowOf(audio)[i], input[i]) << "float " << i;
    EXPECT_EQ(audio.results.historyIndex.load(), 1u);
    EXPECT_GT(audio.results.bandLevels[6].load(), 0.0f);
}

TEST_F(Callbacks, OneChannelCaptureFillsTheFirstHalfAndKeepsTheRest)
{
    for (int i = windowFrames; i < 2 * windowFrames; ++i) windowOf(audio)[i] = 7.0f;
    audio.streams.channelCount.store(1);
    const std::vector<float> input = rampOf(windowFrames);
    EXPECT_EQ(capture(audio, input, windowFrames), paContinue);
    for (int i = 0; i < windowFrames; ++i) ASSERT_EQ(windowOf(audio)[i], input[i]) << "float " << i;
    for (int i = windowFrames; i < 2 * windowFrames; ++i) ASSERT_EQ(windowOf(audio)[i], 7.0f) << "float " << i;

    resetAnalysis(audio);
    EXPECT_EQ(capture(audio, rampOf(windowFrames, 5), windowFrames), paContinue);
    for (int i = windowFrames; i < 2 * windowFrames; ++i) ASSERT_EQ(windowOf(audio)[i], 0.0f) << "float " << i;
}

TEST_F(Callbacks, NullBuffersCompleteTheStreamAndChangeNothing)
{
    for (int n = 0; n < 60; ++n) capture(audio, musicBuffer(n), windowFrames);
    resetAnalysis(audio);  // a pending reset must not be applied by a callback that does nothing
    const ContextSnapshot before = snapshotOf(audio);
    std::vector<float> output(2 * windowFrames, 3.0f);
    EXPECT_EQ(onCaptureBuffer(nullptr, output.data(), windowFrames, nullptr, 0, &audio), paComplete);
    EXPECT_EQ(onPlaybackBuffer(output.data(), nullptr, windowFrames, nullptr, 0, &audio), paComplete);
    EXPECT_EQ(onCaptureBuffer(output.data(), nullptr, windowFrames, nullptr, 0, nullptr), paComplete);
    EXPECT_EQ(onPlaybackBuffer(nullptr, output.data(), windowFrames, nullptr, 0, nullptr), paComplete);
    EXPECT_TRUE(sameSnapshot(before, snapshotOf(audio)));
    EXPECT_EQ(output, std::vector<float>(2 * windowFrames, 3.0f));
}

TEST_F(Callbacks, PlaybackWrapsFromTheTrackEndToItsStart)
{
    const uint32_t length = audio.streams.demoLength;
    audio.streams.demoPosition.store(length - 100);
    std::vector<float> output(2 * windowFrames);
    EXPECT_EQ(play(audio, output, windowFrames), paContinue);
    for (int i = 0; i < windowFrames; ++i) {
        const uint32_t frame = i < 100 ? length - 100 + i : uint32_t(i - 100);
        for (int c = 0; c < 2; ++c) {
            ASSERT_EQ(output[2 * i + c], demoFrame(frame)[c]) << "frame " << i;
            ASSERT_EQ(windowOf(audio)[2 * i + c], demoFrame(frame)[c]) << "frame " << i;
        }
    }
    EXPECT_EQ(audio.streams.demoPosition.load(), 924u);
    EXPECT_EQ(audio.results.historyIndex.load(), 1u);
}

TEST_F(Callbacks, OneChannelPlaybackCarriesOnlyTheLeftChannel)
{
    audio.streams.channelCount.store(1);
    audio.streams.demoPosition.store(5000);
    for (int i = windowFrames; i < 2 * windowFrames; ++i) windowOf(audio)[i] = 7.0f;
    std::vector<float> output(windowFrames);
    EXPECT_EQ(play(audio, output, windowFrames), paContinue);
    for (int i = 0; i < windowFrames; ++i) {
        ASSERT_EQ(output[i], demoFrame(5000 + i)[0]) << "frame " << i;
        ASSERT_EQ(windowOf(audio)[i], demoFrame(5000 + i)[0]) << "frame " << i;
        ASSERT_EQ(windowOf(audio)[windowFrames + i], 7.0f);
    }
    EXPECT_EQ(audio.streams.demoPosition.load(), 5000u + windowFrames);
}

TEST_F(Callbacks, MutedPlaybackSendsZerosAndAnalysesTheSameTrack)
{
    audio.streams.playbackMuted.store(true);
    std::vector<float> muted(2 * windowFrames, 1.0f);
    std::vector<float> heard(2 * windowFrames);
    float loudest = 0.0f;
    for (int n = 0; n < 80; ++n) {
        play(audio, muted, windowFrames);
        play(twin, heard, windowFrames);
        for (float x : muted) ASSERT_EQ(x, 0.0f) << "buffer " << n;
        for (float x : heard) loudest = std::max(loudest, std::fabs(x));
    }
    EXPECT_GT(loudest, 0.1f) << "the heard twin plays the track";
    ContextSnapshot silenced = snapshotOf(audio);
    const ContextSnapshot reference = snapshotOf(twin);
    EXPECT_EQ(silenced.words[6], 1u);
    silenced.words[6] = 0;  // playbackMuted is the one intended difference
    EXPECT_TRUE(sameSnapshot(silenced, reference));
}

TEST_F(Callbacks, ResetClearsTheAnalysisAndRestartsTheTrack)
{
    audio.streams.channelCount.store(1);
    audio.streams.playbackMuted.store(true);
    std::vector<float> output(windowFrames);
    for (int n = 0; n < 120; ++n) play(audio, output, windowFrames);
    ASSERT_TRUE(audio.results.historyFull.load());
    ASSERT_FALSE(audio.results.silent.load());
    ASSERT_GT(audio.results.beatCount.load(), 0u);
    uint32_t binsBefore[bandCountFixed];
    std::copy(audio.bandBins, audio.bandBins + bandCountFixed, binsBefore);

    resetAnalysis(audio);
    for (int b = 0; b < bandCountFixed; ++b) {
        EXPECT_EQ(audio.results.bandLevels[b].load(), 0.0f);
        EXPECT_EQ(audio.results.bandMeans[b].load(), 0.0f);
        EXPECT_EQ(audio.results.bandDeviations[b].load(), 0.0f);
        EXPECT_EQ(audio.results.bandPeaks[b].load(), 0.0f);
        EXPECT_EQ(audio.bandBins[b], binsBefore[b]);
    }
    for (auto& entry : audio.results.levelHistory) ASSERT_EQ(entry.load(), 0.0f);
    EXPECT_EQ(audio.results.overallMean.load(), 0.0f);
    EXPECT_EQ(audio.results.historyIndex.load(), 0u);
    EXPECT_EQ(audio.results.beatCount.load(), 0u);
    EXPECT_EQ(audio.streams.demoPosition.load(), 0u);
    EXPECT_TRUE(audio.results.beatArmed.load());
    EXPECT_FALSE(audio.results.historyFull.load());
    EXPECT_TRUE(audio.results.silent.load());
    EXPECT_TRUE(audio.streams.playbackMuted.load());
    EXPECT_EQ(audio.streams.channelCount.load(), 1u);

    // The next buffer starts at demo frame 0 in a cleared window.
    play(audio, output, windowFrames);
    for (int i = 0; i < windowFrames; ++i) {
        ASSERT_EQ(windowOf(audio)[i], demoFrame(i)[0]) << "frame " << i;
        ASSERT_EQ(windowOf(audio)[windowFrames + i], 0.0f);
        ASSERT_EQ(output[i], 0.0f);
    }
    EXPECT_EQ(audio.streams.demoPosition.load(), uint32_t(windowFrames));
    EXPECT_EQ(audio.results.historyIndex.load(), 1u);
}

// A device is meant to deliver at most 1024 frames; a larger buffer is analysed up to the window's
// capacity, and playback still fills the whole output from the track.
TEST_F(Callbacks, OversizedBuffersNeverOverrunTheWindow)
{
    const std::vector<float> input = rampOf(8 * windowFrames);
    EXPECT_EQ(capture(audio, input, 4 * windowFrames), paContinue);
    for (int i = 0; i < 2 * windowFrames; ++i) ASSERT_EQ(windowOf(audio)[i], input[i]);

    std::vector<float> output(4 * windowFrames);
    EXPECT_EQ(play(twin, output, 2 * windowFrames), paContinue);
    for (int i = 0; i < 2 * windowFrames; ++i)
        for (int c = 0; c < 2; ++c) ASSERT_EQ(output[2 * i + c], demoFrame(i)[c]) << "frame " << i;
    for (int i = 0; i < 2 * windowFrames; ++i) ASSERT_EQ(windowOf(twin)[i], demoTrackSamples()[i]);
    EXPECT_EQ(twin.streams.demoPosition.load(), uint32_t(2 * windowFrames));
}

// NaN counts as silence and infinite or huge samples as the clamp limit of 4, so the statistics stay
// finite; once 50 good buffers have replaced the bad ones the analysis matches a record that never
// saw bad input, and beats resume.
TEST_F(Callbacks, FaultySamplesNeverPoisonTheAnalysis)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float faults[] = {nan, inf, -inf, 1e30f, -1e30f, 3e38f};
    for (int n = 0; n < 50; ++n) {
        std::vector<float> bad = musicBuffer(n);
        for (size_t i = 0; i < bad.size(); i += 3) bad[i] = faults[(i / 3 + n) % 6];
        capture(audio, bad, windowFrames);
        ASSERT_TRUE(statisticsFinite(audio)) << "bad buffer " << n;
    }
    for (int n = 0; n < 50; ++n) {
        capture(audio, musicBuffer(n), windowFrames);
        capture(twin, musicBuffer(n), windowFrames);
    }
    ContextSnapshot recovered = snapshotOf(audio);
    ContextSnapshot reference = snapshotOf(twin);
    // The beat count and the armed flag carry the past; every other value must match.
    for (ContextSnapshot* s : {&recovered, &reference}) s->words[2] = s->words[3] = 0;
    EXPECT_TRUE(sameSnapshot(recovered, reference));

    const uint32_t beatsBefore = audio.results.beatCount.load();
    for (int n = 50; n < 250; ++n) capture(audio, musicBuffer(n), windowFrames);
    EXPECT_EQ(audio.results.beatCount.load() - beatsBefore, 10u) << "one beat per pulse";
}

TEST_F(Callbacks, NonFiniteAndHugeSamplesAreReadAsSilenceAndAsTheLimit)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    capture(audio, std::vector<float>(2 * windowFrames, nan), windowFrames);
    for (int b = 0; b < bandCountFixed; ++b) EXPECT_EQ(audio.results.bandLevels[b].load(), 0.0f);

    capture(audio, std::vector<float>(2 * windowFrames, 1e30f), windowFrames);
    capture(twin, std::vector<float>(2 * windowFrames, 4.0f), windowFrames);
    EXPECT_EQ(audio.results.bandLevels[0].load(), twin.results.bandLevels[0].load());
    EXPECT_NEAR(audio.results.bandLevels[0].load(), 2.0 * std::pow(1024.0 * 4.0, 2.0), 2.0 * std::pow(4096.0, 2.0) * 1e-5);
}

}  // namespace
