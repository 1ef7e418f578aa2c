// Off-screen OpenGL through EGL when Linux has no display.
#include "platform/headless_video.h"

#include <cstdlib>

namespace {

bool chosenHere = false;

bool variableIsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool chooseOffscreenVideo(bool displayFailed)
{
    if (variableIsSet("SDL_VIDEODRIVER") && !chosenHere) return false;
    if (!displayFailed && (variableIsSet("DISPLAY") || variableIsSet("WAYLAND_DISPLAY"))) return false;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    chosenHere = true;
    return true;
}
