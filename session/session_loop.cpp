// The visualizer's main loop: set-up, then events, animation and exactly one screen per frame, then tear-down.
#include "session/session_loop.h"

#include <SDL.h>

#include "render/fractal_renderer.h"
#include "director/animation_director.h"
#include "input/input_handling.h"
#include "overlays/overlays.h"
#include "platform/window.h"
#include "session/screenshots.h"
#include "state/frame_pacer.h"
#include "state/session_clock.h"

namespace {
// What the loop holds for its whole run; made once, so that no frame allocates.
struct SessionRun {
    SessionState session;
    AnimationState animation;
    FractalParams params;
    OverlayTextures textures;
    SelectorRect selector;
    SongSession songs;
    FramePacer pacer;
    FrameGrab grab;  // the picture of the frame a screenshot was asked for
    Screenshots screenshots;
};

void startSession(SessionRun& run, DisplayState& display, int inputDeviceIndex)
{
    // The source to return to after demo or screen-saver mode; the rest keep their start values.
    run.session.savedInputDeviceIndex = inputDeviceIndex;
    // One tick stamps the frame clock and every timer of the director.
    const uint32_t startTicks = currentTicks();
    run.session.lastFrameTicks = startTicks;
    run.session.lastWholeSecond = startTicks / 1000;
    // The director's start values and the session's first random draws.
    initAnimation(run.animation, run.params, startTicks);
    // The overlay textures; one that cannot be made stays empty.
    createOverlayTextures(display.renderer, run.textures);
    // The selector from the current drawable size. The preset table is constant data.
    run.selector = layoutSelector(display);
}

// A quit request does not cut the queue short: every pending event is still applied.
void drainEvents(SessionRun& run, DisplayState& display, AudioContext& audio,
                 const SoundSourceControl& sources, int& inputDeviceIndex)
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        handleEvent(event, run.session, display, run.params, run.animation, run.selector, audio, sources,
                    inputDeviceIndex, run.songs);
    }
}

// Draws one screen, copying it into the grab when a screenshot was asked for.
void drawScreen(SessionRun& run, DisplayState& display, const ShaderBindings& bindings, AudioContext& audio,
                const SoundSourceControl& sources, int inputDeviceIndex)
{
    FrameGrab* grab = run.session.screenshotRequested ? &run.grab : nullptr;
    if (!drawOverlays(display, run.session, inputDeviceIndex, run.params, run.animation, audio.streams, sources,
                      run.songs, run.textures, run.selector, grab)) {
        // The fractal frame makes the program's own context current again itself.
        drawFractalFrame(display, bindings, run.params, run.session.selecting, run.session.mouseRect, grab);
    }
    if (grab == nullptr) return;
    run.session.screenshotRequested = false;
    startScreenshot(run.screenshots, run.grab, run.session.titleNotice, run.session.lastFrameTicks);
}

// The title's notices, then the rest of the frame's time under a frame-rate cap spent asleep.
void finishFrame(SessionRun& run, DisplayState& display)
{
    collectScreenshots(run.screenshots, run.session.titleNotice, run.session.lastFrameTicks);
    const char* title = titleChange(run.session.titleNotice, programWindowTitle, run.session.lastFrameTicks);
    if (title != nullptr) SDL_SetWindowTitle(display.window, title);
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    const uint64_t wait = frameWait(run.pacer, run.session.frameRateCap, SDL_GetPerformanceCounter(), frequency);
    if (wait > 0) SDL_Delay(static_cast<uint32_t>(wait * 1000 / frequency));
}

void runFrame(SessionRun& run, DisplayState& display, const ShaderBindings& bindings,
              AudioContext& audio, const SoundSourceControl& sources, int& inputDeviceIndex)
{
    // Events first: the camera keys still scale with the previous frame's time.
    drainEvents(run, display, audio, sources, inputDeviceIndex);
    followSongs(run.session, audio, sources, inputDeviceIndex, run.songs);
    // The director advances the frame clock and runs whatever the screen.
    updateAnimation(run.animation, run.params, run.session, display, audio.results);
    drawScreen(run, display, bindings, audio, sources, inputDeviceIndex);
    finishFrame(run, display);
}
}  // namespace

void runSession(DisplayState& display, const ShaderBindings& bindings, AudioContext& audio,
                const SoundSourceControl& sources, int& inputDeviceIndex, bool visualizing,
                const std::vector<std::string>& songPaths, int frameRateCap)
{
    SessionRun run{};
    run.session.visualizing = visualizing;
    run.session.frameRateCap = frameRateCap;
    startSession(run, display, inputDeviceIndex);
    for (const std::string& path : songPaths) addSong(run.songs, path.c_str());
    startSongs(run.session, audio, sources, inputDeviceIndex, run.songs);
    while (!run.session.quitRequested) {
        runFrame(run, display, bindings, audio, sources, inputDeviceIndex);
    }
    // The song's stream and thread end before the audio record they feed.
    closeSongs(run.songs, audio);
    finishScreenshots(run.screenshots);
    destroyOverlayTextures(run.textures);
}
