// The frame-rate cap's cadence, in performance-counter units so that no rounding accumulates.
#include "state/frame_pacer.h"

uint64_t frameWait(FramePacer& pacer, int frameRateCap, uint64_t now, uint64_t frequency)
{
    if (frameRateCap <= 0 || frequency == 0) {
        pacer.nextDue = 0;
        return 0;
    }
    const uint64_t period = frequency / static_cast<uint64_t>(frameRateCap);
    if (pacer.nextDue == 0 || now >= pacer.nextDue || pacer.nextDue - now > period) {
        pacer.nextDue = now + period;
        return 0;
    }
    const uint64_t wait = pacer.nextDue - now;
    pacer.nextDue += period;
    return wait;
}

int nextFrameRateCap(int frameRateCap)
{
    switch (frameRateCap) {
    case 0: return 60;
    case 60: return 30;
    default: return 0;
    }
}
