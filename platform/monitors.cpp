// Choosing and changing the window's monitor through SDL's display list.
#include "platform/monitors.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int mostMonitors = 16;

bool sameName(const MonitorEntry& monitor, const RememberedMonitor& remembered)
{
    return monitor.name != nullptr && std::strcmp(monitor.name, remembered.name) == 0;
}

}  // namespace

int chooseMonitor(int requestedNumber, const RememberedMonitor& remembered, const MonitorEntry* monitors, int count)
{
    if (requestedNumber > 0) return requestedNumber <= count ? requestedNumber - 1 : 0;
    if (remembered.name[0] == '\0') return 0;
    for (int i = 0; i < count; ++i)
        if (sameName(monitors[i], remembered) && monitors[i].x == remembered.x && monitors[i].y == remembered.y) return i;
    for (int i = 0; i < count; ++i)
        if (sameName(monitors[i], remembered)) return i;
    return 0;
}

int startingDisplay(int requestedNumber, const RememberedMonitor& remembered)
{
    MonitorEntry monitors[mostMonitors];
    int count = SDL_GetNumVideoDisplays();
    if (count > mostMonitors) count = mostMonitors;
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds{};
        SDL_GetDisplayBounds(i, &bounds);
        monitors[i].name = SDL_GetDisplayName(i);
        monitors[i].x = bounds.x;
        monitors[i].y = bounds.y;
    }
    return chooseMonitor(requestedNumber, remembered, monitors, count < 0 ? 0 : count);
}

RememberedMonitor monitorOfWindow(SDL_Window* window)
{
    RememberedMonitor monitor;
    const int index = SDL_GetWindowDisplayIndex(window);
    SDL_Rect bounds{};
    const char* name = index >= 0 ? SDL_GetDisplayName(index) : nullptr;
    if (name == nullptr || SDL_GetDisplayBounds(index, &bounds) != 0) return monitor;
    std::snprintf(monitor.name, sizeof monitor.name, "%s", name);
    monitor.x = bounds.x;
    monitor.y = bounds.y;
    return monitor;
}

// A full-screen window leaves full screen, moves while windowed, and enters full screen again there:
// SDL places a desktop full-screen window on the display its windowed position lies on.
bool moveWindowToNextDisplay(SDL_Window* window, bool fullscreen)
{
    const int count = SDL_GetNumVideoDisplays();
    const int current = SDL_GetWindowDisplayIndex(window);
    SDL_Rect bounds{};
    if (count < 2 || current < 0 || SDL_GetDisplayBounds((current + 1) % count, &bounds) != 0) return false;
    if (fullscreen) SDL_SetWindowFullscreen(window, 0);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    const int spareX = bounds.w > width ? bounds.w - width : 0;
    const int spareY = bounds.h > height ? bounds.h - height : 0;
    SDL_SetWindowPosition(window, bounds.x + spareX / 2, bounds.y + spareY / 2);
    if (fullscreen) SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return true;
}
