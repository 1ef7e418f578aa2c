// The fractal renderer (shader program and quad) and the per-frame fractal draw.
#pragma once
#include <cstdint>

#include "platform/display_state.h"
#include "render/fractal_params.h"
#include "render/frame_grab.h"
#include "render/shader_bindings.h"

// The GL names the renderer creates and releases; the quad's buffers live in the bindings.
struct FractalRenderer {
    uint32_t program = 0;
    uint32_t vertexShader = 0;
    uint32_t fragmentShader = 0;
    ShaderBindings bindings;
};

// Loads the GL entry points, sets the viewport, builds the program, looks up every variable, uploads
// the quad and makes the program current. Returns 0, or 19 to 44 after the failure's error box, with
// everything it made released.
int openFractalRenderer(const DisplayState& display, FractalRenderer& renderer);

// Makes the program's context current, unbinds the program and deletes the vertex buffer, the index
// buffer, the fragment shader, the vertex shader and the program. Safe on a half-built record.
void closeFractalRenderer(FractalRenderer& renderer);

// Clears the bound framebuffer, uploads the uniforms and draws the quad, with the program's context
// current and the viewport over display's drawable. The frame of a video is drawn this way.
void drawFractal(const DisplayState& display, const ShaderBindings& bindings, const FractalParams& params,
                 bool highlight, const int32_t highlightRect[4]);

// Makes the program's context current, draws the fractal, waits for the GPU and swaps; with grab,
// the picture is copied there before the swap. highlightRect is x0, y0, x1, y1 in GL window pixels
// (origin bottom left).
void drawFractalFrame(const DisplayState& display, const ShaderBindings& bindings,
                      const FractalParams& params, bool highlight, const int32_t highlightRect[4],
                      FrameGrab* grab = nullptr);
