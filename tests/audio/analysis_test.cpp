// Tests of the spectrum analysis on hand-made windows: band placement, history statistics, beats, silence.
#include <cmath>
#include <vector>

#include "tests/audio/audio_test_support.h"

namespace {

constexpr double pi = 3.141592653589793;

using Analysis = PreparedContext;

void analyseStereoDc(AudioContext& context, float value)
{
    for (int i = 0; i < 2 * windowFrames; ++i) windowOf(context)[i] = value;
    analyseBuffer(windowFrames, &context);
}

void analyseZeros(AudioContext& context, int buffers)
{
    for (int n = 0; n < buffers; ++n) analyseStereoDc(context, 0.0f);
}

// A complex exponential at bin k: after the transform all its energy, (1024 a)^2, sits in bin k.
void writeBinTone(AudioContext& context, int bin, double amplitude)
{
    for (int n = 0; n < windowFrames; ++n) {
        const double angle = 2.0 * pi * bin * n / windowFrames;
        context.sampleWindow[n] = {float(amplitude * std::cos(angle)), float(amplitude * std::sin(angle))};
    }
}

TEST_F(Analysis, AllZeroInputStaysSilentAndCountsNoBeat)
{
    analyseZeros(audio, 120);
    for (int b = 0; b < bandCountFixed; ++b) {
        EXPECT_EQ(audio.results.bandLevels[b].load(), 0.0f);
        EXPECT_EQ(audio.results.bandMeans[b].load(), 0.0f);
        EXPECT_EQ(audio.results.bandDeviations[b].load(), 0.0f);
        EXPECT_EQ(audio.results.bandPeaks[b].load(), 0.0f);
    }
    EXPECT_TRUE(audio.results.historyFull.load());
    EXPECT_TRUE(audio.results.silent.load());
    EXPECT_EQ(audio.results.beatCount.load(), 0u);
}

// The documented case: 50 silent buffers, then every sample 0.01. Bin 0 is 10.24 + 10.24i, so band 0
// holds 2 * 10.24^2. Tolerances are relative 1e-5: 0.01f is not exact and the transform adds float
// rounding, both far below the five significant digits of the expected values.
TEST_F(Analysis, HundredthBuffersAfterSilenceGiveTheDocumentedStatistics)
{
    analyseZeros(audio, 50);
    ASSERT_TRUE(audio.results.historyFull.load());
    ASSERT_TRUE(audio.results.silent.load());

    analyseStereoDc(audio, 0.01f);
    EXPECT_NEAR(audio.results.bandLevels[0].load(), 209.7152, 209.7152 * 1e-5);
    for (int b = 1; b < bandCountFixed; ++b) EXPECT_NEAR(audio.results.bandLevels[b].load(), 0.0, 1e-6);
    EXPECT_NEAR(audio.results.overallMean.load(), 0.599186, 0.599186 * 1e-5);
    EXPECT_FALSE(audio.results.silent.load());
    EXPECT_EQ(audio.results.beatCount.load(), 0u) << "the silence flag of the previous buffer blocks the beat";

    analyseStereoDc(audio, 0.01f);
    EXPECT_NEAR(audio.results.bandMeans[0].load(), 8.388608, 8.388608 * 1e-5);
    EXPECT_NEAR(audio.results.bandDeviations[0].load(), 41.0956, 41.0956 * 1e-5);
    EXPECT_EQ(audio.results.beatCount.load(), 1u);
    EXPECT_FALSE(audio.results.beatArmed.load());

    // A constant level never dips below mean - deviation / 2, so the detector stays disarmed.
    for (int n = 0; n < 200; ++n) analyseStereoDc(audio, 0.01f);
    EXPECT_EQ(audio.results.beatCount.load(), 1u);
    EXPECT_FALSE(audio.results.beatArmed.load());
    EXPECT_NEAR(audio.results.bandPeaks[0].load(), 209.7152, 209.7152 * 1e-5);
}

TEST_F(Analysis, HistoryWrapsOnTheFiftiethBufferAndKeepsRowsPerBand)
{
    analyseZeros(audio, 10);
    analyseStereoDc(audio, 0.01f);  // buffer 11 lands in column 10 of band 0's row
    analyseZeros(audio, 38);
    EXPECT_EQ(audio.results.historyIndex.load(), 49u);
    EXPECT_FALSE(audio.results.historyFull.load());
    EXPECT_TRUE(audio.results.silent.load()) << "no sound counts before the history is full";

    analyseZeros(audio, 1);
    EXPECT_EQ(audio.results.historyIndex.load(), 0u);
    EXPECT_TRUE(audio.results.historyFull.load());
    for (int j = 0; j < historyLengthFixed; ++j) {
        const float expected = j == 10 ? 209.7152f : 0.0f;
        EXPECT_NEAR(audio.results.levelHistory[j].load(), expected, 209.7152 * 1e-5) << "band 0, entry " << j;
        EXPECT_NEAR(audio.results.levelHistory[6 * historyLengthFixed + j].load(), 0.0, 1e-6) << "band 6";
    }
    EXPECT_FALSE(audio.results.silent.load()) << "the one loud entry lifts the overall mean above 0.001";
}

// Peaks, means and deviations are checked against the recorded levels, recomputed in double.
// Tolerance: relative 1e-5, the float accumulation error over 50 entries.
TEST_F(Analysis, StatisticsFollowTheLastFiftyLevels)
{
    std::vector<double> levels;
    for (int n = 0; n < 130; ++n) {
        analyseStereoDc(audio, 0.002f * float((n * 37) % 11));
        levels.push_back(audio.results.bandLevels[0].load());
    }
    double peak = 0.0, sum = 0.0, squares = 0.0;
    for (size_t i = levels.size() - 50; i < levels.size(); ++i) {
        peak = std::max(peak, levels[i]);
        sum += levels[i];
    }
    const double mean = sum / 50.0;
    for (size_t i = levels.size() - 50; i < levels.size(); ++i) squares += (levels[i] - mean) * (levels[i] - mean);
    EXPECT_EQ(audio.results.bandPeaks[0].load(), float(peak));
    EXPECT_NEAR(audio.results.bandMeans[0].load(), mean, mean * 1e-5);
    EXPECT_NEAR(audio.results.bandDeviations[0].load(), std::sqrt(squares / 50.0), std::sqrt(squares / 50.0) * 1e-5);
    EXPECT_NEAR(audio.results.overallMean.load(), mean / 7.0, mean / 7.0 * 1e-5);
}

struct BinCase {
    int bin;
    int band;
};

// With two channels band b covers the bins of the band table; the top band runs to bin 1023.
TEST_F(Analysis, StereoBinsLandInTheirBands)
{
    const BinCase cases[] = {{0, 0},  {2, 0},  {3, 1},   {5, 1},   {6, 2},   {15, 2},   {16, 3},
                             {33, 3}, {34, 4}, {73, 4},  {74, 5},  {161, 5}, {162, 6},  {170, 6},
                             {600, 6}, {1023, 6}};
    const double toneEnergy = std::pow(1024.0 * 0.5, 2.0);
    for (const BinCase& c : cases) {
        writeBinTone(audio, c.bin, 0.5);
        analyseBuffer(windowFrames, &audio);
        // Leakage of a float-rounded exponential stays below a millionth of the tone's energy.
        for (int b = 0; b < bandCountFixed; ++b) {
            const double expected = b == c.band ? toneEnergy : 0.0;
            EXPECT_NEAR(audio.results.bandLevels[b].load(), expected, toneEnergy * 1e-6) << "bin " << c.bin << " band " << b;
        }
    }
}

struct FloatCase {
    int bin;
    int band;  // -1: beyond the 1024 floats that a one-channel buffer covers
};

// With one channel the band table's bin numbers index spectrum floats directly, so band b covers
// floats bandBins[b] to bandBins[b+1] - 1 and the top band ends at float 1023. A tone at bin k puts
// its energy in float 2k (the real part), which lands as listed.
TEST_F(Analysis, OneChannelReadsBinNumbersAsFloatIndices)
{
    audio.streams.channelCount.store(1);
    const FloatCase cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {7, 2}, {8, 3}, {16, 3}, {17, 4},
                               {37, 5}, {80, 5}, {81, 6}, {511, 6}, {512, -1}, {900, -1}};
    const double toneEnergy = std::pow(1024.0 * 0.5, 2.0);
    for (const FloatCase& c : cases) {
        writeBinTone(audio, c.bin, 0.5);
        analyseBuffer(windowFrames, &audio);
        for (int b = 0; b < bandCountFixed; ++b) {
            const double expected = b == c.band ? toneEnergy : 0.0;
            EXPECT_NEAR(audio.results.bandLevels[b].load(), expected, toneEnergy * 1e-6) << "bin " << c.bin << " band " << b;
        }
    }
}

// Pulses every 20 buffers that decay like a kick drum: once the history is full and sound is heard,
// each onset is a beat and each tail re-arms the detector.
TEST_F(Analysis, BeatsFireOnDecayingPulsesAndRearmOnTheDips)
{
    std::vector<int> beatBuffers;
    for (int n = 0; n < 400; ++n) {
        analyseStereoDc(audio, 0.01f * std::pow(0.9f, float(n % 20)));
        if (audio.results.beatCount.load() != beatBuffers.size()) beatBuffers.push_back(n);
    }
    std::vector<int> expected;
    for (int onset = 60; onset < 400; onset += 20) expected.push_back(onset);
    EXPECT_EQ(beatBuffers, expected) << "onsets 0, 20 and 40 fall before the history is full";
}

// The single-precision value of 0.001 itself still counts as silence; the next float above does not.
// The history is preloaded with one band-0 entry chosen so that the overall mean lands on it.
TEST_F(Analysis, SilenceNeedsAnOverallMeanStrictlyAboveOneThousandth)
{
    const auto analyseWithEntry = [&](float entry) {
        for (auto& e : audio.results.levelHistory) e.store(0.0f);
        audio.results.levelHistory[1].store(entry);
        audio.results.historyIndex.store(0);
        audio.results.historyFull.store(true);
        analyseZeros(audio, 1);
        return audio.results.overallMean.load();
    };
    float entry = 0.35f;
    for (int step = 0; step < 10000 && analyseWithEntry(entry) != 0.001f; ++step)
        entry = std::nextafter(entry, analyseWithEntry(entry) < 0.001f ? 1.0f : 0.0f);
    ASSERT_EQ(analyseWithEntry(entry), 0.001f) << "no history entry yields the threshold exactly";
    EXPECT_TRUE(audio.results.silent.load());
    while (analyseWithEntry(entry) <= 0.001f) entry = std::nextafter(entry, 1.0f);
    EXPECT_FALSE(audio.results.silent.load());
}

TEST(AnalysisWithoutContext, DoesNothingWithoutARecordOrAnFftConfiguration)
{
    analyseBuffer(windowFrames, nullptr);
    static AudioContext unprepared;
    prepareAudioContext(unprepared, nullptr);
    for (int i = 0; i < 2 * windowFrames; ++i) windowOf(unprepared)[i] = 0.5f;
    const ContextSnapshot before = snapshotOf(unprepared);
    analyseBuffer(windowFrames, &unprepared);
    EXPECT_TRUE(sameSnapshot(before, snapshotOf(unprepared)));
}

}  // namespace
