// Opening, starting and closing one PortAudio stream held in a handle.
#include "audio/started_stream.h"

#include <algorithm>

namespace {

constexpr double streamSampleRate = 44100.0;
constexpr unsigned long streamFramesPerBuffer = windowFrames;

}  // namespace

PaStreamParameters deviceStreamParameters(PaDeviceIndex device, int maxChannels, PaTime latency)
{
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = std::min(2, maxChannels);
    parameters.sampleFormat = paFloat32;
    parameters.suggestedLatency = latency;
    parameters.hostApiSpecificStreamInfo = nullptr;
    return parameters;
}

bool defaultOutputParameters(PaStreamParameters& output)
{
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (info == nullptr) return false;
    output = deviceStreamParameters(device, info->maxOutputChannels, info->defaultLowOutputLatency);
    return true;
}

bool openStartedStream(PaStream*& stream, const PaStreamParameters* input,
                       const PaStreamParameters* output, PaStreamCallback* callback,
                       AudioContext& context)
{
    const PaStreamParameters& used = input != nullptr ? *input : *output;
    if (Pa_OpenStream(&stream, input, output, streamSampleRate, streamFramesPerBuffer, paClipOff,
                      callback, &context) != paNoError) {
        stream = nullptr;
        return false;
    }
    context.streams.channelCount.store(static_cast<uint32_t>(used.channelCount), std::memory_order_relaxed);
    if (Pa_StartStream(stream) != paNoError) {
        resetAnalysis(context);
        Pa_CloseStream(stream);
        stream = nullptr;
        return false;
    }
    return true;
}

void closeHeldStream(PaStream*& stream, AudioContext& context)
{
    if (stream == nullptr) return;
    resetAnalysis(context);
    Pa_StopStream(stream);
    Pa_CloseStream(stream);
    stream = nullptr;
}
