// Input device enumeration and the capture and demo-playback streams.
#pragma once
#include "audio/audio_context.h"

// Number of devices with at least one input channel, in PortAudio's index order.
int countInputDevices();

// PortAudio index of the n-th input-capable device, or -1 (paNoDevice).
int inputDeviceAt(int n);

// Closes a running playback stream; with on, opens and starts a new one. True when it runs afterwards.
bool setDemoPlayback(bool on, AudioContext& context);

// Makes the capture stream follow the selection (-1 default device, n >= 0 the n-th input device).
// Returns the selection when its stream runs, otherwise -2.
int selectInputSource(int selection, AudioContext& context);
