// The ordered record of GL and SDL calls that the renderer's seams observe, and the error boxes shown.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct RecordedBox {
    uint32_t flags = 0;
    std::string title;
    std::string message;
    bool hasParent = false;
};

// Every observed call in order; an error box appears as "box: <message>".
std::vector<std::string>& callLog();

std::vector<RecordedBox>& recordedBoxes();
