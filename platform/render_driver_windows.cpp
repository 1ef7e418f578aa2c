// Render driver on Windows: SDL would pick Direct3D, whose swap chain never shows the frames that
// the program's own OpenGL context swaps on the same window. Its OpenGL driver presents both.
#include "platform/render_driver.h"

#include <SDL.h>

void chooseRenderDriver()
{
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    // A driver named by hint turns batching off unless asked for; keep it on, as elsewhere.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
}
