// Tests of the embedded demo track: its format, its place in the program image, its loop seam, and
// what the analysis makes of it (steady beats at the track's tempo, sound throughout, every band busy).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/audio/audio_test_support.h"

namespace {

constexpr size_t trackFloats = 2 * size_t(demoTrackFrames);
constexpr int buffersPerLoop = 1745;  // 1786050 / 1024 = 1744.2, rounded up to cover the loop

TEST(DemoTrack, HoldsSixteenBitMaterialBelowFullScale)
{
    const float* samples = demoTrackSamples();
    float peak = 0.0f;
    for (size_t i = 0; i < trackFloats; ++i) {
        const float scaled = samples[i] * 32768.0f;
        ASSERT_EQ(scaled, std::round(scaled)) << "float " << i << " is no multiple of 1/32768";
        ASSERT_LE(std::fabs(samples[i]), 1.0f) << "float " << i;
        peak = std::max(peak, std::fabs(samples[i]));
    }
    EXPECT_LT(peak, 0.95f) << "peaks stay below full scale";
    EXPECT_GT(peak, 0.5f) << "the track is not needlessly quiet";
}

// The block is used where the program image holds it: a read-only mapping of the executable itself.
TEST(DemoTrack, IsReadOnlyDataOfTheProgramImage)
{
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    FILE* maps = std::fopen("/proc/self/maps", "r");
    ASSERT_NE(maps, nullptr);
    const auto first = reinterpret_cast<uintptr_t>(demoTrackSamples());
    const auto last = reinterpret_cast<uintptr_t>(demoTrackSamples() + trackFloats - 1);
    bool found = false;
    char line[8192];
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        unsigned long start = 0, end = 0;
        char permissions[8] = {}, path[4096] = {};
        if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %4095s", &start, &end, permissions, path) < 3) continue;
        if (first < start || first >= end) continue;
        found = true;
        EXPECT_EQ(permissions[1], '-') << line;
        EXPECT_STREQ(path, exe) << line;
        EXPECT_LT(last, end) << "the whole track lies in one mapping";
    }
    std::fclose(maps);
    EXPECT_TRUE(found);
}

// The loop closes without a click: stepping from the last frame to the first is no more abrupt than
// the steps around the seam.
TEST(DemoTrack, LoopsWithoutAClick)
{
    const float* samples = demoTrackSamples();
    const auto at = [&](long frame, int channel) {
        const long wrapped = (frame % long(demoTrackFrames) + long(demoTrackFrames)) % long(demoTrackFrames);
        return samples[2 * wrapped + channel];
    };
    for (int channel = 0; channel < 2; ++channel) {
        float neighbourhood = 0.0f;
        for (long frame = -200; frame < 200; ++frame)
            if (frame != -1) neighbourhood = std::max(neighbourhood, std::fabs(at(frame + 1, channel) - at(frame, channel)));
        const float seam = std::fabs(at(0, channel) - at(-1, channel));
        EXPECT_LE(seam, neighbourhood) << "channel " << channel;
    }
}

struct TrackAnalysis {
    std::vector<int> beatBuffers;
    std::vector<std::vector<float>> levels;  // per band, one entry per buffer from the 51st on
    int silentBuffers = 0;
};

// Plays two loops through the playback callback, as the demo mode does.
TrackAnalysis analyseTwoLoops(AudioContext& context)
{
    TrackAnalysis result;
    result.levels.resize(bandCountFixed);
    std::vector<float> output(2 * windowFrames);
    for (int n = 0; n < 2 * buffersPerLoop; ++n) {
        const uint32_t before = context.results.beatCount.load();
        onPlaybackBuffer(nullptr, output.data(), windowFrames, nullptr, 0, &context);
        if (context.results.beatCount.load() != before) result.beatBuffers.push_back(n);
        if (n < historyLengthFixed) continue;
        result.silentBuffers += context.results.silent.load() ? 1 : 0;
        for (int b = 0; b < bandCountFixed; ++b) result.levels[b].push_back(context.results.bandLevels[b].load());
    }
    return result;
}

using DemoTrackAnalysis = PreparedContext;

// 80 kicks in 40.5 s: 118.5 bpm, one beat every 21.8 buffers.
TEST_F(DemoTrackAnalysis, BeatsOnEveryKickAtTheTempo)
{
    const TrackAnalysis track = analyseTwoLoops(audio);
    const auto inSecondLoop = std::count_if(track.beatBuffers.begin(), track.beatBuffers.end(),
                                            [](int n) { return n >= buffersPerLoop; });
    // One either way: the 1745 buffers counted overlap the next loop by a fraction of a buffer, so a
    // kick at the edge may fall on either side.
    EXPECT_NEAR(double(inSecondLoop), 80.0, 1.0);
    for (size_t i = 1; i < track.beatBuffers.size(); ++i) {
        const int interval = track.beatBuffers[i] - track.beatBuffers[i - 1];
        EXPECT_TRUE(interval == 21 || interval == 22) << "beat " << i << " after " << interval << " buffers";
    }
}

TEST_F(DemoTrackAnalysis, SoundsThroughoutWithEveryBandBusy)
{
    const TrackAnalysis track = analyseTwoLoops(audio);
    EXPECT_EQ(track.silentBuffers, 0);
    for (int b = 0; b < bandCountFixed; ++b) {
        std::vector<float> sorted = track.levels[b];
        std::sort(sorted.begin(), sorted.end());
        // A level of 1 is content around -57 dBFS in the band; the music keeps every band above it in
        // nearly every buffer, and each band moves: its busier buffers (90th percentile) carry at
        // least four times the energy of its quieter ones (10th percentile).
        EXPECT_GT(sorted[sorted.size() / 100], 1.0f) << "band " << b;
        EXPECT_GT(sorted[sorted.size() * 9 / 10], 4.0f * sorted[sorted.size() / 10]) << "band " << b;
    }
}

}  // namespace
