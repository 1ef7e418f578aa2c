// Keeps the handle of the program's OpenGL context so that later stages can make it current again.
#include "platform/program_context.h"

namespace {
SDL_Window* contextWindow = nullptr;
SDL_GLContext programContext = nullptr;
}

void setProgramContext(SDL_Window* window, SDL_GLContext context)
{
    contextWindow = window;
    programContext = context;
}

void makeProgramContextCurrent()
{
    if (contextWindow != nullptr && programContext != nullptr &&
        SDL_GL_GetCurrentContext() != programContext) {
        SDL_GL_MakeCurrent(contextWindow, programContext);
    }
}
