// Test versions of the program's clock and generator, linked into the director tests in place of
// the SDL tick counter and the C generator.
#include "tests/director/scripted_clock.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>

#include "state/session_clock.h"

namespace {

struct ClockScript {
    uint32_t ticks = 0;
    std::deque<int> draws;
    int unscripted = 0;
    int fillerPosition = 0;
    bool generated = false;
    std::mt19937 generator;
};

ClockScript script;

// Values that pass no chance (odd and coprime to 3 and 5) yet cover several residues of 4, 7 and 44.
const int fillers[] = {1, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 49, 53, 59, 61, 67, 71, 73, 77, 79, 83, 89};
constexpr int fillerCount = sizeof(fillers) / sizeof(fillers[0]);
// A loop that cannot end on fillers would otherwise hang the test run.
constexpr int unscriptedLimit = 1000000;

int fillerDraw()
{
    script.unscripted += 1;
    if (script.unscripted > unscriptedLimit) {
        std::fprintf(stderr, "scripted clock: %d unscripted draws, the code under test loops\n", unscriptedLimit);
        std::abort();
    }
    script.fillerPosition = (script.fillerPosition + 1) % fillerCount;
    return fillers[script.fillerPosition];
}

}  // namespace

void setTicks(uint32_t ticks)
{
    script.ticks = ticks;
}

void scriptDraws(std::initializer_list<int> draws)
{
    script.draws.insert(script.draws.end(), draws.begin(), draws.end());
}

void resetDraws()
{
    script.draws.clear();
    script.unscripted = 0;
    script.fillerPosition = 0;
    script.generated = false;
}

int drawsLeft()
{
    return static_cast<int>(script.draws.size());
}

int unscriptedDraws()
{
    return script.unscripted;
}

void drawFromGenerator(uint32_t seed)
{
    resetDraws();
    script.generated = true;
    script.generator.seed(seed);
}

uint32_t currentTicks()
{
    return script.ticks;
}

int randomDraw()
{
    if (script.generated) {
        return static_cast<int>(script.generator() & 0x7FFF);
    }
    if (script.draws.empty()) {
        return fillerDraw();
    }
    const int draw = script.draws.front();
    script.draws.pop_front();
    return draw;
}
