// The audio stage of start-up: the FFT configuration and the AudioContext around the session.
#include "audio/audio_stage.h"

#include <cstdlib>

#include "platform/exit_codes.h"
#include "platform/fatal_error.h"
#include "audio/audio_devices.h"
#include "audio/sound_sources.h"
#include "audio/start_source.h"

int openAnalysis(AudioContext& context)
{
    // The FFT configuration is the only heap block the program allocates itself.
    kiss_fft_cfg fftConfig = kiss_fft_alloc(windowFrames, 0, nullptr, nullptr);
    if (fftConfig == nullptr) {
        showFatalError("Fatal Error: Failed to allocate heap memory for FFT Frequency Data.");
        return codeNoFftMemory;
    }
    // The record, its cleared arrays, band bins and initial values.
    prepareAudioContext(context, fftConfig);
    return 0;
}

void closeAnalysis(AudioContext& context)
{
    free(context.fftConfig);
    context.fftConfig = nullptr;
}

int openAudioStage(AudioStage& stage, bool speakersFirst)
{
    const int code = openAnalysis(stage.context);
    if (code != 0) return code;
    // The speakers when asked for, the remembered source or the default device.
    stage.inputDeviceIndex = openStartSource(stage.context, speakersFirst);
    return 0;
}

void closeAudioStage(AudioStage& stage)
{
    if (stage.context.fftConfig == nullptr) return;
    // Both streams closed before the record goes, then the FFT configuration.
    stage.inputDeviceIndex = selectInputSource(noSource, stage.context);
    setDemoPlayback(false, stage.context);
    closeAnalysis(stage.context);
}
