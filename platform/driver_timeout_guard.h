// Raises the graphics-driver watchdog timeout for the program's run and restores it afterwards.
#pragma once
#include <cstdint>

constexpr uint32_t raisedDriverTimeout = 120;  // seconds

// Both are silent on every failure and never affect the exit code.
void raiseDriverTimeout();
void restoreDriverTimeout();
