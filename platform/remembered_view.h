// The monitor the window was on and the frame-rate cap, kept between runs in the settings file.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/remembered_source.h"

// A monitor by its name and the position of its top-left corner on the desktop.
struct RememberedMonitor {
    char name[rememberedNameCapacity] = {};  // empty: none remembered
    int32_t x = 0;
    int32_t y = 0;
};

struct RememberedView {
    RememberedMonitor monitor;
    int frameRateCap = -1;  // frames a second at most, 0 for no cap; -1 when none is remembered
};

constexpr int largestFrameRateCap = 240;

// Reads the settings text; a missing or malformed value leaves its part unremembered.
RememberedView parseRememberedView(const char* text, size_t length);

// The settings file's view lines; kept as they are when unreadable.
RememberedView loadRememberedView();

// Replace the monitor's or the cap's lines in the settings file, keeping the rest; failures are silent,
// and a name with control characters is not stored.
void storeRememberedMonitor(const RememberedMonitor& monitor);
void storeFrameRateCap(int frameRateCap);
