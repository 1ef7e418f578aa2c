// Clock and random draws of the running program: SDL's tick counter and the seeded C generator, or
// the source the program's top chose instead.
#include "state/session_clock.h"

#include <SDL.h>

#include <cstdlib>

namespace {
const ClockSource* chosenSource = nullptr;
}

void useClockSource(const ClockSource* source)
{
    chosenSource = source;
}

uint32_t currentTicks()
{
    if (chosenSource != nullptr) return chosenSource->ticks(chosenSource->user);
    return SDL_GetTicks();
}

int randomDraw()
{
    if (chosenSource != nullptr) return chosenSource->draw(chosenSource->user) & 0x7FFF;
    return std::rand() & 0x7FFF;
}
