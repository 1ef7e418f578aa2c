// The one place where a render's stages are opened, the song's frames run and the stages closed: the
// song as the sound's source, its clock as the director's, and the encoder as the frames' destination.
#include "app/song_render.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/cancel_request.h"
#include "platform/console.h"
#include "platform/exit_codes.h"
#include "platform/headless_video.h"
#include "platform/output_file.h"
#include "platform/video_window.h"
#include "audio/audio_stage.h"
#include "media/song_reader.h"
#include "media/video_writer.h"
#include "render/fractal_renderer.h"
#include "render/video_frame.h"
#include "video/song_frames.h"
#include "app/render_options.h"

namespace {

constexpr int analysisRate = 44100;
constexpr int previewWidth = 960;
constexpr int previewHeight = 540;

struct RenderRun {
    RenderOptions options;
    char temporary[4200] = {};
    char failure[8192] = {};
    SongReader song;
    ProgramWindow window;
    DisplayState video;  // the window, with the supersampled video's size as its drawable
    FractalRenderer renderer;
    VideoFrame frame;
    AudioContext audio;
    VideoEncoder encoder;
    RenderProgress progress;
};

int report(int code, const char* line)
{
    std::fprintf(stderr, "quasarine: %s\n", line);
    return code;
}

int refuseOutput(RenderRun& run, int code, const char* reason)
{
    std::snprintf(run.failure, sizeof run.failure, "%s: %s", run.options.output, reason);
    return code;
}

// The output's folder must exist, and an existing output needs --overwrite; the song is never replaced.
int checkOutput(RenderRun& run)
{
    const char* output = run.options.output;
    char folder[4096];
    folderOf(output, folder, sizeof folder);
    if (pathKind(folder) != PathKind::folder) return refuseOutput(run, codeOutputFolder, "its folder does not exist");
    if (pathKind(output) == PathKind::folder) return refuseOutput(run, codeOutputFolder, "is a folder");
    if (std::strcmp(output, run.options.song) == 0)
        return refuseOutput(run, codeOutputExists, "is the song itself; choose another --output");
    if (pathKind(output) == PathKind::file && !run.options.overwrite)
        return refuseOutput(run, codeOutputExists, "exists already; give --overwrite to replace it");
    if (!temporaryPathFor(output, run.temporary, sizeof run.temporary))
        return refuseOutput(run, codeOutputFolder, "the name is too long");
    return 0;
}

bool videoIsOffscreen()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

int openWindowAndRenderer(RenderRun& run)
{
    const RenderOptions& o = run.options;
    int width = 0;
    int height = 0;
    previewWindowSize(o.width, o.height, previewWidth, previewHeight, width, height);
    int code = openVideoWindow(width, height, videoIsOffscreen(), run.window);
    if (code != 0) return code;
    run.video = run.window.display;
    run.video.drawableWidth = o.width * o.supersample;
    run.video.drawableHeight = o.height * o.supersample;
    code = openFractalRenderer(run.video, run.renderer);
    if (code != 0) return code;
    code = openVideoFrame(o.width, o.height, o.supersample, run.frame);
    if (code == codeFrameTooLarge)
        std::snprintf(run.failure, sizeof run.failure, "%s: %dx%d supersampled %d times is more than OpenGL can draw here",
                      o.output, o.width, o.height, o.supersample);
    return code;
}

EncoderJob encoderJob(const RenderRun& run, int64_t firstFrame)
{
    const RenderOptions& o = run.options;
    EncoderJob job;
    job.video.path = run.temporary;
    job.video.shownName = o.output;
    job.video.width = o.width;
    job.video.height = o.height;
    job.video.fps = o.fps;
    job.video.crf = o.crf;
    job.video.preset = o.preset;
    job.video.audioRate = aacRateFor(songSampleRate(run.song));
    job.video.audioChannels = songChannelCount(run.song) == 1 ? 1 : 2;
    job.songPath = o.song;
    job.firstFrame = firstFrame;
    job.endSeconds = o.toSeconds;
    return job;
}

// The frame grid starts at the song's start, so --from lands on the frame at or after it.
int64_t firstFrameOf(const RenderOptions& o)
{
    return static_cast<int64_t>(std::ceil(o.fromSeconds * o.fps - 1e-6));
}

SongFramesPlan framesPlan(const RenderRun& run)
{
    const RenderOptions& o = run.options;
    SongFramesPlan plan;
    plan.fps = o.fps;
    plan.firstFrame = firstFrameOf(o);
    plan.endFrame = o.toSeconds >= 0.0 ? static_cast<int64_t>(std::ceil(o.toSeconds * o.fps - 1e-6)) : -1;
    plan.seed = o.seed;
    plan.preview = !videoIsOffscreen();
    double end = songDurationEstimate(run.song);
    if (o.toSeconds >= 0.0 && (end < 0.0 || o.toSeconds < end)) end = o.toSeconds;
    if (end > 0.0) plan.framesEstimate = static_cast<int64_t>(std::ceil(end * o.fps - 1e-6)) - plan.firstFrame;
    return plan;
}

int renderFrames(RenderRun& run)
{
    const SongFramesPlan plan = framesPlan(run);
    SongFramesTargets targets;
    targets.display = &run.video;
    targets.bindings = &run.renderer.bindings;
    targets.fractalProgram = run.renderer.program;
    targets.frame = &run.frame;
    if (!run.options.drawOnly) {
        const int code = openVideoEncoder(encoderJob(run, plan.firstFrame), run.encoder, run.failure, sizeof run.failure);
        if (code != 0) return code;
        targets.encoder = &run.encoder;
    }
    int code = runSongFrames(plan, run.song, run.audio, targets, run.progress);
    // A finished song completes the file; a failed encoder is joined to tell why it failed.
    const bool encoderFailed = run.encoder.failure.load() != 0;
    if (targets.encoder != nullptr && (code == 0 || encoderFailed))
        code = finishVideoEncoder(run.encoder, run.failure, sizeof run.failure);
    RenderTimings& timings = run.progress.timings;
    timings.queueWait = static_cast<double>(run.encoder.queueWaitNanoseconds) * 1e-9;
    timings.readBack -= timings.queueWait;
    timings.conversion = static_cast<double>(run.encoder.conversionNanoseconds.load()) * 1e-9;
    timings.encode = static_cast<double>(run.encoder.encodeNanoseconds.load()) * 1e-9;
    closeVideoEncoder(run.encoder);
    return code;
}

// Moves the finished file into place, or removes what was written.
int publishOrDiscard(RenderRun& run, int code)
{
    if (run.options.drawOnly) return code;
    if (code == 0) {
        const PublishResult published = publishFile(run.temporary, run.options.output, run.options.overwrite);
        if (published == publishDone) return 0;
        code = published == publishExists ? codeOutputExists : codeWriteFailed;
        std::snprintf(run.failure, sizeof run.failure, "%s: %s", run.options.output,
                      code == codeOutputExists ? "appeared while rendering; give --overwrite to replace it"
                                               : "cannot be moved into place");
    }
    removeFile(run.temporary);
    return code;
}

// A failure line for the codes whose stage shows only an error box.
void describeFailure(RenderRun& run, int code)
{
    if (run.failure[0] != '\0') return;
    const char* reason = "OpenGL could not draw the video (see the error box)";
    if (code == codeRenderCancelled) reason = "cancelled; nothing written";
    if (code == codeSongEmpty) reason = "no sound to render in the chosen span";
    if (code == codeNoFftMemory) reason = "out of memory";
    const char* file = code == codeSongEmpty ? run.options.song : run.options.output;
    std::snprintf(run.failure, sizeof run.failure, "%s: %s", file, reason);
}

// Off screen without a display, and also when the display named cannot be reached: a render needs
// no screen.
bool startVideo()
{
    chooseOffscreenVideo(false);
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    return chooseOffscreenVideo(true) && SDL_Init(SDL_INIT_VIDEO) == 0;
}

int renderInsideSdl(RenderRun& run)
{
    int code = openWindowAndRenderer(run);
    if (code == 0) code = openAnalysis(run.audio);
    if (code == 0) code = renderFrames(run);
    code = publishOrDiscard(run, code);
    closeAnalysis(run.audio);
    closeVideoFrame(run.frame);
    closeFractalRenderer(run.renderer);
    closeProgramWindow(run.window);
    return code;
}

int renderSong(RenderRun& run)
{
    int code = openSongReader(run.options.song, analysisRate, 2, run.song);
    if (code != 0) return report(code, run.song.failure);
    code = run.options.drawOnly ? 0 : checkOutput(run);
    if (code == 0) {
        catchCancelRequests();
        SDL_SetMainReady();
        if (!startVideo()) {
            std::snprintf(run.failure, sizeof run.failure, "%s: no video system: %s", run.options.output, SDL_GetError());
            code = codeSdlInitFailed;
        } else {
            code = renderInsideSdl(run);
            SDL_Quit();
        }
    }
    closeSongReader(run.song);
    if (code != 0) {
        describeFailure(run, code);
        return report(code, run.failure);
    }
    char summary[4400];
    formatSummary(run.progress, run.options.drawOnly ? "(draw only)" : run.options.output, summary, sizeof summary);
    std::printf("%s\n", summary);
    formatTimings(run.progress, summary, sizeof summary);
    std::printf("%s\n", summary);
    return 0;
}

}  // namespace

int runSongRender(int argc, const char* const* argv)
{
    // FFmpeg and x264 would print their notes and warnings; the render reports in lines of its own.
    silenceMediaMessages();
    static RenderRun run;
    char error[512];
    if (readRenderOptions(argc, argv, run.options, error, sizeof error) != 0) return report(codeBadOption, error);
    return renderSong(run);
}
