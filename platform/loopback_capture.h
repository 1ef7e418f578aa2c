// The platform's capture of what the default output device plays, handed over buffer by buffer.
#pragma once
#include <cstddef>
#include <cstdint>

// Every buffer has this shape, whatever the device plays: interleaved stereo float frames.
constexpr uint32_t loopbackCaptureFrames = 1024;
constexpr uint32_t loopbackCaptureRate = 44100;
constexpr uint32_t loopbackCaptureChannels = 2;

// Receives one buffer of frameCount (always loopbackCaptureFrames) frames on the capture's own thread.
using LoopbackBufferHandler = void (*)(const float* frames, unsigned long frameCount, void* user);

// Starts capturing the sound of the current default output device, stopping any capture already
// running first. Each buffer goes to handler with user, following the default output when the user
// changes it and recovering when the device or the sound server comes back; while nothing can be
// captured the handler receives silence at the real-time pace. False when the platform cannot give
// it now; nothing runs then.
bool startLoopbackCapture(LoopbackBufferHandler handler, void* user);

// Stops the capture; the handler is not called once it returns. Safe when nothing runs.
void stopLoopbackCapture();

// Copies the name of the output device being captured into name (empty when unknown or when nothing
// runs), cut to capacity - 1 bytes and always terminated.
void loopbackCaptureDeviceName(char* name, size_t capacity);
