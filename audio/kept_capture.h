// A capture stream from one PortAudio device that outlives the device or the sound server going away.
#pragma once
#include <portaudio.h>

#include "audio/audio_context.h"

// Opens and starts a capture stream with these parameters into the context. While it is held, a
// watcher thread notices a stream that has died or stopped delivering, closes it, hands the analysis
// silence at the real-time pace instead and opens the same device again once a second until it runs.
// False when the first open fails; nothing is held then.
bool openKeptCapture(const PaStreamParameters& input, AudioContext& context);

// Stops the watcher, resets the analysis and closes the stream; no buffer reaches the context once it
// returns. Safe when nothing is held.
void closeKeptCapture(AudioContext& context);

// True while a held capture waits for its device to come back.
bool keptCaptureIsLost();
