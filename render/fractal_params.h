// The per-frame values of the fractal shader's uniforms that animation and camera change.
#pragma once
#include <cstdint>

// A pair of floats: a plane point (x real, y imaginary), a quad point or a translation.
struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;
};

// zzoom of the home view: the start, the O key and the end of every zoom back out.
constexpr float homeZoom = 1.34f;

// One field per uniform, named after it, in upload order.
struct FractalParams {
    float theta = 0.0f;               // rotation, radians, wrapped into [0, 2pi)
    float alpha = 0.0f;               // tilt, radians, [0, pi/4]
    int32_t max_iterations = 0;       // iteration cap
    float divergence_thresh2 = 0.0f;  // squared escape distance from the start point
    Vec2 c;                           // Julia constant
    Vec2 zitrans;                     // translation before rotation and zoom
    Vec2 zftrans;                     // translation after rotation and zoom
    float fade = 0.0f;                // brightness, [0, 1]
    float zzoom = 0.0f;               // plane units per quad unit
    int32_t colormode = 0;            // colour mode 0..6
    int32_t fractalmode = 0;          // iteration formula 0..7
    float bgfractalblend = 0.0f;      // weight of the background colour, [0, 1]
    float ws = 0.0f;                  // vertical offset, [-0.5, 0.5]
    float ad = 0.0f;                  // horizontal offset, [-0.5, 0.5]
};
