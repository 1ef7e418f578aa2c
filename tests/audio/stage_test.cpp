// Tests of the audio stage and the stream control on a machine without audio devices: the FFT
// allocation failure (through a linker seam), the record the session receives, and "no device" results.
// Runs with PULSE_SERVER pointing nowhere, so PortAudio finds no device at all.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <memory>

#include "audio/audio_devices.h"
#include "audio/audio_stage.h"

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

namespace {

class AudioStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        failFftAllocation = false;
        allocatedConfig = nullptr;
        allocationCalls = portAudioCalls = 0;
        shownBoxes.clear();
    }
};

TEST_F(AudioStart, FailedFftAllocationShowsTheBoxAndReturnsTwoBeforeAnyPortAudioCall)
{
    failFftAllocation = true;
    auto stage = std::make_unique<AudioStage>();
    EXPECT_EQ(openAudioStage(*stage, false), 2);
    EXPECT_EQ(allocationCalls, 1);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].flags, Uint32(SDL_MESSAGEBOX_ERROR));
    EXPECT_EQ(shownBoxes[0].title, "QORB ERROR");
    EXPECT_EQ(shownBoxes[0].message, "Fatal Error: Failed to allocate heap memory for FFT Frequency Data.");
    EXPECT_EQ(shownBoxes[0].window, nullptr);
    EXPECT_EQ(stage->inputDeviceIndex, -2);
    closeAudioStage(*stage);
    EXPECT_EQ(portAudioCalls, 0);
}

// With PortAudio initialised but no device anywhere, the session starts with no source (-2).
TEST_F(AudioStart, OpensAFreshRecordWithNoSourceWhenNothingRecordsAndClosesIt)
{
    ASSERT_EQ(Pa_Initialize(), paNoError);
    ASSERT_EQ(Pa_GetDeviceCount(), 0) << "this test needs a machine without audio devices";
    auto stage = std::make_unique<AudioStage>();
    stage->inputDeviceIndex = 99;
    ASSERT_EQ(openAudioStage(*stage, false), 0);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(stage->inputDeviceIndex, -2);
    const AudioContext& audio = stage->context;
    EXPECT_NE(audio.fftConfig, nullptr);
    EXPECT_EQ(audio.fftConfig, allocatedConfig);
    const uint32_t expectedBins[bandCountFixed] = {0, 3, 6, 16, 34, 74, 162};
    for (int b = 0; b < bandCountFixed; ++b) EXPECT_EQ(audio.bandBins[b], expectedBins[b]);
    EXPECT_EQ(audio.streams.channelCount.load(), 2u);
    EXPECT_EQ(audio.streams.demoLength, 1786050u);
    EXPECT_EQ(audio.streams.demoPosition.load(), 0u);
    EXPECT_EQ(audio.streams.demoSamples, demoTrackSamples());
    EXPECT_TRUE(audio.results.silent.load());
    EXPECT_TRUE(audio.results.beatArmed.load());
    EXPECT_FALSE(audio.results.historyFull.load());
    EXPECT_FALSE(audio.streams.playbackMuted.load());
    float levelSum = 0.0f;
    for (auto& entry : audio.results.levelHistory) levelSum += entry.load();
    EXPECT_EQ(levelSum, 0.0f);
    closeAudioStage(*stage);
    EXPECT_EQ(stage->context.fftConfig, nullptr);
    closeAudioStage(*stage);
    Pa_Terminate();
}

TEST_F(AudioStart, StreamControlFindsNothingAndTouchesNoAnalysis)
{
    ASSERT_EQ(Pa_Initialize(), paNoError);
    ASSERT_EQ(Pa_GetDeviceCount(), 0) << "this test needs a machine without audio devices";
    static AudioContext audio;
    prepareAudioContext(audio, nullptr);
    audio.results.beatCount.store(1000);  // a reset would clear it; with no stream held there is none

    EXPECT_EQ(countInputDevices(), 0);
    EXPECT_EQ(inputDeviceAt(0), paNoDevice);
    EXPECT_EQ(inputDeviceAt(-1), paNoDevice);
    EXPECT_EQ(selectInputSource(-1, audio), -2);
    EXPECT_EQ(selectInputSource(0, audio), -2);
    EXPECT_EQ(selectInputSource(-7, audio), -2);
    EXPECT_FALSE(setDemoPlayback(true, audio));
    EXPECT_FALSE(setDemoPlayback(false, audio));
    EXPECT_EQ(audio.results.beatCount.load(), 1000u);
    Pa_Terminate();
}

}  // namespace
