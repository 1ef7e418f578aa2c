// The words of a render's progress.
#include "video/render_progress.h"

#include <cstdio>

namespace {

double framesPerSecond(const RenderProgress& progress)
{
    return progress.wallSeconds > 0.0 ? static_cast<double>(progress.framesDone) / progress.wallSeconds : 0.0;
}

// Seconds left at the rate so far; negative when not yet known.
double secondsLeft(const RenderProgress& progress)
{
    const double rate = framesPerSecond(progress);
    if (rate <= 0.0 || progress.framesTotal <= 0) return -1.0;
    const int64_t left = progress.framesTotal > progress.framesDone ? progress.framesTotal - progress.framesDone : 0;
    return static_cast<double>(left) / rate;
}

int percentDone(const RenderProgress& progress)
{
    if (progress.framesTotal <= 0) return 0;
    const int64_t percent = progress.framesDone * 100 / progress.framesTotal;
    return static_cast<int>(percent > 100 ? 100 : percent);
}

}  // namespace

void formatClock(double seconds, char* text, size_t capacity)
{
    const long whole = seconds > 0.0 ? static_cast<long>(seconds) : 0;
    if (whole >= 3600) {
        std::snprintf(text, capacity, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(text, capacity, "%ld:%02ld", whole / 60, whole % 60);
    }
}

void formatProgressLine(const RenderProgress& progress, char* text, size_t capacity)
{
    char song[16];
    char left[16] = "?";
    formatClock(progress.songSeconds, song, sizeof song);
    const double remaining = secondsLeft(progress);
    if (remaining >= 0.0) formatClock(remaining, left, sizeof left);
    std::snprintf(text, capacity, "%3d%%  song %s  frame %lld/%lld  %.1f fps  %s left", percentDone(progress), song,
                  static_cast<long long>(progress.framesDone), static_cast<long long>(progress.framesTotal),
                  framesPerSecond(progress), left);
}

void formatProgressTitle(const RenderProgress& progress, char* text, size_t capacity)
{
    char left[16] = "?";
    const double remaining = secondsLeft(progress);
    if (remaining >= 0.0) formatClock(remaining, left, sizeof left);
    std::snprintf(text, capacity, "Quasarine: rendering %d%% - %s left", percentDone(progress), left);
}

void formatSummary(const RenderProgress& progress, const char* output, char* text, size_t capacity)
{
    char song[16];
    char wall[16];
    formatClock(progress.songSeconds, song, sizeof song);
    formatClock(progress.wallSeconds, wall, sizeof wall);
    std::snprintf(text, capacity, "Rendered %s: %lld frames, %s of song in %s (%.1f fps)", output,
                  static_cast<long long>(progress.framesDone), song, wall, framesPerSecond(progress));
}

void formatTimings(const RenderProgress& progress, char* text, size_t capacity)
{
    const double perFrame = progress.framesDone > 0 ? 1000.0 / static_cast<double>(progress.framesDone) : 0.0;
    const RenderTimings& t = progress.timings;
    std::snprintf(text, capacity,
                  "per frame: draw %.1f ms, read-back %.1f ms (waiting for the encoder %.1f ms), conversion %.1f ms, "
                  "encode %.1f ms",
                  t.draw * perFrame, t.readBack * perFrame, t.queueWait * perFrame, t.conversion * perFrame,
                  t.encode * perFrame);
}
