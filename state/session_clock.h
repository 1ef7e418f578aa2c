// The one clock and the one random generator of the session; tests link their own versions.
#pragma once
#include <cstdint>

// Milliseconds since SDL started (wraps after about 49.7 days).
uint32_t currentTicks();

// A draw from the program's one generator, reduced to 15 bits: 0..32767.
int randomDraw();

// Another clock and generator for the whole run, chosen by the program's top: a song rendered into a
// video runs on the song's time and a seeded generator instead of SDL's ticks and the C generator.
struct ClockSource {
    uint32_t (*ticks)(void* user) = nullptr;
    int (*draw)(void* user) = nullptr;  // 0..32767
    void* user = nullptr;
};

// Routes currentTicks and randomDraw through source from now on; nullptr returns to SDL and rand().
// The source must outlive its use.
void useClockSource(const ClockSource* source);
