// A copy of the picture a frame drew, taken before it is shown, for a screenshot.
#pragma once
#include <cstdint>
#include <vector>

struct FrameGrab {
    std::vector<uint8_t> rgba;  // width x height pixels of 4 bytes: red, green, blue, unused
    int width = 0;
    int height = 0;
    bool bottomUp = false;  // rows from the bottom of the picture (OpenGL's order)
    bool taken = false;
};

// Reads the current GL context's back buffer of that size; taken stays false when it cannot.
void grabGlFrame(FrameGrab& grab, int width, int height);
