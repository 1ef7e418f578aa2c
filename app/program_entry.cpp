// The process entry sequence and its shutdown.
#include "app/program_entry.h"

#include <SDL.h>
#include <portaudio.h>

#include <cstdlib>
#include <ctime>

#include "app/driver_timeout_guard.h"
#include "app/fatal_error.h"
#include "app/options.h"
#include "app/window.h"

namespace {
constexpr int codeSdlInitFailed = 10;
constexpr int codeAudioInitFailed = 3;
constexpr int codeAudioTerminateFailed = 4;
}

int runProgram(int argc, const char* const* argv)
{
    // 1. One seed for every random choice of the run.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // 2. Give the GPU time for heavy frames; silently skipped where the registry is unavailable.
    raiseDriverTimeout();
    // 3. Options.
    StartOptions options = readOptions(argc, argv);
    // 4. Video; without it no message can be shown.
    SDL_SetMainReady();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return codeSdlInitFailed;
    }
    // 5. Audio library.
    if (Pa_Initialize() != paNoError) {
        SDL_Quit();
        showFatalError("Fatal Error: Failed to initialize audio system.");
        return codeAudioInitFailed;
    }
    // 6. Everything else.
    int result = runWindow(options.fullscreen, options.visualizing);
    // 7.-9. Shutdown in reverse order; a failed terminate overrides any other result.
    if (Pa_Terminate() != paNoError) {
        result = codeAudioTerminateFailed;
    }
    SDL_Quit();
    restoreDriverTimeout();
    return result;
}
