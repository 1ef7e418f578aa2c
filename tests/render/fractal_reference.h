// CPU model of the fractal program for the pixel tests: vertex interpolation at pixel centres and
// the fragment stage, in single precision like the GPU.
#pragma once
#include <cstdint>

#include "render/fractal_params.h"

// Everything one frame depends on.
struct FrameSpec {
    int width = 64;
    int height = 48;
    FractalParams params;
    bool highlight = false;
    int32_t rect[4] = {0, 0, 0, 0};
};

// What the rasteriser hands the fragment stage at one pixel.
struct FragmentInputs {
    Vec2 z0;
    Vec2 pxl;
};

// The fragment stage's result and the values it came from.
struct ShadedFragment {
    int iterations = 0;          // n when the loop ended
    bool interior = false;       // the orbit stayed within the threshold (n > N)
    int32_t countValue = 0;      // 24-bit count colour value (0 for interior fragments)
    int32_t backgroundValue = 0; // 24-bit background colour value (0 for interior fragments)
    float rgb[3] = {0.0f, 0.0f, 0.0f};
};

// Plane point and window position at the centre of a pixel (row 0 is the bottom row).
FragmentInputs interpolateAtPixel(const FrameSpec& frame, int column, int row);

ShadedFragment shadeFragment(const FrameSpec& frame, FragmentInputs inputs);

// Red, green and blue bytes of a 24-bit value in a colour mode, and the inverse.
void splitColorValue(int32_t value, int colormode, int bytes[3]);
int32_t joinColorBytes(const int bytes[3], int colormode);
