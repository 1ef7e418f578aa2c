// Access to the program's own OpenGL context, which SDL's 2D renderer displaces whenever it draws.
#pragma once
#include <SDL.h>

// Records the context that the window stage created (nullptr when it releases it).
void setProgramContext(SDL_Window* window, SDL_GLContext context);

// Makes the program's context current again; call before any OpenGL call that may follow 2D drawing.
// Does nothing when no context is recorded (unit tests that own a context of their own).
void makeProgramContextCurrent();
