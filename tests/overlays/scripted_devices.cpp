// Scripted PortAudio devices: link-time substitutes for the device enumeration of the audio stage and
// the speakers' device name, and wrappers (-Wl,--wrap) around the two PortAudio queries that the
// overlays make.
#include "tests/overlays/scripted_devices.h"

#include <cstdio>

#include "audio/audio_devices.h"
#include "audio/loopback_capture.h"

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

bool captureIsLost()
{
    return captureLost;
}

void loopbackDeviceName(char* name, size_t capacity)
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

extern "C" PaDeviceIndex __wrap_Pa_GetDefaultInputDevice()
{
    return scriptedDefault;
}

extern "C" const PaDeviceInfo* __wrap_Pa_GetDeviceInfo(PaDeviceIndex device)
{
    bool known = device >= 0 && static_cast<size_t>(device) < infos.size();
    return known && !infoMissing ? &infos[device] : nullptr;
}
