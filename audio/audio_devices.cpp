// Input device enumeration and the two PortAudio streams: capture from a chosen device, demo playback.
#include "audio/audio_devices.h"

#include <cstdio>
#include <cstring>

#include "audio/kept_capture.h"
#include "audio/loopback_capture.h"
#include "audio/sound_sources.h"
#include "audio/started_stream.h"

namespace {

// Held from a successful open until closed; the capture stream is held by the kept capture.
PaStream* playbackStream = nullptr;
bool loopbackRunning = false;

void closeLoopback(AudioContext& context)
{
    if (!loopbackRunning) return;
    resetAnalysis(context);
    closeLoopbackCapture();
    loopbackRunning = false;
}

const char* hostApiNameOf(const PaDeviceInfo& info)
{
    const PaHostApiInfo* hostApi = Pa_GetHostApiInfo(info.hostApi);
    return hostApi != nullptr && hostApi->name != nullptr ? hostApi->name : "";
}

// The other values below 0 find no device: inputDeviceAt refuses them.
PaDeviceIndex captureDeviceFor(int selection)
{
    if (selection == defaultDeviceSource) return Pa_GetDefaultInputDevice();
    return inputDeviceAt(selection);
}

const PaDeviceInfo* deviceInfoOf(PaDeviceIndex device)
{
    return device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
}

}  // namespace

int countInputDevices()
{
    int count = 0;
    const int devices = Pa_GetDeviceCount();
    for (int i = 0; i < devices; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info != nullptr && info->maxInputChannels > 0) ++count;
    }
    return count;
}

bool hasDefaultRecordingDevice()
{
    return Pa_GetDefaultInputDevice() != paNoDevice;
}

int inputDeviceAt(int n)
{
    if (n < 0) return paNoDevice;
    int seen = 0;
    const int devices = Pa_GetDeviceCount();
    for (int i = 0; i < devices; ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info == nullptr || info->maxInputChannels <= 0) continue;
        if (seen == n) return i;
        ++seen;
    }
    return paNoDevice;
}

bool setDemoPlayback(bool on, AudioContext& context)
{
    closeHeldStream(playbackStream, context);
    if (!on) return false;
    PaStreamParameters output;
    if (!defaultOutputParameters(output)) return false;
    return openStartedStream(playbackStream, nullptr, &output, onPlaybackBuffer, context);
}

int selectInputSource(int selection, AudioContext& context)
{
    const PaDeviceIndex device = captureDeviceFor(selection);
    const PaDeviceInfo* info = deviceInfoOf(device);
    closeKeptCapture(context);
    closeLoopback(context);
    if (selection == speakersSource) {
        loopbackRunning = openLoopbackCapture(context);
        return loopbackRunning ? selection : noSource;
    }
    if (info == nullptr) return noSource;
    const PaStreamParameters input =
        deviceStreamParameters(device, info->maxInputChannels, info->defaultLowInputLatency);
    return openKeptCapture(input, context) ? selection : noSource;
}

bool inputDeviceIdentity(int n, char* name, char* hostApi, size_t capacity)
{
    const PaDeviceInfo* info = deviceInfoOf(inputDeviceAt(n));
    if (info == nullptr || info->name == nullptr || capacity == 0) return false;
    std::snprintf(name, capacity, "%s", info->name);
    std::snprintf(hostApi, capacity, "%s", hostApiNameOf(*info));
    return true;
}

int inputSelectionNamed(const char* name, const char* hostApi)
{
    const int count = countInputDevices();
    for (int n = 0; n < count; ++n) {
        const PaDeviceInfo* info = deviceInfoOf(inputDeviceAt(n));
        if (info == nullptr || info->name == nullptr) continue;
        if (std::strcmp(info->name, name) == 0 && std::strcmp(hostApiNameOf(*info), hostApi) == 0) return n;
    }
    return defaultDeviceSource;
}

bool captureIsLost()
{
    return keptCaptureIsLost();
}
