// A small visible SDL window with an OpenGL context, current on the calling thread, for the GL tests.
#pragma once
#include <SDL.h>

#include "platform/display_state.h"

struct TestWindow {
    SDL_GLContext context = nullptr;
    DisplayState display;  // window and drawable size; no 2D renderer
};

// Initialises SDL video, opens the window and makes its context current; false on any failure.
bool openTestWindow(TestWindow& test, int width, int height);

// Releases the context and the window and shuts SDL down.
void closeTestWindow(TestWindow& test);
