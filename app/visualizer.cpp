// The one place where the program's stages are opened, the session is run, and the stages are closed.
#include "app/visualizer.h"

#include "platform/monitors.h"
#include "platform/remembered_view.h"
#include "platform/window.h"
#include "audio/audio_stage.h"
#include "audio/sound_source_control.h"
#include "render/fractal_renderer.h"
#include "session/session_loop.h"

namespace {

// The audio stage and the session inside an open window and renderer.
int runAudioAndSession(DisplayState& display, const ShaderBindings& bindings, const StartOptions& options,
                       int frameRateCap)
{
    AudioStage audio;
    const int code = openAudioStage(audio, options.speakers);
    if (code != 0) return code;
    runSession(display, bindings, audio.context, audioSoundSources, audio.inputDeviceIndex,
               options.visualizing, options.songs, frameRateCap);
    closeAudioStage(audio);
    return 0;
}

// The option's cap for this run, else the one chosen last, else none.
int startingFrameRateCap(const StartOptions& options, const RememberedView& remembered)
{
    if (options.frameRateCap >= 0) return options.frameRateCap;
    return remembered.frameRateCap > 0 ? remembered.frameRateCap : 0;
}

}  // namespace

int runVisualizer(const StartOptions& options)
{
    const RememberedView remembered = loadRememberedView();
    ProgramWindow window;
    int code = openProgramWindow(options.fullscreen, window, startingDisplay(options.displayNumber, remembered.monitor));
    if (code != 0) return code;
    FractalRenderer renderer;
    code = openFractalRenderer(window.display, renderer);
    if (code == 0) {
        code = runAudioAndSession(window.display, renderer.bindings, options, startingFrameRateCap(options, remembered));
        closeFractalRenderer(renderer);
    }
    // The monitor the window ended on opens the next run.
    if (code == 0) storeRememberedMonitor(monitorOfWindow(window.display.window));
    closeProgramWindow(window);
    return code;
}
