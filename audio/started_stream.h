// Opening, starting and closing one PortAudio stream held in a handle, shared by capture and playback.
#pragma once
#include <portaudio.h>

#include "audio/audio_context.h"

// Float stereo (or mono) parameters for a device with this many channels and this latency.
PaStreamParameters deviceStreamParameters(PaDeviceIndex device, int maxChannels, PaTime latency);

// Parameters for the default output device at its low latency; false when there is none.
bool defaultOutputParameters(PaStreamParameters& output);

// Opens and starts one direction's stream into the handle at 44100 Hz in 1024-frame buffers and sets
// the context's channel count to the stream's; leaves the handle empty on failure.
bool openStartedStream(PaStream*& stream, const PaStreamParameters* input,
                       const PaStreamParameters* output, PaStreamCallback* callback,
                       AudioContext& context);

// A held stream is closed before its handle is reused, also when it has already gone inactive (its
// device failed or its callback completed), since PortAudio keeps it open until closed. The analysis
// is reset first because the stream fed it; a callback still running may land in the cleared state.
void closeHeldStream(PaStream*& stream, AudioContext& context);
