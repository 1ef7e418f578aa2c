// The visualizer's main loop: set-up, then events, animation and exactly one screen per frame, then tear-down.
#include "session/session_loop.h"

#include <SDL.h>

#include "render/fractal_renderer.h"
#include "director/animation_director.h"
#include "input/input_handling.h"
#include "overlays/overlays.h"
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

void runFrame(SessionRun& run, DisplayState& display, const ShaderBindings& bindings,
              AudioContext& audio, const SoundSourceControl& sources, int& inputDeviceIndex)
{
    // Events first: the camera keys still scale with the previous frame's time.
    drainEvents(run, display, audio, sources, inputDeviceIndex);
    followSongs(run.session, audio, sources, inputDeviceIndex, run.songs);
    // The director advances the frame clock and runs whatever the screen.
    updateAnimation(run.animation, run.params, run.session, display, audio.results);
    if (drawOverlays(display, run.session, inputDeviceIndex, run.params, run.animation, audio.streams,
                     sources, run.songs, run.textures, run.selector)) {
        return;
    }
    // The fractal frame makes the program's own context current again itself.
    drawFractalFrame(display, bindings, run.params, run.session.selecting, run.session.mouseRect);
}
}  // namespace

void runSession(DisplayState& display, const ShaderBindings& bindings, AudioContext& audio,
                const SoundSourceControl& sources, int& inputDeviceIndex, bool visualizing,
                const std::vector<std::string>& songPaths)
{
    SessionRun run{};
    run.session.visualizing = visualizing;
    startSession(run, display, inputDeviceIndex);
    for (const std::string& path : songPaths) addSong(run.songs, path.c_str());
    startSongs(run.session, audio, sources, inputDeviceIndex, run.songs);
    while (!run.session.quitRequested) {
        runFrame(run, display, bindings, audio, sources, inputDeviceIndex);
    }
    // The song's stream and thread end before the audio record they feed.
    closeSongs(run.songs, audio);
    destroyOverlayTextures(run.textures);
}
