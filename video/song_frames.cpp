// The song's frames: sound fed to the analysis as a live capture would deliver it, the director on the
// song's clock, and each frame drawn off screen and handed to the encoder.
#include "video/song_frames.h"

#include <GL/glew.h>
#include <SDL.h>

#include <chrono>
#include <cstdio>

#include "platform/cancel_request.h"
#include "platform/console.h"
#include "platform/exit_codes.h"
#include "director/animation_director.h"
#include "render/fractal_renderer.h"
#include "state/song_clock.h"

namespace {

constexpr int64_t analysisRate = 44100;
constexpr double previewInterval = 1.0 / 15.0;
constexpr double progressLineInterval = 0.25;

// The song's sound in the analysis's buffers, one buffer read ahead so that its end is known in time.
struct AnalysisFeed {
    float next[windowFrames * 2] = {};
    int nextCount = 0;
    int64_t buffersFed = 0;
    int64_t songFrames = -1;  // the song's length at 44100 Hz once its end has been read
};

void readNextBuffer(AnalysisFeed& feed, SongReader& song)
{
    feed.nextCount = readSongFrames(song, feed.next, windowFrames);
    if (feed.nextCount < windowFrames) feed.songFrames = feed.buffersFed * windowFrames + feed.nextCount;
}

// Every whole buffer that ends at or before frame / fps seconds reaches the analysis.
void feedAnalysisUpTo(AnalysisFeed& feed, SongReader& song, AudioContext& audio, int64_t frame, int fps)
{
    while (feed.nextCount == windowFrames && (feed.buffersFed + 1) * windowFrames * fps <= frame * analysisRate) {
        onCaptureBuffer(feed.next, nullptr, windowFrames, nullptr, 0, &audio);
        ++feed.buffersFed;
        readNextBuffer(feed, song);
    }
}

bool songGoesOnAt(const AnalysisFeed& feed, int64_t frame, int fps)
{
    return feed.songFrames < 0 || frame * analysisRate < feed.songFrames * fps;
}

// What one run keeps besides the director's records.
struct FrameRun {
    SessionState session;
    AnimationState animation;
    FractalParams params;
    AnalysisFeed feed;
    SongClock clock;
    ClockSource source;
    std::chrono::steady_clock::time_point started;
    double lastPreview = -1.0;
    double lastProgressLine = -1.0;
    bool terminal = false;
};

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void startRun(FrameRun& run, const SongFramesPlan& plan, SongReader& song)
{
    startSongClock(run.clock, plan.seed);
    run.source = songClockSource(run.clock);
    useClockSource(&run.source);
    run.session.visualizing = true;
    initAnimation(run.animation, run.params, currentTicks());
    readNextBuffer(run.feed, song);
    run.terminal = outputIsTerminal();
}

// Esc, the window's closing, Ctrl+C or a termination request.
bool userCancelled()
{
    SDL_Event event;
    bool cancelled = false;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) cancelled = true;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) cancelled = true;
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) cancelled = true;
    }
    return cancelled || cancelRequested();
}

// Hands every frame whose read-back is done to the encoder.
int passReadyFrames(VideoFrame& frame, VideoEncoder& encoder, bool draining)
{
    while (videoFrameReady(frame, draining)) {
        const uint8_t* pixels = mapOldestVideoFrame(frame);
        const int code = pixels != nullptr ? queueVideoFrame(encoder, pixels) : codeWriteFailed;
        unmapOldestVideoFrame(frame);
        if (code != 0) return code;
    }
    return 0;
}

int drawVideoFrame(FrameRun& run, const SongFramesTargets& targets, RenderTimings& timings)
{
    static const int32_t noHighlight[4] = {0, 0, 0, 0};
    const auto start = std::chrono::steady_clock::now();
    bindVideoDrawTarget(*targets.frame);
    drawFractal(*targets.display, *targets.bindings, run.params, false, noHighlight);
    if (targets.encoder == nullptr) {
        glFinish();
        timings.draw += secondsSince(start);
        return 0;
    }
    finishVideoFrame(*targets.frame, targets.fractalProgram);
    const auto drawn = std::chrono::steady_clock::now();
    timings.draw += std::chrono::duration<double>(drawn - start).count();
    const int code = passReadyFrames(*targets.frame, *targets.encoder, false);
    timings.readBack += secondsSince(drawn);
    return code;
}

void showProgress(FrameRun& run, const SongFramesPlan& plan, const SongFramesTargets& targets,
                  const RenderProgress& progress)
{
    const double now = progress.wallSeconds;
    if (plan.preview && now - run.lastPreview >= previewInterval) {
        run.lastPreview = now;
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(targets.display->window, &width, &height);
        const double done = progress.framesTotal > 0 ? double(progress.framesDone) / progress.framesTotal : 0.0;
        showVideoFramePreview(*targets.frame, width, height, done > 1.0 ? 1.0 : done);
        SDL_GL_SwapWindow(targets.display->window);
        char title[128];
        formatProgressTitle(progress, title, sizeof title);
        SDL_SetWindowTitle(targets.display->window, title);
    }
    if (run.terminal && now - run.lastProgressLine >= progressLineInterval) {
        run.lastProgressLine = now;
        char line[160];
        formatProgressLine(progress, line, sizeof line);
        std::printf("\r%s\033[K", line);
        std::fflush(stdout);
    }
}

void noteFrameDrawn(FrameRun& run, const SongFramesPlan& plan, int64_t frame, RenderProgress& progress)
{
    if (progress.framesDone == 0) run.started = std::chrono::steady_clock::now();
    ++progress.framesDone;
    progress.songSeconds = static_cast<double>(frame) / plan.fps;
    progress.wallSeconds = secondsSince(run.started);
    // Once the song's end is known, so is the number of frames.
    if (run.feed.songFrames >= 0) {
        int64_t songEnd = (run.feed.songFrames * plan.fps + analysisRate - 1) / analysisRate;
        if (plan.endFrame >= 0 && plan.endFrame < songEnd) songEnd = plan.endFrame;
        progress.framesTotal = songEnd - plan.firstFrame;
    }
}

int runFrames(FrameRun& run, const SongFramesPlan& plan, SongReader& song, AudioContext& audio,
              const SongFramesTargets& targets, RenderProgress& progress)
{
    for (int64_t frame = 0; plan.endFrame < 0 || frame < plan.endFrame; ++frame) {
        if (userCancelled()) return codeRenderCancelled;
        setSongFrame(run.clock, frame, plan.fps);
        feedAnalysisUpTo(run.feed, song, audio, frame, plan.fps);
        if (!songGoesOnAt(run.feed, frame, plan.fps)) break;
        updateAnimation(run.animation, run.params, run.session, *targets.display, audio.results);
        // Before the first frame of the video the director runs alone, so that a segment's frames
        // equal the same frames of the whole song.
        if (frame < plan.firstFrame) continue;
        const int code = drawVideoFrame(run, targets, progress.timings);
        if (code != 0) return code;
        noteFrameDrawn(run, plan, frame, progress);
        showProgress(run, plan, targets, progress);
    }
    if (progress.framesDone == 0) return codeSongEmpty;
    if (targets.encoder == nullptr) return 0;
    const auto start = std::chrono::steady_clock::now();
    const int code = passReadyFrames(*targets.frame, *targets.encoder, true);
    progress.timings.readBack += secondsSince(start);
    return code;
}

}  // namespace

int runSongFrames(const SongFramesPlan& plan, SongReader& song, AudioContext& audio,
                  const SongFramesTargets& targets, RenderProgress& progress)
{
    FrameRun run;
    progress = RenderProgress{};
    progress.framesTotal = plan.framesEstimate;
    startRun(run, plan, song);
    const int code = runFrames(run, plan, song, audio, targets, progress);
    useClockSource(nullptr);
    if (run.terminal && progress.framesDone > 0) std::printf("\r\033[K");
    progress.songSeconds = static_cast<double>(progress.framesDone) / plan.fps;
    return code;
}
