// The program's window, its OpenGL context and the 2D renderer.
#pragma once
#include <SDL.h>

#include <cstdint>

#include "platform/display_state.h"

// The title of every window the program opens.
constexpr const char* programWindowTitle = "Quasarine: Stand-Alone Visualizer";

struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    uint32_t flags = 0;  // SDL window creation flags
};

// Windowed: half the desktop, centred; full-screen: the whole desktop at (0, 0); relative to the
// display's top-left corner.
WindowGeometry windowGeometry(int desktopWidth, int desktopHeight, bool fullscreen);

// The window and its 2D renderer (in the display record) and the program's own GL context.
struct ProgramWindow {
    SDL_GLContext context = nullptr;
    DisplayState display;
};

// Creates the window on the display of that index (from 0), the context and the renderer and leaves
// the program's context current. Returns 0, or 1 or 11 to 18 after the failure's error box, with
// everything it made released.
int openProgramWindow(bool fullscreen, ProgramWindow& opened, int displayIndex = 0);

// Forgets the program's context, then destroys the renderer, the context and the window, in that
// order. Safe on a half-built record.
void closeProgramWindow(ProgramWindow& opened);
