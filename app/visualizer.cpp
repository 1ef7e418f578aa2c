// The one place where the program's stages are opened, the session is run, and the stages are closed.
#include "app/visualizer.h"

#include "platform/window.h"
#include "audio/audio_stage.h"
#include "audio/sound_source_control.h"
#include "render/fractal_renderer.h"
#include "session/session_loop.h"

namespace {

// The audio stage and the session inside an open window and renderer.
int runAudioAndSession(DisplayState& display, const ShaderBindings& bindings, const StartOptions& options)
{
    AudioStage audio;
    const int code = openAudioStage(audio, options.speakers);
    if (code != 0) return code;
    runSession(display, bindings, audio.context, audioSoundSources, audio.inputDeviceIndex,
               options.visualizing, options.songs);
    closeAudioStage(audio);
    return 0;
}

}  // namespace

int runVisualizer(const StartOptions& options)
{
    ProgramWindow window;
    int code = openProgramWindow(options.fullscreen, window);
    if (code != 0) return code;
    FractalRenderer renderer;
    code = openFractalRenderer(window.display, renderer);
    if (code == 0) {
        code = runAudioAndSession(window.display, renderer.bindings, options);
        closeFractalRenderer(renderer);
    }
    closeProgramWindow(window);
    return code;
}
