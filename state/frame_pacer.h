// The frame-rate cap: how long the loop sleeps after a frame so that frames start no more often than
// the cap allows, keeping an even cadence.
#pragma once
#include <cstdint>

struct FramePacer {
    uint64_t nextDue = 0;  // performance-counter time at which the next frame may start; 0: none yet
};

// Called once a frame is shown: the counts of a counter running at frequency to wait before the next
// frame. A cap of 0 (or less) waits never; a frame that ran late starts a new cadence from now.
uint64_t frameWait(FramePacer& pacer, int frameRateCap, uint64_t now, uint64_t frequency);

// The cycle of the cap key: off, 60, 30, off; any other cap goes off.
int nextFrameRateCap(int frameRateCap);
