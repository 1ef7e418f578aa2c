// The window, its 2D renderer and the window's mode, size and position, shared by every stage.
#pragma once
#include <SDL.h>
#include <cstdint>

struct DisplayState {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    bool fullscreen = false;   // desktop full-screen mode
    int32_t drawableWidth = 0;  // GL drawable in pixels, which may exceed the window on high-DPI displays
    int32_t drawableHeight = 0;
    int32_t windowX = 0;
    int32_t windowY = 0;
};
