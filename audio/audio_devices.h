// Input device enumeration and the capture and demo-playback streams.
#pragma once
#include <cstddef>

#include "audio/audio_context.h"

// Number of devices with at least one input channel, in PortAudio's index order.
int countInputDevices();

// True when the system names a default recording device.
bool hasDefaultRecordingDevice();

// PortAudio index of the n-th input-capable device, or -1 (paNoDevice).
int inputDeviceAt(int n);

// Closes a running playback stream; with on, opens and starts a new one. True when it runs afterwards.
bool setDemoPlayback(bool on, AudioContext& context);

// Makes the capture follow the selection (see sound_sources.h: the default device, the speakers, or
// the n-th input device). Returns the selection when its capture runs, otherwise noSource.
int selectInputSource(int selection, AudioContext& context);

// True while the capture of a chosen device is held but its device or sound server is gone; the
// analysis then hears silence and the device is opened again as soon as it can be.
bool captureIsLost();

// The name of the n-th input device and of its host API, which identify it across runs; false when
// there is no such device. Both are cut to capacity - 1 bytes.
bool inputDeviceIdentity(int n, char* name, char* hostApi, size_t capacity);

// The selection of the input device with this name and host API, or the default device's (-1) when
// no device has them.
int inputSelectionNamed(const char* name, const char* hostApi);
