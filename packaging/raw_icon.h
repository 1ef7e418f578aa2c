// Build-time tools: reading the embedded 16x16 icon (24-bit blue-green-red rows, top first) and
// writing the icon files made from it.
#pragma once

#include <cstdio>
#include <vector>

constexpr int rawIconSize = 16;

// The icon's bytes, or false when the file is missing or short.
inline bool readRawIcon(const char* path, std::vector<unsigned char>& bgr)
{
    bgr.assign(rawIconSize * rawIconSize * 3, 0);
    FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        return false;
    }
    bool complete = std::fread(bgr.data(), 1, bgr.size(), in) == bgr.size();
    std::fclose(in);
    return complete;
}

// Writes the whole file; false when it cannot be written completely.
inline bool writeIconFile(const char* path, const std::vector<unsigned char>& bytes)
{
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && complete;
}
