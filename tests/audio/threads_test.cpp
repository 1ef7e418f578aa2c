// Concurrency test for the ThreadSanitizer build: real streams run their callbacks while the main
// thread resets the analysis, reads what the session reads and toggles the mute, for a few seconds.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/audio_devices.h"
#include "audio/loopback_capture.h"
#include "audio/sound_sources.h"
#include "tests/audio/audio_test_support.h"
#include "tests/audio/process_support.h"

namespace {

struct MainThreadView {
    int buffersSeen = 0;  // changes of historyIndex noticed between reads
    bool sawSound = false;
};

// What the session does each frame, at about 100 frames a second, with a reset every tenth frame.
MainThreadView exerciseMainThread(AudioContext& audio, double seconds, bool toggleMute)
{
    MainThreadView view;
    uint32_t lastIndex = audio.results.historyIndex.load(std::memory_order_relaxed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (int frame = 0; std::chrono::steady_clock::now() < end; ++frame) {
        float sum = 0.0f;
        for (int b = 0; b < bandCountFixed; ++b)
            sum += audio.results.bandLevels[b].load(std::memory_order_relaxed) + audio.results.bandPeaks[b].load(std::memory_order_relaxed);
        view.sawSound = view.sawSound || sum > 0.0f;
        (void)audio.results.beatCount.load(std::memory_order_relaxed);
        (void)audio.results.silent.load(std::memory_order_relaxed);
        if (toggleMute) audio.streams.playbackMuted.store(frame % 20 < 10, std::memory_order_relaxed);
        if (frame % 10 == 9) resetAnalysis(audio);
        const uint32_t index = audio.results.historyIndex.load(std::memory_order_relaxed);
        view.buffersSeen += index != lastIndex ? 1 : 0;
        lastIndex = index;
        sleepSeconds(0.01);
    }
    return view;
}

// A new stream pauses for up to two seconds before it runs steadily.
bool streamRuns(AudioContext& audio)
{
    return waitForSteps([&] { return audio.results.historyIndex.load(std::memory_order_relaxed); }, 10, 6.0);
}

class StreamThreads : public PreparedContext {
protected:
    void SetUp() override
    {
        PreparedContext::SetUp();
        ASSERT_EQ(Pa_Initialize(), paNoError);
        if (countInputDevices() == 0 || Pa_GetDefaultOutputDevice() == paNoDevice)
            GTEST_SKIP() << "no audio device: run under scripts/with_services.sh";
    }
    void TearDown() override
    {
        selectInputSource(-2, audio);
        setDemoPlayback(false, audio);
        Pa_Terminate();
        PreparedContext::TearDown();
    }
};

TEST_F(StreamThreads, PlaybackRunsAgainstResetsReadsAndMuting)
{
    ASSERT_TRUE(setDemoPlayback(true, audio));
    ASSERT_TRUE(streamRuns(audio));
    const MainThreadView view = exerciseMainThread(audio, 3.0, true);
    EXPECT_GT(view.buffersSeen, 50) << "about 43 buffers a second arrive";
    EXPECT_TRUE(view.sawSound);
    EXPECT_FALSE(setDemoPlayback(false, audio));
}

TEST_F(StreamThreads, CaptureRunsAgainstResetsAndReads)
{
    ASSERT_EQ(selectInputSource(-1, audio), -1);
    const pid_t player = spawnQuiet({"paplay", "--raw", "--format=s16le", "--channels=2", "/dev/urandom"});
    ASSERT_TRUE(streamRuns(audio));
    const MainThreadView view = exerciseMainThread(audio, 3.0, false);
    if (player > 0) kill(player, SIGTERM);
    waitForExit(player);
    EXPECT_GT(view.buffersSeen, 50);
    EXPECT_TRUE(view.sawSound) << "the noise played into the sink is captured";
    EXPECT_EQ(selectInputSource(-2, audio), -2);
}

// Buffers that reach the analysis in the given time, counted as changes of the history position read
// every millisecond; two within one millisecond count once.
int buffersWithin(AudioContext& audio, double seconds)
{
    int changes = 0;
    uint32_t last = audio.results.historyIndex.load(std::memory_order_relaxed);
    waitUntil(
        [&] {
            const uint32_t now = audio.results.historyIndex.load(std::memory_order_relaxed);
            changes += now != last ? 1 : 0;
            last = now;
            return false;
        },
        seconds);
    return changes;
}

void startServer(const std::string& config)
{
    const std::string home = config.substr(0, config.rfind('/')) + "/home";
    const std::string command = "HOME=" + home + " pulseaudio -n -F " + config +
                                " --daemonize=no --exit-idle-time=-1 --use-pid-file=no >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(waitUntil([] { return std::system("pactl info >/dev/null 2>&1") == 0; }, 30.0));
}

// The server dies under a running capture: a watcher thread feeds silence while the main thread
// resets and reads, then opens the device again once the server is back.
TEST_F(StreamThreads, CaptureOutlivesItsSoundServer)
{
    const char* config = std::getenv("QUASARINE_PULSE_CONFIG");
    if (config == nullptr) GTEST_SKIP() << "needs the private server of scripts/with_services.sh";
    ASSERT_EQ(selectInputSource(-1, audio), -1);
    ASSERT_TRUE(streamRuns(audio));
    // The bracket keeps the pattern from matching the shell that runs pkill.
    ASSERT_EQ(std::system((std::string("pkill -KILL -f '[p]ulseaudio -n -F ") + config + "'").c_str()), 0);
    ASSERT_TRUE(waitUntil([] { return captureIsLost(); }, 10.0)) << "the dead stream is noticed";
    exerciseMainThread(audio, 1.0, false);
    // 43 buffers a second; a busy machine may delay some, and nothing may come in a burst.
    const int buffers = buffersWithin(audio, 2.0);
    std::printf("buffers of silence in 2 s: %d\n", buffers);
    EXPECT_GT(buffers, 40);
    EXPECT_LE(buffers, 100);
    EXPECT_TRUE(waitUntil([&] { return audio.results.silent.load(); }, 10.0)) << "the analysis hears silence";

    startServer(config);
    const auto back = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil([] { return !captureIsLost(); }, 10.0)) << "the device is opened again";
    std::printf("opened again %.2f s after the server answered\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - back).count());
    const pid_t player = spawnQuiet({"paplay", "--raw", "--format=s16le", "--channels=2", "/dev/urandom"});
    ASSERT_TRUE(streamRuns(audio));
    const MainThreadView view = exerciseMainThread(audio, 2.0, false);
    if (player > 0) kill(player, SIGTERM);
    waitForExit(player);
    EXPECT_TRUE(view.sawSound) << "the noise played into the sink is captured again";
    EXPECT_EQ(selectInputSource(-2, audio), -2);
}

// The speakers' capture runs on the sound server client's own thread; the main thread reads the
// device name each frame, as the title screen does, and finally moves the default sink under it.
TEST_F(StreamThreads, SpeakersCaptureRunsAgainstResetsReadsAndASinkChange)
{
    ASSERT_EQ(selectInputSource(speakersSource, audio), speakersSource);
    const pid_t player = spawnQuiet({"paplay", "--raw", "--format=s16le", "--channels=2", "/dev/urandom"});
    ASSERT_TRUE(streamRuns(audio));
    std::thread names([] {
        char name[64];
        for (int n = 0; n < 300; ++n) {
            loopbackDeviceName(name, sizeof name);
            sleepSeconds(0.01);
        }
    });
    const MainThreadView view = exerciseMainThread(audio, 3.0, false);
    names.join();
    if (player > 0) kill(player, SIGTERM);
    waitForExit(player);
    EXPECT_GT(view.buffersSeen, 50);
    EXPECT_TRUE(view.sawSound) << "the noise played into the default sink is captured";
    const std::string module = commandOutput("pactl load-module module-null-sink sink_name=threads_other");
    ASSERT_FALSE(module.empty());
    ASSERT_EQ(std::system("pactl set-default-sink threads_other"), 0);
    EXPECT_TRUE(streamRuns(audio)) << "buffers go on after the move to the new sink";
    EXPECT_EQ(std::system("pactl set-default-sink quasarine_sink"), 0);
    EXPECT_EQ(std::system(("pactl unload-module " + module).c_str()), 0);
    EXPECT_EQ(selectInputSource(-2, audio), -2);
}

}  // namespace
