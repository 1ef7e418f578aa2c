// Encoding a picture as the bytes of a PNG file with FFmpeg's PNG encoder.
#pragma once
#include <cstdint>
#include <vector>

// RGBA pixels (the fourth byte ignored), rows top first or bottom first, into an 8-bit RGB PNG.
// False, with png empty, when the encoder is missing or fails.
bool encodePngImage(const uint8_t* rgba, int width, int height, bool bottomUp, std::vector<uint8_t>& png);
