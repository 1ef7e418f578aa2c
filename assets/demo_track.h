// The demo track built into the program: interleaved stereo floats at 44100 Hz, made at build time.
#pragma once
#include <cstdint>

constexpr uint32_t demoTrackFrames = 1786050;

// First float of the embedded demo track.
const float* demoTrackSamples();
