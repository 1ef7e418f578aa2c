// The process entry: seed, driver-timeout guard, options, SDL and PortAudio around the visualizer.
#pragma once
#include "app/options.h"

// What runs once SDL and PortAudio are up; returns 0 or an exit code.
using VisualizerRun = int (*)(const StartOptions& options);

// Returns the process exit code.
int runProgram(int argc, const char* const* argv, VisualizerRun runVisualizer);
