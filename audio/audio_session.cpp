// The audio stage of start-up: the FFT configuration and the AudioContext around the session loop.
#include <cstdlib>

#include "app/fatal_error.h"
#include "audio/audio_context.h"
#include "audio/audio_devices.h"
#include "session/session_loop.h"

namespace {

void releaseFftConfig(AudioContext& context)
{
    if (context.fftConfig == nullptr) return;
    free(context.fftConfig);
    context.fftConfig = nullptr;
}

}  // namespace

int runAudioSession(DisplayState& display, ShaderBindings& bindings)
{
    // The FFT configuration is the only heap block the program allocates itself.
    kiss_fft_cfg fftConfig = kiss_fft_alloc(windowFrames, 0, nullptr, nullptr);
    if (fftConfig == nullptr) {
        showFatalError("Fatal Error: Failed to allocate heap memory for FFT Frequency Data.");
        return 2;
    }
    // The record, its cleared arrays, band bins and initial values.
    AudioContext context;
    prepareAudioContext(context, fftConfig);
    // The default recording device, or none (-2) when it cannot be opened.
    int inputDeviceIndex = selectInputSource(-1, context);
    // The session loop, which switches sources through inputDeviceIndex.
    runSession(display, bindings, context, inputDeviceIndex);
    // Both streams closed before the record goes, then the FFT configuration.
    selectInputSource(-2, context);
    setDemoPlayback(false, context);
    releaseFftConfig(context);
    return 0;
}
