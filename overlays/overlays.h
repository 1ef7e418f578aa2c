// The 2D overlay screens (title, help, controls guide), the selector and the bitmap-font text.
#pragma once
#include <SDL.h>

#include "platform/display_state.h"
#include "audio/audio_context.h"
#include "audio/sound_sources.h"
#include "render/fractal_params.h"
#include "render/frame_grab.h"
#include "state/animation_state.h"
#include "state/session_state.h"
#include "songs/song_session.h"

struct OverlayTextures {
    SDL_Texture* titleTexture = nullptr;
    SDL_Texture* helpTexture = nullptr;
    SDL_Texture* controlsTexture = nullptr;
    SDL_Texture* fontTexture = nullptr;
    SDL_Texture* arrowsNormal = nullptr;
    SDL_Texture* arrowsNone = nullptr;
    SDL_Texture* arrowsUpLit = nullptr;
    SDL_Texture* arrowsDownLit = nullptr;
    SDL_Texture* arrowsBottom = nullptr;
    SDL_Texture* arrowsTop = nullptr;
};

// The selector's two stacked arrows in drawable pixels (origin top left).
struct SelectorRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

void createOverlayTextures(SDL_Renderer* renderer, OverlayTextures& textures);
void destroyOverlayTextures(OverlayTextures& textures);
SelectorRect layoutSelector(const DisplayState& display);
SDL_Rect glyphCell(unsigned char ch);
// The font has ASCII only: the next character of UTF-8 text as the ASCII character drawn for it
// (accents dropped, typographic dashes and quotes plain, others '\0' for a blank cell); text moves on.
char nextDrawnCharacter(const char*& text);
void drawText(const char* text, SDL_Texture* font, char stop, const DisplayState& display, float xf,
              float yf, float sf, float rf);

// Draws and presents one 2D screen and returns true, or returns false when the fractal is due. The
// title screen names the source (the song playing, when songs play) and picks the selector's arrows
// through sources; it shows the notice of a song that would not play while it lasts. With grab, the
// screen is copied there before it is presented.
bool drawOverlays(const DisplayState& display, const SessionState& session, int inputDeviceIndex,
                  const FractalParams& params, const AnimationState& animation,
                  const StreamState& streams, const SoundSourceControl& sources,
                  const SongSession& songs, const OverlayTextures& textures, const SelectorRect& selector,
                  FrameGrab* grab = nullptr);
