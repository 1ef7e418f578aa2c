// The monitors SDL lists: the one the window opens on, the one a window is on, and moving a window to
// another one.
#pragma once
#include <SDL.h>

#include <cstdint>

#include "platform/remembered_view.h"

struct MonitorEntry {
    const char* name = nullptr;
    int32_t x = 0;  // top-left corner on the desktop
    int32_t y = 0;
};

// The index (from 0) of the monitor to open on: the number asked for (from 1; 0 for none), else the
// remembered monitor (the same name at the same place, else the same name), else the first. A number
// past the last monitor, or a remembered monitor that is gone, gives the first.
int chooseMonitor(int requestedNumber, const RememberedMonitor& remembered, const MonitorEntry* monitors, int count);

// chooseMonitor over the displays SDL lists now.
int startingDisplay(int requestedNumber, const RememberedMonitor& remembered);

// The display a window is on, by name and place; an empty name when SDL cannot tell.
RememberedMonitor monitorOfWindow(SDL_Window* window);

// Moves the window to the display after the one it is on (the last to the first), keeping its size
// centred there, or in desktop full-screen mode at that display's own mode. False with one display.
bool moveWindowToNextDisplay(SDL_Window* window, bool fullscreen);
