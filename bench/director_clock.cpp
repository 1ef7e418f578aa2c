// The benchmarks' clock and generator: a tick value the benchmark sets and a small fixed-seed
// generator, in place of the SDL tick counter and the C generator.
#include <cstdint>

#include "state/session_clock.h"

uint32_t benchTicks = 0;

namespace {
uint32_t generatorState = 12345;
}

uint32_t currentTicks()
{
    return benchTicks;
}

int randomDraw()
{
    generatorState = generatorState * 1103515245u + 12345u;
    return static_cast<int>((generatorState >> 16) & 0x7FFF);
}
