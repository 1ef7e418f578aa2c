// Entry of the input handlers: sorts one SDL event to its handler and brings the pointer into drawable pixels.
#include "input/input_handling.h"

#include <algorithm>

#include "input/input_actions.h"

namespace {
// Far beyond any display, and small enough that differences and sums of positions stay in 32 bits.
constexpr int64_t pointerLimit = int64_t{1} << 24;

int32_t scaleCoordinate(int32_t value, int32_t drawableExtent, int windowExtent)
{
    const int64_t scaled =
        windowExtent > 0 ? int64_t{value} * drawableExtent / windowExtent : int64_t{value};
    return static_cast<int32_t>(std::clamp(scaled, -pointerLimit, pointerLimit));
}
}  // namespace

bool onTitleScreen(const InputTargets& targets)
{
    return !(targets.session.visualizing && targets.params.fade > 0.0f);
}

// Once the 2D renderer has a logical size (one unit per drawable pixel), SDL delivers the pointer
// in that size itself; scaling it again would double the factor on high-density displays.
bool rendererScalesPointer(const DisplayState& display)
{
    int width = 0;
    int height = 0;
    if (display.renderer != nullptr) {
        SDL_RenderGetLogicalSize(display.renderer, &width, &height);
    }
    return width > 0 && height > 0;
}

PixelPoint toDrawablePixels(int32_t x, int32_t y, const DisplayState& display)
{
    // Without a window to ask, the two sizes count as equal.
    int windowWidth = display.drawableWidth;
    int windowHeight = display.drawableHeight;
    if (!rendererScalesPointer(display)) {
        SDL_GetWindowSize(display.window, &windowWidth, &windowHeight);
    }
    PixelPoint pixel;
    pixel.x = scaleCoordinate(x, display.drawableWidth, windowWidth);
    pixel.y = scaleCoordinate(y, display.drawableHeight, windowHeight);
    return pixel;
}

void handleEvent(const SDL_Event& event, SessionState& session, DisplayState& display,
                 FractalParams& params, AnimationState& animation, SelectorRect& selector,
                 AudioContext& audio, const SoundSourceControl& sources, int& inputDeviceIndex,
                 SongSession& songs)
{
    InputTargets targets{session, display, params, animation, selector, audio, sources, inputDeviceIndex, songs};
    switch (event.type) {
    case SDL_QUIT: session.quitRequested = true; break;
    case SDL_KEYDOWN: handleKeyDown(event.key.keysym, targets); break;
    case SDL_KEYUP: handleKeyUp(event.key.keysym.sym, targets); break;
    case SDL_MOUSEMOTION:
        handleMouseMotion(toDrawablePixels(event.motion.x, event.motion.y, display), targets);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        handleMouseButton(event.button, toDrawablePixels(event.button.x, event.button.y, display),
                          targets);
        break;
    case SDL_MOUSEWHEEL: handleMouseWheel(event.wheel, targets); break;
    case SDL_WINDOWEVENT: handleWindowEvent(event.window, targets); break;
    case SDL_DROPFILE:
        if (event.drop.file != nullptr) dropSong(event.drop.file, targets);
        SDL_free(event.drop.file);
        break;
    default: break;
    }
}
