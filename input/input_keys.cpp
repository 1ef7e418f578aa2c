// Key bindings: screens, window mode, sound source, frame-rate cap, screenshot, and the camera keys
// that scale with the frame time.
#include "input/input_actions.h"

#include <cstdio>

#include "platform/remembered_view.h"
#include "state/frame_pacer.h"

namespace {
void toggleHelp(SessionState& session)
{
    session.showHelp = !session.showHelp;
    session.showControls = false;
}

void toggleControls(SessionState& session)
{
    session.showControls = !session.showControls;
    session.showHelp = false;
}

// O: back to the centred home view, ending every zoom and dive.
void centreCamera(InputTargets& targets)
{
    FractalParams& params = targets.params;
    AnimationState& animation = targets.animation;
    params.ws = 0.0f;
    params.ad = 0.0f;
    params.alpha = 0.0f;
    params.zzoom = homeZoom;
    animation.autoDive = false;
    animation.cursorZoomIn = false;
    animation.clickZoom = false;
    animation.cursorZoomOut = false;
    animation.userZoomed = false;
}

void tilt(InputTargets& targets, float change)
{
    targets.params.alpha += change;
    targets.animation.autoTilt = false;
    targets.animation.autoTiltHold = false;
}

void rotate(InputTargets& targets, float change)
{
    targets.params.theta += change;
    targets.animation.manualRotate = true;
}

// The selector moves only on the bare title screen, once per press however long the key repeats.
bool selectorKeyUsable(const InputTargets& targets, bool armed)
{
    return armed && !targets.session.showHelp && !targets.session.showControls;
}

// The title screen has no picture to tilt, so there the arrows serve the selector instead.
void tiltUpOrStepSelectorUp(InputTargets& targets)
{
    if (!onTitleScreen(targets)) {
        tilt(targets, -targets.session.frameSeconds);
    } else if (selectorKeyUsable(targets, targets.session.upKeyArmed)) {
        targets.session.upKeyArmed = false;
        stepSelectorUp(targets);
    }
}

void tiltDownOrStepSelectorDown(InputTargets& targets)
{
    if (!onTitleScreen(targets)) {
        tilt(targets, targets.session.frameSeconds);
    } else if (selectorKeyUsable(targets, targets.session.downKeyArmed)) {
        targets.session.downKeyArmed = false;
        stepSelectorDown(targets);
    }
}

// L: off, 60, 30, off; the choice is remembered for the next start and named in the title.
void cycleFrameRateCap(InputTargets& targets)
{
    SessionState& session = targets.session;
    session.frameRateCap = nextFrameRateCap(session.frameRateCap);
    storeFrameRateCap(session.frameRateCap);
    char text[48];
    if (session.frameRateCap > 0) {
        std::snprintf(text, sizeof text, "Frame Rate Cap: %d fps", static_cast<int>(session.frameRateCap));
    } else {
        std::snprintf(text, sizeof text, "Frame Rate Cap: Off");
    }
    postTitleNotice(session.titleNotice, text, session.lastFrameTicks);
}

void handleCameraKey(SDL_Keycode key, InputTargets& targets)
{
    FractalParams& params = targets.params;
    const float step = targets.session.frameSeconds;
    switch (key) {
    case SDLK_w: params.ws -= 0.5f * step; break;
    case SDLK_s: params.ws += 0.5f * step; break;
    case SDLK_d: params.ad -= 0.5f * step; break;
    case SDLK_a: params.ad += 0.5f * step; break;
    case SDLK_o: centreCamera(targets); break;
    case SDLK_LEFT: rotate(targets, -3.0f * step); break;
    case SDLK_RIGHT: rotate(targets, 3.0f * step); break;
    default: break;
    }
}
}  // namespace

// SDL reports letter keys by their lower-case code with or without Shift, and auto-repeats arrive as
// ordinary key-down events; of the shifted keys only Shift+F means something of its own.
void handleKeyDown(const SDL_Keysym& keysym, InputTargets& targets)
{
    const SDL_Keycode key = keysym.sym;
    if (key == SDLK_f && (keysym.mod & KMOD_SHIFT) != 0) {
        moveToNextMonitor(targets);
        return;
    }
    switch (key) {
    case SDLK_ESCAPE: targets.session.quitRequested = true; break;
    case SDLK_f: toggleFullscreen(targets); break;
    case SDLK_l: cycleFrameRateCap(targets); break;
    case SDLK_F12: targets.session.screenshotRequested = true; break;
    case SDLK_h: toggleHelp(targets.session); break;
    case SDLK_c: toggleControls(targets.session); break;
    case SDLK_v: toggleVisualizing(targets); break;
    case SDLK_m: targets.animation.morphRequested = true; break;
    case SDLK_SPACE: toggleDemoMode(targets); break;
    case SDLK_TAB: toggleScreenSaverMode(targets); break;
    case SDLK_UP: tiltUpOrStepSelectorUp(targets); break;
    case SDLK_DOWN: tiltDownOrStepSelectorDown(targets); break;
    case SDLK_PAGEDOWN: nextSong(targets); break;
    case SDLK_PAGEUP: previousSong(targets); break;
    case SDLK_p: toggleSongPaused(targets); break;
    default: handleCameraKey(key, targets); break;
    }
}

void handleKeyUp(SDL_Keycode key, InputTargets& targets)
{
    SessionState& session = targets.session;
    if (key != SDLK_UP && key != SDLK_DOWN) {
        return;
    }
    if (key == SDLK_UP) {
        session.upKeyArmed = true;
    } else {
        session.downKeyArmed = true;
    }
    session.upArrowPressed = false;
    session.downArrowPressed = false;
}
