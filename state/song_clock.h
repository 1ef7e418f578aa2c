// The time and chance of a song rendered into a video: the song's clock, frame by frame, and a
// generator seeded by the user, so that one command always gives the same video.
#pragma once
#include <cstdint>

#include "state/session_clock.h"

struct SongClock {
    uint32_t ticks = 0;      // milliseconds of song time
    uint64_t generator = 0;  // state of the seeded generator
};

// Song time zero and a generator started from seed.
void startSongClock(SongClock& clock, uint64_t seed);

// Frame index of the song's frame grid at fps frames a second: the clock reads frame / fps seconds,
// rounded to the millisecond.
void setSongFrame(SongClock& clock, int64_t frame, int fps);

// The source that makes currentTicks and randomDraw read this clock.
ClockSource songClockSource(SongClock& clock);
