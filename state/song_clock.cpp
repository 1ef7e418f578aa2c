// The song's clock and the seeded generator of a render.
#include "state/song_clock.h"

namespace {

uint32_t songTicks(void* user)
{
    return static_cast<SongClock*>(user)->ticks;
}

// A 64-bit linear congruential generator (Knuth's MMIX constants); the high bits are the good ones.
int songDraw(void* user)
{
    SongClock& clock = *static_cast<SongClock*>(user);
    clock.generator = clock.generator * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((clock.generator >> 33) & 0x7FFF);
}

}  // namespace

void startSongClock(SongClock& clock, uint64_t seed)
{
    clock.ticks = 0;
    // Spreads small seeds over the state, so that seeds 1 and 2 start far apart.
    clock.generator = seed ^ 0x9E3779B97F4A7C15ULL;
}

void setSongFrame(SongClock& clock, int64_t frame, int fps)
{
    // Integer arithmetic: a frame's time is the same whichever segment of the song draws it.
    clock.ticks = static_cast<uint32_t>((frame * 1000 + fps / 2) / fps);
}

ClockSource songClockSource(SongClock& clock)
{
    ClockSource source;
    source.ticks = songTicks;
    source.draw = songDraw;
    source.user = &clock;
    return source;
}
