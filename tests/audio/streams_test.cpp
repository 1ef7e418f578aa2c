// Tests of the streams with nothing faked: PortAudio on the private PulseAudio server, whose null sink's
// monitor is the default recording source. Tones played into the sink reach the bands, the demo track
// comes back out of the sink, and losing the sink leaves the program working.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "audio/audio_devices.h"
#include "audio/audio_stage.h"
#include "tests/audio/audio_test_support.h"
#include "tests/audio/process_support.h"

namespace {

constexpr char sinkArguments[] =
    "module-null-sink sink_name=quasarine_sink rate=44100 channels=2 "
    "sink_properties=device.description=QuasarineSink";

std::string scratchDirectory;
AudioContext audio;

struct BandShares {
    double share[bandCountFixed] = {};
    double total = 0.0;
};

// Averages the band levels as the session reads them, once per buffer period for a second.
BandShares sampleBandShares()
{
    double sums[bandCountFixed] = {};
    for (int n = 0; n < 43; ++n) {
        for (int b = 0; b < bandCountFixed; ++b) sums[b] += audio.results.bandLevels[b].load();
        sleepSeconds(0.0232);
    }
    BandShares result;
    for (double s : sums) result.total += s / 43.0;
    for (int b = 0; b < bandCountFixed; ++b) result.share[b] = sums[b] / 43.0 / result.total;
    return result;
}

// A new stream on this server delivers a few buffers, pauses for up to two seconds while the server
// sets it up, and then runs steadily; ten buffers in a row mean it runs.
bool buffersFlow()
{
    return waitForSteps([] { return audio.results.historyIndex.load(); }, 10, 30.0);
}

int recordStreamsOfTheServer()
{
    return lineCount(commandOutput("pactl list short source-outputs"));
}

int playbackStreamsOfTheServer()
{
    return lineCount(commandOutput("pactl list short sink-inputs"));
}

// Plays a 10 s tone of amplitude 0.5 into the sink and returns the band shares while it sounds; the
// length leaves room for a late start on a busy machine.
BandShares sharesOfTone(double hz)
{
    const std::string path = scratchDirectory + "/tone.wav";
    EXPECT_TRUE(writeToneWav(path, hz, 0.5, 10.0));
    const pid_t player = spawnQuiet({"paplay", path});
    EXPECT_GT(player, 0);
    EXPECT_TRUE(waitUntil([] { return !audio.results.silent.load(); }, 8.0)) << hz << " Hz is heard";
    sleepSeconds(0.3);
    const BandShares shares = sampleBandShares();
    // The tone's length only bounds how late the readings may come; it need not play out.
    kill(player, SIGTERM);
    waitForExit(player);
    std::printf("%g Hz: energy %.0f, shares", hz, shares.total);
    for (double share : shares.share) std::printf(" %.4f", share);
    std::printf("\n");
    // Energy of the tone by Parseval: 1024 * (1024 frames * 2 channels * 0.5^2 / 2). The server mixes
    // at unity gain, so only the 16-bit rounding of the file and readings that straddle two buffers
    // remain, well under the 3% allowed.
    EXPECT_NEAR(shares.total, 262144.0, 262144.0 * 0.03) << hz << " Hz";
    return shares;
}

class Streams : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/quasarine-audio-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratchDirectory = pattern;
        ASSERT_EQ(Pa_Initialize(), paNoError);
        prepareWithOwnFft(audio);
    }
    static void TearDownTestSuite()
    {
        selectInputSource(-2, audio);
        setDemoPlayback(false, audio);
        releaseOwnFft(audio);
        Pa_Terminate();
        std::system(("rm -rf " + scratchDirectory).c_str());
    }
    void SetUp() override
    {
        ASSERT_GT(countInputDevices(), 0) << "needs the PulseAudio server of scripts/with_services.sh";
    }
    void TearDown() override
    {
        selectInputSource(-2, audio);
        setDemoPlayback(false, audio);
        audio.streams.playbackMuted.store(false);
    }
};

TEST_F(Streams, CaptureOfTheDefaultDeviceHearsTonesInTheirBandsAndSilence)
{
    ASSERT_EQ(selectInputSource(-1, audio), -1);
    EXPECT_EQ(audio.streams.channelCount.load(), 2u) << "the monitor has more than two channels to offer";
    ASSERT_TRUE(buffersFlow());
    ASSERT_TRUE(waitUntil([] { return audio.results.historyFull.load(); }, 15.0));
    EXPECT_TRUE(audio.results.silent.load()) << "nothing plays into the sink yet";

    // Both channels carry the same real signal, so each tone also appears mirrored in the upper half
    // of the transform, which belongs to band 6.
    const BandShares low = sharesOfTone(60.0);
    EXPECT_GT(low.share[0], 0.35);
    EXPECT_GT(low.share[6], 0.35);
    for (int b = 1; b < 6; ++b) EXPECT_LT(low.share[b], 0.1 * low.share[0]) << "band " << b;

    const BandShares mid = sharesOfTone(5000.0);
    EXPECT_GT(mid.share[6], 0.4);
    EXPECT_GT(mid.share[5], 0.4);
    for (int b = 0; b < 4; ++b) EXPECT_LT(mid.share[b], 0.01) << "band " << b;

    const BandShares high = sharesOfTone(10000.0);
    EXPECT_GT(high.share[6], 0.97) << "10 kHz and its mirror both lie in band 6";

    EXPECT_TRUE(waitUntil([] { return audio.results.silent.load(); }, 15.0)) << "silence returns after the tone";
    EXPECT_EQ(recordStreamsOfTheServer(), 1);
}

// The best normalised correlation between a stretch of the recording and the track, searched over
// the track frames around the expected position.
double bestCorrelation(const std::vector<float>& recorded, size_t from, uint32_t expectedFrame)
{
    const float* track = demoTrackSamples();
    const size_t length = 2048;
    double best = 0.0;
    for (long shift = -3 * 44100; shift <= 3 * 44100; ++shift) {
        const long start = (long(expectedFrame) + shift + long(demoTrackFrames)) % long(demoTrackFrames);
        double dot = 0.0, a2 = 0.0, b2 = 0.0;
        for (size_t i = 0; i < length; ++i) {
            const double a = recorded[2 * (from + i)];
            const double b = track[2 * ((start + i) % demoTrackFrames)];
            dot += a * b;
            a2 += a * a;
            b2 += b * b;
        }
        if (a2 > 0.0 && b2 > 0.0) best = std::max(best, dot / std::sqrt(a2 * b2));
    }
    return best;
}

// Records that much of the sink's sound, however late the recorder starts; gives up after 30 s.
std::vector<float> recordSink(double seconds)
{
    const std::string path = scratchDirectory + "/recorded.raw";
    const long wanted = long(seconds * 44100) * 2 * long(sizeof(float));
    const std::string command = "timeout -s INT 30 parec --device=quasarine_sink.monitor --format=float32le"
                                " --rate=44100 --channels=2 --raw --latency-msec=20 | head -c " +
                                std::to_string(wanted) + " > " + path;
    std::system(command.c_str());
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

TEST_F(Streams, DemoPlaybackSendsTheTrackIntoTheSinkAndMutingSilencesOnlyTheDevice)
{
    ASSERT_TRUE(setDemoPlayback(true, audio));
    EXPECT_EQ(audio.streams.channelCount.load(), 2u);
    EXPECT_EQ(playbackStreamsOfTheServer(), 1);
    ASSERT_TRUE(buffersFlow());
    const uint32_t expectedFrame = audio.streams.demoPosition.load();
    const std::vector<float> heard = recordSink(1.5);
    ASSERT_GT(heard.size(), size_t(2 * 44100)) << "at least a second was recorded";
    // The sink carries the 16-bit material unchanged; 0.999 leaves room for the server's rounding.
    const double correlation = bestCorrelation(heard, 22050, expectedFrame);
    std::printf("best correlation with the track: %.6f\n", correlation);
    EXPECT_GT(correlation, 0.999);

    audio.streams.playbackMuted.store(true);
    sleepSeconds(0.5);
    const std::vector<float> muted = recordSink(1.0);
    ASSERT_GT(muted.size(), size_t(44100));
    float loudest = 0.0f;
    for (float x : muted) loudest = std::max(loudest, std::fabs(x));
    EXPECT_EQ(loudest, 0.0f) << "the device receives zeros";
    EXPECT_TRUE(buffersFlow()) << "the analysis is still fed";
    EXPECT_FALSE(audio.results.silent.load()) << "the visuals still follow the track";

    EXPECT_FALSE(setDemoPlayback(false, audio));
    EXPECT_TRUE(audio.streams.playbackMuted.load()) << "stream changes leave the mute to the session";
    EXPECT_EQ(playbackStreamsOfTheServer(), 0);
    EXPECT_TRUE(staysUnchanged([] { return audio.results.historyIndex.load(); }, 0.3)) << "no callback runs after the close";
}

TEST_F(Streams, RestartingThePlaybackStartsTheTrackAgain)
{
    ASSERT_TRUE(setDemoPlayback(true, audio));
    ASSERT_TRUE(waitUntil([] { return audio.streams.demoPosition.load() > 44100; }, 30.0));
    ASSERT_TRUE(setDemoPlayback(true, audio));
    EXPECT_LT(audio.streams.demoPosition.load(), 44100u) << "the reset of the running stream restarts the track";
    EXPECT_EQ(playbackStreamsOfTheServer(), 1);
}

TEST_F(Streams, SwitchingRunningDevicesResetsAndClosesTheOldStream)
{
    ASSERT_EQ(selectInputSource(-1, audio), -1);
    ASSERT_TRUE(buffersFlow());
    audio.results.beatCount.store(1000);  // nothing plays, so only a reset can change it
    ASSERT_EQ(selectInputSource(0, audio), 0);
    EXPECT_EQ(audio.results.beatCount.load(), 0u);
    ASSERT_TRUE(buffersFlow());
    EXPECT_EQ(recordStreamsOfTheServer(), 1) << "the old stream is closed";

    EXPECT_EQ(selectInputSource(countInputDevices(), audio), -2) << "past the last device";
    EXPECT_EQ(recordStreamsOfTheServer(), 0);
    EXPECT_EQ(selectInputSource(-5, audio), -2);
}

// Unloading the sink takes the recording source away while the capture stream runs. The program goes
// on: the main thread keeps resetting and reading, the next selection closes the dead stream without
// hanging, and once the sink is back the default device records again.
TEST_F(Streams, LosingTheSinkLeavesTheProgramWorking)
{
    ASSERT_EQ(selectInputSource(-1, audio), -1);
    ASSERT_TRUE(buffersFlow());
    const std::string module = commandOutput("pactl list short modules | awk '/module-null-sink/ {print $1}'");
    ASSERT_FALSE(module.empty());
    ASSERT_EQ(std::system(("pactl unload-module " + module).c_str()), 0);
    for (int n = 0; n < 50; ++n) {
        resetAnalysis(audio);
        EXPECT_TRUE(std::isfinite(audio.results.bandLevels[0].load()));
        sleepSeconds(0.02);
    }
    const auto start = std::chrono::steady_clock::now();
    const int lost = selectInputSource(-1, audio);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_TRUE(lost == -1 || lost == -2) << lost;
    std::printf("selection without the sink gave %d\n", lost);
    EXPECT_LE(recordStreamsOfTheServer(), 1);

    ASSERT_EQ(std::system((std::string("pactl load-module ") + sinkArguments + " >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system("pactl set-default-sink quasarine_sink && pactl set-default-source quasarine_sink.monitor"), 0);
    ASSERT_EQ(selectInputSource(-1, audio), -1);
    EXPECT_EQ(recordStreamsOfTheServer(), 1) << "the dead stream was closed, not leaked";
    const BandShares low = sharesOfTone(60.0);
    EXPECT_GT(low.share[0], 0.35);
}

TEST_F(Streams, AudioStageOpensTheDefaultDeviceAndClosesEveryStream)
{
    auto stage = std::make_unique<AudioStage>();
    ASSERT_EQ(openAudioStage(*stage, false), 0);
    EXPECT_EQ(stage->inputDeviceIndex, -1);
    AudioContext& context = stage->context;
    EXPECT_TRUE(waitForSteps([&] { return context.results.historyIndex.load(); }, 10, 6.0));
    // The user switches to the demo track before quitting; the stage closes what runs.
    stage->inputDeviceIndex = selectInputSource(-2, context);
    EXPECT_TRUE(setDemoPlayback(true, context));
    sleepSeconds(0.2);
    closeAudioStage(*stage);
    EXPECT_EQ(recordStreamsOfTheServer(), 0);
    EXPECT_EQ(playbackStreamsOfTheServer(), 0);
}

}  // namespace
