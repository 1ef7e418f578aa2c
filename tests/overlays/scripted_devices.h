// The audio devices that the overlay tests put in front of the title screen.
#pragma once
#include <portaudio.h>

#include <string>
#include <vector>

#include "audio/sound_sources.h"

// One PortAudio device as the test describes it.
struct ScriptedDevice {
    std::string name;
    int inputChannels = 2;
};

// Replaces the machine's device list and its default recording device (an index or paNoDevice).
void scriptDevices(const std::vector<ScriptedDevice>& devices, PaDeviceIndex defaultInput);
// Makes Pa_GetDeviceInfo answer null for every device, as PortAudio does for an index it lost.
void scriptMissingDeviceInfo(bool missing);
// The output device the speakers capture reports; empty for none.
void scriptSpeakersName(const std::string& name);
// Whether the capture of the chosen device has lost its device.
void scriptCaptureLost(bool lost);

// The controls whose device queries answer from the script above.
extern const SoundSourceControl scriptedDevices;
