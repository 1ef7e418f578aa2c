// Reading the fractal's frame back from the GL back buffer before the swap shows it.
#include "render/frame_grab.h"

#include <GL/glew.h>

#include <cstddef>

void grabGlFrame(FrameGrab& grab, int width, int height)
{
    grab.taken = false;
    if (width <= 0 || height <= 0) return;
    grab.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, grab.rgba.data());
    grab.width = width;
    grab.height = height;
    grab.bottomUp = true;
    grab.taken = glGetError() == GL_NO_ERROR;
}
