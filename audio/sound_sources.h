// The values of the sound-source selection and the order in which the selector steps through them.
#pragma once

// A selection value n >= 0 is the n-th input-capable device.
constexpr int noSource = -2;             // nothing, or the demo track while it plays
constexpr int defaultDeviceSource = -1;  // the default recording device
constexpr int speakersSource = -3;       // what the default output device plays

// The selector's entries from the bottom up: nothing, the default device, the speakers, the devices.
// Below the bottom stays at the bottom; above the last device is past the list (the caller checks).
int sourceAbove(int selection);
int sourceBelow(int selection);

// The top entry of the selector with this many input-capable devices.
int topSource(int deviceCount);

// True when a is further up the selector than b.
bool sourceIsAbove(int a, int b);
