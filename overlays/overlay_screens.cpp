// Each frame's choice between the title, help and controls screens and the fractal, and their drawing.
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
// The notice of a song that will not play: a smaller line in the free band above the source row.
constexpr float songNoticeX = 0.04f;
constexpr float songNoticeY = 0.775f;
constexpr float songNoticeSize = 0.026f;
constexpr float songNoticeRight = 0.96f;

bool titleScreenDue(const SessionState& session, const FractalParams& params)
{
    return (!session.visualizing || params.fade == 0.0f) && !session.showHelp && !session.showControls;
}

// Copies a texture over the whole window; false when there is none or the copy fails.
bool copyWholeWindow(SDL_Renderer* renderer, SDL_Texture* texture)
{
    return texture != nullptr && SDL_RenderCopy(renderer, texture, nullptr, nullptr) == 0;
}

SDL_Texture* selectorImage(const OverlayTextures& textures, const SessionState& session,
                           const SoundSourceControl& sources, int inputDeviceIndex, bool songsPlaying)
{
    if (songsPlaying) {
        // Both steps lead away from the songs.
        return session.upArrowPressed ? textures.arrowsUpLit : textures.arrowsNormal;
    }
    if (inputDeviceIndex == noSource && !sources.hasDefaultRecordingDevice()) {
        return textures.arrowsNone;
    }
    if (inputDeviceIndex == topSource(sources.countInputDevices())) {
        return textures.arrowsTop;
    }
    if (inputDeviceIndex == noSource) {
        return textures.arrowsBottom;
    }
    if (session.upArrowPressed) {
        return textures.arrowsUpLit;
    }
    return session.downArrowPressed ? textures.arrowsDownLit : textures.arrowsNormal;
}

void drawSourceName(const DisplayState& display, const SessionState& session,
                    const SoundSourceControl& sources, int inputDeviceIndex, const StreamState& streams,
                    const SongSession& songs, SDL_Texture* font)
{
    if (songs.playing) {
        drawText(songs.label, font, '\0', display, sourceNameX, sourceNameY, glyphSize, sourceNameRight);
        return;
    }
    char buffer[sourceLabelCapacity];
    const bool muted = streams.playbackMuted.load(std::memory_order_relaxed);
    const SourceLabel label = sourceLabel(sources, inputDeviceIndex, session.demoPlaying, muted, buffer);
    if (label.text != nullptr) {
        drawText(label.text, font, label.stop, display, sourceNameX, sourceNameY, glyphSize, sourceNameRight);
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

void drawSongNotice(const DisplayState& display, const SessionState& session, const SongSession& songs,
                    SDL_Texture* font)
{
    // Compared as a difference, so that the tick counter's wrap does not keep the notice up.
    if (songs.notice[0] == '\0' || static_cast<int32_t>(songs.noticeUntil - session.lastFrameTicks) <= 0) return;
    drawText(songs.notice, font, '\0', display, songNoticeX, songNoticeY, songNoticeSize, songNoticeRight);
}

// The 2D renderer's picture, top row first, in the byte order of the fractal's grab.
void grabRendererFrame(SDL_Renderer* renderer, FrameGrab& grab)
{
    grab.taken = false;
    int width = 0;
    int height = 0;
    if (SDL_GetRendererOutputSize(renderer, &width, &height) != 0 || width <= 0 || height <= 0) return;
    grab.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    grab.width = width;
    grab.height = height;
    grab.bottomUp = false;
    grab.taken = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGBA32, grab.rgba.data(), width * 4) == 0;
}

void presentScreen(SDL_Renderer* renderer, FrameGrab* grab)
{
    if (grab != nullptr) grabRendererFrame(renderer, *grab);
    SDL_RenderPresent(renderer);
}

}  // namespace

bool drawOverlays(const DisplayState& display, const SessionState& session, int inputDeviceIndex,
                  const FractalParams& params, const AnimationState& animation,
                  const StreamState& streams, const SoundSourceControl& sources,
                  const SongSession& songs, const OverlayTextures& textures, const SelectorRect& selector,
                  FrameGrab* grab)
{
    SDL_Renderer* renderer = display.renderer;
    if (titleScreenDue(session, params) && copyWholeWindow(renderer, textures.titleTexture)) {
        SDL_Texture* arrows = selectorImage(textures, session, sources, inputDeviceIndex, songs.playing);
        SDL_Rect arrowsRect{selector.x, selector.y, selector.width, selector.height};
        if (arrows != nullptr) {
            SDL_RenderCopy(renderer, arrows, nullptr, &arrowsRect);
        }
        drawSourceName(display, session, sources, inputDeviceIndex, streams, songs, textures.fontTexture);
        drawSongNotice(display, session, songs, textures.fontTexture);
        drawStatus(display, session, animation, textures.fontTexture);
        presentScreen(renderer, grab);
        return true;
    }
    if ((session.showHelp && copyWholeWindow(renderer, textures.helpTexture)) ||
        (session.showControls && copyWholeWindow(renderer, textures.controlsTexture))) {
        presentScreen(renderer, grab);
        return true;
    }
    return false;
}
