// Clock and random draws of the running program: SDL's tick counter and the seeded C generator.
#include "state/session_clock.h"

#include <SDL.h>

#include <cstdlib>

uint32_t currentTicks()
{
    return SDL_GetTicks();
}

int randomDraw()
{
    return std::rand() & 0x7FFF;
}
