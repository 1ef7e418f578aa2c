// The command-line options of the program.
#pragma once
#include <string>
#include <vector>

struct StartOptions {
    bool fullscreen = false;   // "--fullscreen" or "-f"
    bool visualizing = false;  // "--viz" or "-v"
    bool speakers = false;     // "--speakers" or "-s": start with what the default output plays
    std::vector<std::string> songs;  // every argument that is not an option, in order
};

// Exact, case-sensitive matching; other words that begin with '-' are ignored, repeats change nothing,
// and every other word (or every word after "--") is a song to play.
StartOptions readOptions(int argc, const char* const* argv);
