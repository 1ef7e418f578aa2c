// The renderer stage (shader program and quad around the audio stage) and the per-frame fractal draw.
#pragma once
#include <cstdint>

#include "app/display_state.h"
#include "render/fractal_params.h"
#include "render/shader_bindings.h"

// Builds the program and the quad, runs the audio stage, releases every GL object.
// Returns the audio stage's code, or 19 to 44 when the GL set-up fails.
int runFractalRenderer(DisplayState& display);

// Clears, uploads the uniforms, draws the quad, waits for the GPU and swaps.
// highlightRect is x0, y0, x1, y1 in GL window pixels (origin bottom left).
void drawFractalFrame(const DisplayState& display, const ShaderBindings& bindings,
                      const FractalParams& params, bool highlight, const int32_t highlightRect[4]);
