// Locations of the fractal program's attribute and uniforms, and the names of the quad's buffers.
#pragma once
#include <cstdint>

struct ShaderBindings {
    int32_t v = -1;  // vertex attribute
    int32_t theta = -1;
    int32_t alpha = -1;
    int32_t max_iterations = -1;
    int32_t divergence_thresh2 = -1;
    int32_t c = -1;
    int32_t zitrans = -1;
    int32_t zftrans = -1;
    int32_t fade = -1;
    int32_t zzoom = -1;
    int32_t colormode = -1;
    int32_t fractalmode = -1;
    int32_t bgfractalblend = -1;
    int32_t ws = -1;
    int32_t ad = -1;
    int32_t mouse_motion_rect = -1;
    int32_t draw_mouse_rect = -1;
    int32_t main_window_width = -1;
    int32_t main_window_height = -1;
    uint32_t vertexBuffer = 0;
    uint32_t indexBuffer = 0;
};
