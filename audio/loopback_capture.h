// Capture of what the default output device plays, fed to the analysis as a capture stream would.
#pragma once
#include <cstddef>

#include "audio/audio_context.h"

// Starts capturing the sound of the current default output device: 44100 Hz stereo float in
// 1024-frame buffers, handed to onCaptureBuffer on the capture's own thread, following the default
// output when the user changes it and recovering when the device or the sound server comes back.
// While nothing can be captured the analysis receives silence at the real-time pace. Sets the
// context's channel count to 2. False when the platform cannot give it now; nothing runs then.
bool openLoopbackCapture(AudioContext& context);

// Stops the capture; no buffer reaches the context once it returns. Safe when nothing runs.
void closeLoopbackCapture();

// Copies the name of the output device being captured into name (empty when unknown or when nothing
// runs), cut to capacity - 1 bytes and always terminated.
void loopbackDeviceName(char* name, size_t capacity);
