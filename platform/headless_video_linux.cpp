// Off-screen OpenGL through EGL when Linux has no display.
#include "platform/headless_video.h"

#include <cstdlib>

namespace {

bool variableIsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool chooseOffscreenVideoWithoutDisplay()
{
    if (variableIsSet("SDL_VIDEODRIVER")) return false;
    if (variableIsSet("DISPLAY") || variableIsSet("WAYLAND_DISPLAY")) return false;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return true;
}
