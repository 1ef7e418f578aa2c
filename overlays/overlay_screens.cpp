// Each frame's choice between the title, help and controls screens and the fractal, and their drawing.
#include <cstdio>

#include "audio/audio_devices.h"
#include "audio/loopback_capture.h"
#include "audio/sound_sources.h"
#include "overlays/overlays.h"

namespace {

// Where the source name and the status notices go, as fractions of the drawable size.
constexpr float sourceNameX = 0.40104166f;
constexpr float sourceNameY = 0.8425926f;
constexpr float sourceNameRight = 0.96875f;
constexpr float glyphSize = 0.033333335f;
constexpr float silenceNoticeX = 0.6770833f;
constexpr float warningBlankX = 0.8645833f;
constexpr size_t speakersTextCapacity = 160;
constexpr size_t deviceNameCapacity = 160;

bool titleScreenDue(const SessionState& session, const FractalParams& params)
{
    return (!session.visualizing || params.fade == 0.0f) && !session.showHelp && !session.showControls;
}

// Copies a texture over the whole window; false when there is none or the copy fails.
bool copyWholeWindow(SDL_Renderer* renderer, SDL_Texture* texture)
{
    return texture != nullptr && SDL_RenderCopy(renderer, texture, nullptr, nullptr) == 0;
}

SDL_Texture* selectorImage(const OverlayTextures& textures, const SessionState& session, int inputDeviceIndex)
{
    if (inputDeviceIndex == -2 && !hasDefaultRecordingDevice()) {
        return textures.arrowsNone;
    }
    if (inputDeviceIndex == topSource(countInputDevices())) {
        return textures.arrowsTop;
    }
    if (inputDeviceIndex == -2) {
        return textures.arrowsBottom;
    }
    if (session.upArrowPressed) {
        return textures.arrowsUpLit;
    }
    return session.downArrowPressed ? textures.arrowsDownLit : textures.arrowsNormal;
}

// The name of a selected device, cut far beyond what the label row shows, or null when the selection
// has no device.
const char* deviceName(int inputDeviceIndex, char (&name)[deviceNameCapacity])
{
    char hostApi[deviceNameCapacity];
    return inputDeviceIdentity(inputDeviceIndex, name, hostApi, deviceNameCapacity) ? name : nullptr;
}

// "Speakers", followed by the name of the output device when the capture knows it.
const char* speakersText(char* text, size_t capacity)
{
    char name[speakersTextCapacity - 16];
    loopbackDeviceName(name, sizeof name);
    if (name[0] == '\0') return "Speakers";
    std::snprintf(text, capacity, "Speakers: %s", name);
    return text;
}

void drawSourceName(const DisplayState& display, const SessionState& session, int inputDeviceIndex,
                    const AudioContext& audio, SDL_Texture* font)
{
    const char* text = nullptr;
    char stop = '\0';
    char speakers[speakersTextCapacity];
    char device[deviceNameCapacity];
    // A device that has gone away shows as none while the capture waits for it to come back.
    if ((inputDeviceIndex == -2 && !session.demoPlaying) || captureIsLost()) {
        text = "No Audio Input Device";
    } else if (inputDeviceIndex == -2) {
        bool muted = audio.playbackMuted.load(std::memory_order_relaxed);
        text = muted ? "N/A : Screen Saver Mode" : "Demo Track";
    } else if (inputDeviceIndex == defaultDeviceSource) {
        text = "Default Recording Device";
    } else if (inputDeviceIndex == speakersSource) {
        text = speakersText(speakers, sizeof speakers);
    } else if (inputDeviceIndex >= 0) {
        // Host APIs append their driver in parentheses; the name alone fits the label row.
        text = deviceName(inputDeviceIndex, device);
        stop = '(';
    }
    if (text != nullptr) {
        drawText(text, font, stop, display, sourceNameX, sourceNameY, glyphSize, sourceNameRight);
    }
}

// The silence notice in the visualization, otherwise black squares over the warning's last two words.
void drawStatus(const DisplayState& display, const SessionState& session, const AnimationState& animation,
                SDL_Texture* font)
{
    if (session.visualizing) {
        drawText("Silence Detected     ", font, '\0', display, silenceNoticeX, 0.0f, glyphSize, 1.0f);
    } else if (animation.blink) {
        drawText("            ", font, '\0', display, warningBlankX, 0.0f, glyphSize, 1.0f);
    }
}

}  // namespace

bool drawOverlays(const DisplayState& display, const SessionState& session, int inputDeviceIndex,
                  const FractalParams& params, const AnimationState& animation,
                  const AudioContext& audio, const OverlayTextures& textures,
                  const SelectorRect& selector)
{
    SDL_Renderer* renderer = display.renderer;
    if (titleScreenDue(session, params) && copyWholeWindow(renderer, textures.titleTexture)) {
        SDL_Texture* arrows = selectorImage(textures, session, inputDeviceIndex);
        SDL_Rect arrowsRect{selector.x, selector.y, selector.width, selector.height};
        if (arrows != nullptr) {
            SDL_RenderCopy(renderer, arrows, nullptr, &arrowsRect);
        }
        drawSourceName(display, session, inputDeviceIndex, audio, textures.fontTexture);
        drawStatus(display, session, animation, textures.fontTexture);
        SDL_RenderPresent(renderer);
        return true;
    }
    if ((session.showHelp && copyWholeWindow(renderer, textures.helpTexture)) ||
        (session.showControls && copyWholeWindow(renderer, textures.controlsTexture))) {
        SDL_RenderPresent(renderer);
        return true;
    }
    return false;
}
