// The window stage: window, OpenGL context and 2D renderer around the rest of the program.
#pragma once
#include <cstdint>

struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    uint32_t flags = 0;  // SDL window creation flags
};

// Windowed: half the desktop, centred; full-screen: the whole desktop at (0, 0).
WindowGeometry windowGeometry(int desktopWidth, int desktopHeight, bool fullscreen);

// Creates the window, the context and the renderer, runs the renderer stage and releases them in
// reverse order. Returns 0 or an exit code (1, 11 to 18, or what the inner stages returned).
int runWindow(bool fullscreen, bool visualizing);
