// The two GLSL sources of the fractal program, embedded from fractal.vert and fractal.frag at build time.
#pragma once

// Zero-terminated texts, each beginning with "#version 140".
extern const char fractalVertexShaderSource[];
extern const char fractalFragmentShaderSource[];
