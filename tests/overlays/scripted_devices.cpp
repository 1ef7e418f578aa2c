// Scripted audio devices: the sound-source controls whose device queries answer from the test's list.
#include "tests/overlays/scripted_devices.h"

#include <cstdio>

namespace {

std::vector<ScriptedDevice> scripted;
std::vector<PaDeviceInfo> infos;
PaDeviceIndex scriptedDefault = paNoDevice;
bool infoMissing = false;
std::string speakersName;
bool captureLost = false;

}  // namespace

void scriptDevices(const std::vector<ScriptedDevice>& devices, PaDeviceIndex defaultInput)
{
    scripted = devices;
    infos.assign(scripted.size(), PaDeviceInfo{});
    for (size_t i = 0; i < scripted.size(); ++i) {
        infos[i].structVersion = 2;
        infos[i].name = scripted[i].name.c_str();
        infos[i].maxInputChannels = scripted[i].inputChannels;
    }
    scriptedDefault = defaultInput;
    infoMissing = false;
}

void scriptMissingDeviceInfo(bool missing)
{
    infoMissing = missing;
}

void scriptSpeakersName(const std::string& name)
{
    speakersName = name;
}

void scriptCaptureLost(bool lost)
{
    captureLost = lost;
}

namespace {

bool captureIsLost()
{
    return captureLost;
}

void speakersDeviceName(char* name, size_t capacity)
{
    std::snprintf(name, capacity, "%s", speakersName.c_str());
}

int countInputDevices()
{
    int count = 0;
    for (const ScriptedDevice& device : scripted) {
        count += device.inputChannels > 0 ? 1 : 0;
    }
    return count;
}

int inputDeviceAt(int n)
{
    for (size_t i = 0; n >= 0 && i < scripted.size(); ++i) {
        if (scripted[i].inputChannels > 0 && n-- == 0) {
            return static_cast<int>(i);
        }
    }
    return paNoDevice;
}

bool hasDefaultRecordingDevice()
{
    return scriptedDefault != paNoDevice;
}

// As PortAudio's answer for an index it lost, a missing device info names nothing.
bool inputDeviceIdentity(int n, char* name, char* hostApi, size_t capacity)
{
    const PaDeviceIndex device = inputDeviceAt(n);
    if (device == paNoDevice || infoMissing || capacity == 0) return false;
    std::snprintf(name, capacity, "%s", infos[device].name);
    std::snprintf(hostApi, capacity, "%s", "ALSA");
    return true;
}

// The title screen never opens a stream.
int selectNothing(int, AudioContext&)
{
    return noSource;
}

bool playNothing(bool, AudioContext&)
{
    return false;
}

void resetNothing(AudioContext&) {}

void rememberNothing(int) {}

}  // namespace

const SoundSourceControl scriptedDevices = {
    countInputDevices, hasDefaultRecordingDevice, inputDeviceIdentity, speakersDeviceName,
    captureIsLost,     selectNothing,             playNothing,         resetNothing,
    rememberNothing,
};
