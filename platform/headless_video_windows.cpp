// Windows always has a desktop to open the render's window on.
#include "platform/headless_video.h"

bool chooseOffscreenVideo(bool)
{
    return false;
}
