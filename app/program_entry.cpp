// The process entry sequence and its shutdown.
#include "app/program_entry.h"

#include <SDL.h>
#include <portaudio.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/audio_library_messages.h"
#include "platform/driver_timeout_guard.h"
#include "platform/exit_codes.h"
#include "platform/fatal_error.h"
#include "app/options.h"

namespace {

constexpr int videoAttempts = 4;
constexpr Uint32 videoRetryMilliseconds = 250;

// Without a display SDL falls back to a driver that shows nothing; the program would then run
// invisibly with no way to quit it. Such a driver counts only when the user asked for it by name:
// an empty SDL_VIDEODRIVER names none, and SDL chooses as if it were unset.
bool videoIsInvisible()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return true;
    }
    bool invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return invisible && (requested == nullptr || *requested == '\0');
}

// A display server that is busy may refuse a connection for a moment, and SDL then settles on an
// invisible driver; a few more tries tell that apart from a machine without a display. False when
// SDL cannot start or shows nothing, with SDL shut down again in the latter case.
bool startVisibleVideo()
{
    for (int attempt = 1;; ++attempt) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            return false;
        }
        if (!videoIsInvisible()) {
            return true;
        }
        SDL_Quit();
        if (attempt == videoAttempts) {
            return false;
        }
        SDL_Delay(videoRetryMilliseconds);
    }
}
}  // namespace

int runProgram(int argc, const char* const* argv, VisualizerRun runVisualizer)
{
    // One seed for every random choice of the run.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // Give the GPU time for heavy frames; silently skipped where the registry is unavailable.
    raiseDriverTimeout();
    // Options.
    StartOptions options = readOptions(argc, argv);
    // Video; without it no message can be shown.
    SDL_SetMainReady();
    if (!startVisibleVideo()) {
        return codeSdlInitFailed;
    }
    // Audio library.
    beginQuietAudioProbe();
    const PaError initialised = Pa_Initialize();
    endQuietAudioProbe();
    if (initialised != paNoError) {
        SDL_Quit();
        showFatalError("Fatal Error: Failed to initialize audio system.");
        return codeAudioInitFailed;
    }
    // Everything else.
    int result = runVisualizer(options);
    // Shutdown in reverse order; a failed terminate overrides any other result.
    if (Pa_Terminate() != paNoError) {
        result = codeAudioTerminateFailed;
    }
    SDL_Quit();
    restoreDriverTimeout();
    return result;
}
