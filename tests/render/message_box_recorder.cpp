// Stands in for SDL's message box (which would block on a real window) and records what it shows.
#include <SDL.h>

#include "tests/render/call_log.h"

std::vector<std::string>& callLog()
{
    static std::vector<std::string> log;
    return log;
}

std::vector<RecordedBox>& recordedBoxes()
{
    static std::vector<RecordedBox> boxes;
    return boxes;
}

extern "C" int __wrap_SDL_ShowSimpleMessageBox(Uint32 flags, const char* title, const char* message,
                                               SDL_Window* window)
{
    recordedBoxes().push_back({flags, title, message, window != nullptr});
    callLog().push_back(std::string("box: ") + message);
    return 0;
}
