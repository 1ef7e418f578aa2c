// Reads a finished frame from the back buffer, where the render tests capture it before the swap.
#pragma once
#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// RGBA rows, bottom row first, as glReadPixels gives them.
inline std::vector<uint8_t> readBackBuffer(int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
