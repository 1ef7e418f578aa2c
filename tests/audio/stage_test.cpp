// Tests of the audio stage and the stream control on a machine without audio devices: the FFT
// allocation failure (through a linker seam), the set-up the session receives, and "no device" results.
// Runs with PULSE_SERVER pointing nowhere, so PortAudio finds no device at all.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/audio_devices.h"
#include "session/session_loop.h"

namespace {

bool failFftAllocation = false;
kiss_fft_cfg allocatedConfig = nullptr;
int allocationCalls = 0;
int portAudioCalls = 0;

struct ShownBox {
    Uint32 flags;
    std::string title;
    std::string message;
    SDL_Window* window;
};
std::vector<ShownBox> shownBoxes;

// What the substitute session loop saw of the record it was handed.
struct SessionView {
    int calls = 0;
    int inputDeviceIndex = 99;
    DisplayState* display = nullptr;
    const ShaderBindings* bindings = nullptr;
    kiss_fft_cfg fftConfig = nullptr;
    uint32_t bandBins[bandCountFixed] = {};
    uint32_t channelCount = 0, bandCount = 0, historyLength = 0, demoLength = 0, demoPosition = 99;
    const float* demoSamples = nullptr;
    bool silent = false, beatArmed = false, historyFull = true, playbackMuted = true;
    float levelSum = -1.0f;
};
SessionView session;

}  // namespace

extern "C" {
kiss_fft_cfg __real_kiss_fft_alloc(int nfft, int inverse, void* mem, size_t* lenmem);
kiss_fft_cfg __wrap_kiss_fft_alloc(int nfft, int inverse, void* mem, size_t* lenmem)
{
    ++allocationCalls;
    EXPECT_EQ(nfft, 1024);
    EXPECT_EQ(inverse, 0);
    EXPECT_EQ(mem, nullptr);
    EXPECT_EQ(lenmem, nullptr);
    allocatedConfig = failFftAllocation ? nullptr : __real_kiss_fft_alloc(nfft, inverse, mem, lenmem);
    return allocatedConfig;
}

int __wrap_SDL_ShowSimpleMessageBox(Uint32 flags, const char* title, const char* message, SDL_Window* window)
{
    shownBoxes.push_back({flags, title, message, window});
    return 0;
}

// PortAudio entry points the stage could reach, counted and passed through to the library.
PaDeviceIndex __real_Pa_GetDefaultInputDevice(void);
PaDeviceIndex __wrap_Pa_GetDefaultInputDevice(void)
{
    ++portAudioCalls;
    return __real_Pa_GetDefaultInputDevice();
}
PaDeviceIndex __real_Pa_GetDefaultOutputDevice(void);
PaDeviceIndex __wrap_Pa_GetDefaultOutputDevice(void)
{
    ++portAudioCalls;
    return __real_Pa_GetDefaultOutputDevice();
}
PaDeviceIndex __real_Pa_GetDeviceCount(void);
PaDeviceIndex __wrap_Pa_GetDeviceCount(void)
{
    ++portAudioCalls;
    return __real_Pa_GetDeviceCount();
}
PaError __real_Pa_OpenStream(PaStream**, const PaStreamParameters*, const PaStreamParameters*, double,
                             unsigned long, PaStreamFlags, PaStreamCallback*, void*);
PaError __wrap_Pa_OpenStream(PaStream** stream, const PaStreamParameters* in, const PaStreamParameters* out,
                             double rate, unsigned long frames, PaStreamFlags flags, PaStreamCallback* cb,
                             void* user)
{
    ++portAudioCalls;
    return __real_Pa_OpenStream(stream, in, out, rate, frames, flags, cb, user);
}
}

void runSession(DisplayState& display, const ShaderBindings& bindings, AudioContext& audio, int& inputDeviceIndex)
{
    session.calls += 1;
    session.inputDeviceIndex = inputDeviceIndex;
    session.display = &display;
    session.bindings = &bindings;
    session.fftConfig = audio.fftConfig;
    std::copy(audio.bandBins, audio.bandBins + bandCountFixed, session.bandBins);
    session.channelCount = audio.channelCount.load();
    session.bandCount = audio.bandCount;
    session.historyLength = audio.historyLength;
    session.demoLength = audio.demoLength;
    session.demoPosition = audio.demoPosition.load();
    session.demoSamples = audio.demoSamples;
    session.silent = audio.silent.load();
    session.beatArmed = audio.beatArmed.load();
    session.historyFull = audio.historyFull.load();
    session.playbackMuted = audio.playbackMuted.load();
    session.levelSum = 0.0f;
    for (auto& entry : audio.levelHistory) session.levelSum += entry.load();
}

namespace {

class AudioStage : public ::testing::Test {
protected:
    void SetUp() override
    {
        failFftAllocation = false;
        allocatedConfig = nullptr;
        allocationCalls = portAudioCalls = 0;
        shownBoxes.clear();
        session = SessionView{};
    }
};

TEST_F(AudioStage, FailedFftAllocationShowsTheBoxAndReturnsTwoBeforeAnyPortAudioCall)
{
    failFftAllocation = true;
    DisplayState display;
    ShaderBindings bindings;
    EXPECT_EQ(runAudioSession(display, bindings), 2);
    EXPECT_EQ(allocationCalls, 1);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].flags, Uint32(SDL_MESSAGEBOX_ERROR));
    EXPECT_EQ(shownBoxes[0].title, "QORB ERROR");
    EXPECT_EQ(shownBoxes[0].message, "Fatal Error: Failed to allocate heap memory for FFT Frequency Data.");
    EXPECT_EQ(shownBoxes[0].window, nullptr);
    EXPECT_EQ(session.calls, 0);
    EXPECT_EQ(portAudioCalls, 0);
}

// With PortAudio initialised but no device anywhere, the session starts with no source (-2).
TEST_F(AudioStage, HandsTheSessionAFreshRecordAndNoSourceWhenNothingRecords)
{
    ASSERT_EQ(Pa_Initialize(), paNoError);
    ASSERT_EQ(Pa_GetDeviceCount(), 0) << "this test needs a machine without audio devices";
    DisplayState display;
    ShaderBindings bindings;
    EXPECT_EQ(runAudioSession(display, bindings), 0);
    Pa_Terminate();

    EXPECT_TRUE(shownBoxes.empty());
    ASSERT_EQ(session.calls, 1);
    EXPECT_EQ(session.inputDeviceIndex, -2);
    EXPECT_EQ(session.display, &display);
    EXPECT_EQ(session.bindings, &bindings);
    EXPECT_NE(session.fftConfig, nullptr);
    EXPECT_EQ(session.fftConfig, allocatedConfig);
    const uint32_t expectedBins[bandCountFixed] = {0, 3, 6, 16, 34, 74, 162};
    for (int b = 0; b < bandCountFixed; ++b) EXPECT_EQ(session.bandBins[b], expectedBins[b]);
    EXPECT_EQ(session.channelCount, 2u);
    EXPECT_EQ(session.bandCount, 7u);
    EXPECT_EQ(session.historyLength, 50u);
    EXPECT_EQ(session.demoLength, 1786050u);
    EXPECT_EQ(session.demoPosition, 0u);
    EXPECT_EQ(session.demoSamples, demoTrackSamples());
    EXPECT_TRUE(session.silent);
    EXPECT_TRUE(session.beatArmed);
    EXPECT_FALSE(session.historyFull);
    EXPECT_FALSE(session.playbackMuted);
    EXPECT_EQ(session.levelSum, 0.0f);
}

TEST_F(AudioStage, StreamControlFindsNothingAndTouchesNoAnalysis)
{
    ASSERT_EQ(Pa_Initialize(), paNoError);
    ASSERT_EQ(Pa_GetDeviceCount(), 0) << "this test needs a machine without audio devices";
    static AudioContext audio;
    prepareAudioContext(audio, nullptr);
    audio.beatCount.store(1000);  // a reset would clear it; with no stream held there is none

    EXPECT_EQ(countInputDevices(), 0);
    EXPECT_EQ(inputDeviceAt(0), paNoDevice);
    EXPECT_EQ(inputDeviceAt(-1), paNoDevice);
    EXPECT_EQ(selectInputSource(-1, audio), -2);
    EXPECT_EQ(selectInputSource(0, audio), -2);
    EXPECT_EQ(selectInputSource(-7, audio), -2);
    EXPECT_FALSE(setDemoPlayback(true, audio));
    EXPECT_FALSE(setDemoPlayback(false, audio));
    EXPECT_EQ(audio.beatCount.load(), 1000u);
    Pa_Terminate();
}

}  // namespace
