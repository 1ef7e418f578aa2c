// How far a render has come, in words: the terminal's progress line, the window's title and the summary.
#pragma once
#include <cstddef>
#include <cstdint>

// Where the time went, in seconds over the whole render: the main thread's drawing (the fractal, the
// supersampling and the start of the read-back), its copying of read-back frames into the encoder's
// queue and its waits for a free slot; the encoder thread's conversion to YUV and its encoding and
// writing of pictures and sound.
struct RenderTimings {
    double draw = 0.0;
    double readBack = 0.0;
    double queueWait = 0.0;
    double conversion = 0.0;
    double encode = 0.0;
};

struct RenderProgress {
    int64_t framesDone = 0;
    int64_t framesTotal = 0;    // an estimate until the song's end is known; 0 when unknown
    double songSeconds = 0.0;   // song time of the last frame drawn
    double wallSeconds = 0.0;   // since the first frame was drawn
    RenderTimings timings;
};

// "m:ss" or "h:mm:ss", rounded down to the second.
void formatClock(double seconds, char* text, size_t capacity);

// " 42%  song 1:23  frame 2490/5940  31.2 fps  1:51 left" (fields without an estimate left out).
void formatProgressLine(const RenderProgress& progress, char* text, size_t capacity);

// The window's title while rendering: "Quasarine: rendering 42% - 1:51 left".
void formatProgressTitle(const RenderProgress& progress, char* text, size_t capacity);

// "Rendered OUTPUT: 5940 frames, 3:18 of song in 2:07 (46.8 fps)".
void formatSummary(const RenderProgress& progress, const char* output, char* text, size_t capacity);

// "per frame: draw 12.1 ms, read-back 1.2 ms (waiting 0.0 ms), conversion 0.8 ms, encode 9.3 ms".
void formatTimings(const RenderProgress& progress, char* text, size_t capacity);
