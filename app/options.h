// The command-line options of the program.
#pragma once
#include <string>
#include <vector>

struct StartOptions {
    bool fullscreen = false;   // "--fullscreen" or "-f"
    bool visualizing = false;  // "--viz" or "-v"
    bool speakers = false;     // "--speakers" or "-s": start with what the default output plays
    int displayNumber = 0;     // "--display N": the monitor, counted from 1 (0: none given)
    int frameRateCap = -1;     // "--fps N": frames a second at most, 0 for no cap (-1: none given)
    std::vector<std::string> songs;  // every argument that is not an option, in order
};

// Exact, case-sensitive matching; other words that begin with '-' are ignored, repeats change nothing,
// and every other word (or every word after "--") is a song to play. "--display" and "--fps" take the
// next word as their value; a value out of range or not a number is ignored with its option.
StartOptions readOptions(int argc, const char* const* argv);
