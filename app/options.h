// The command-line options of the program.
#pragma once

struct StartOptions {
    bool fullscreen = false;   // "--fullscreen" or "-f"
    bool visualizing = false;  // "--viz" or "-v"
    bool speakers = false;     // "--speakers" or "-s": start with what the default output plays
};

// Exact, case-sensitive matching; every other argument is ignored and repeats change nothing.
StartOptions readOptions(int argc, const char* const* argv);
