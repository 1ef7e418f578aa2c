// The audio stage of start-up: the FFT configuration and the AudioContext around the session loop.
#include <cstdlib>

#include "app/fatal_error.h"
#include "audio/audio_context.h"
#include "audio/audio_devices.h"
#include "audio/start_source.h"
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
    // The speakers when asked for, the remembered source or the default device; -2 when none opens.
    int inputDeviceIndex = openStartSource(context);
    // The session loop, which switches sources through inputDeviceIndex.
    runSession(display, bindings, context, inputDeviceIndex);
    // Both streams closed before the record goes, then the FFT configuration.
    selectInputSource(-2, context);
    setDemoPlayback(false, context);
    releaseFftConfig(context);
    return 0;
}
