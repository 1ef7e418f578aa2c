// The tests' clock and generator: ticks set by the test, draws taken from a script.
#pragma once
#include <cstdint>
#include <initializer_list>

// The value currentTicks() returns from now on.
void setTicks(uint32_t ticks);

// Appends draws that randomDraw() returns in this order.
void scriptDraws(std::initializer_list<int> draws);
// Forgets the script and the counts of draws.
void resetDraws();
// Scripted draws not yet taken.
int drawsLeft();
// Draws taken after the script ran out. Those return values that pass no chance of the director
// (odd, not a multiple of 3 or 5), cycling so that loops that redraw until a change can end.
int unscriptedDraws();
// From now on draws come from a seeded generator over 0..32767 (the script is emptied).
void drawFromGenerator(uint32_t seed);
