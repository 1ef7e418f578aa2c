// The sound-source controls over the machine's real devices and streams.
#include "audio/sound_source_control.h"

#include "audio/audio_devices.h"
#include "audio/loopback_capture.h"
#include "audio/start_source.h"

const SoundSourceControl audioSoundSources = {
    countInputDevices, hasDefaultRecordingDevice, inputDeviceIdentity, loopbackDeviceName,
    captureIsLost,     selectInputSource,         setDemoPlayback,     resetAnalysis,
    rememberChosenSource,
};
