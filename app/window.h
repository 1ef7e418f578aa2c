// The window stage: window, OpenGL context and 2D renderer around the rest of the program.
#pragma once

// Creates the window, the context and the renderer, runs the renderer stage and releases them in
// reverse order. Returns 0 or an exit code (1, 11 to 18, or what the inner stages returned).
int runWindow(bool fullscreen, bool visualizing);
