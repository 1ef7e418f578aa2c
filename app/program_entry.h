// The process entry: seed, driver-timeout guard, options, SDL and PortAudio around the window stage.
#pragma once

// Returns the process exit code.
int runProgram(int argc, const char* const* argv);
