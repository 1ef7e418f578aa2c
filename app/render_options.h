// The command line of a render: a song into a video, and the usage text of every option.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint64_t defaultRenderSeed = 1;

struct RenderOptions {
    const char* song = nullptr;
    char output[4096] = {};  // the song's path with .mp4 in place of its extension when not given
    int width = 1920;
    int height = 1080;
    int fps = 60;
    int crf = 18;
    const char* preset = "medium";
    double fromSeconds = 0.0;
    double toSeconds = -1.0;  // negative: the song's end
    uint64_t seed = defaultRenderSeed;
    int supersample = 1;
    bool overwrite = false;
    bool drawOnly = false;    // measures the drawing alone: nothing is read back or written
};

enum class CommandKind { live, help, render };

// "--help" or "-h" anywhere asks for the usage; otherwise "--render" anywhere asks for a render.
CommandKind commandKind(int argc, const char* const* argv);

// Reads a render's command line. Returns 0, or codeBadOption with a one-line reason in error
// ("--size 1921x1080: the width and the height must be even").
int readRenderOptions(int argc, const char* const* argv, RenderOptions& options, char* error, size_t capacity);

// "90", "90.5", "1:30" or "1:02:03.5" in seconds; false for anything else or a negative time.
bool parseSongTime(const char* text, double& seconds);

// The usage of every option, live and render.
void printUsage(FILE* stream);
