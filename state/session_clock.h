// The one clock and the one random generator of the session; tests link their own versions.
#pragma once
#include <cstdint>

// Milliseconds since SDL started (wraps after about 49.7 days).
uint32_t currentTicks();

// A draw from the program's one generator, reduced to 15 bits: 0..32767.
int randomDraw();
