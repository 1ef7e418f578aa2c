// Pointer input: the highlight drag, the pointer zoom, the pointer's visibility, the selector arrows, the wheel.
#include <algorithm>

#include "input/input_actions.h"

namespace {
// GL window coordinates count rows from the bottom.
int32_t glY(const DisplayState& display, int32_t y)
{
    return display.drawableHeight - 1 - y;
}

void setHighlight(InputTargets& targets, PixelPoint from, PixelPoint to)
{
    int32_t* rect = targets.session.mouseRect;
    const int32_t fromY = glY(targets.display, from.y);
    const int32_t toY = glY(targets.display, to.y);
    rect[0] = std::min(from.x, to.x);
    rect[1] = std::min(fromY, toY);
    rect[2] = std::max(from.x, to.x);
    rect[3] = std::max(fromY, toY);
}

// The upper half of the selector steps up, the lower half down; the dividing row belongs to up.
void clickSelector(InputTargets& targets, PixelPoint pointer)
{
    const SelectorRect& rect = targets.selector;
    if (pointer.x < rect.x || pointer.x > rect.x + rect.width) {
        return;
    }
    const int32_t middle = rect.y + rect.height / 2;
    if (pointer.y >= rect.y && pointer.y <= middle) {
        stepSelectorUp(targets);
    } else if (pointer.y >= middle && pointer.y <= rect.y + rect.height) {
        stepSelectorDown(targets);
    }
}

void pressLeft(InputTargets& targets, PixelPoint pointer)
{
    SessionState& session = targets.session;
    if (!onTitleScreen(targets)) {
        session.selectStart = pointer;
        setHighlight(targets, pointer, pointer);
        session.selecting = true;
    } else if (!session.showHelp && !session.showControls) {
        clickSelector(targets, pointer);
    }
}

// A release where the drag began asks for a point zoom, anywhere else for a rectangle zoom.
void releaseLeft(InputTargets& targets, PixelPoint pointer)
{
    SessionState& session = targets.session;
    AnimationState& animation = targets.animation;
    session.upArrowPressed = false;
    session.downArrowPressed = false;
    if (!session.selecting) {
        return;
    }
    session.selecting = false;
    session.selectEnd = pointer;
    if (pointer.x == session.selectStart.x && pointer.y == session.selectStart.y) {
        animation.clickZoom = true;
        animation.cursorZoomOut = false;
        animation.userZoomed = false;
    } else {
        animation.rectZoom = true;
    }
}

// Holding the right button zooms toward the pointer, which full-screen shows for the while.
void pressRight(InputTargets& targets, PixelPoint pointer)
{
    SessionState& session = targets.session;
    AnimationState& animation = targets.animation;
    session.selecting = false;
    animation.clickZoom = false;
    if (targets.display.fullscreen) {
        session.cursorShown = true;
        SDL_ShowCursor(SDL_ENABLE);
    }
    animation.cursorZoomIn = true;
    animation.cursorZoomOut = false;
    animation.userZoomed = false;
    session.mouseX = pointer.x;
    session.mouseY = pointer.y;
}

void releaseRight(InputTargets& targets)
{
    targets.session.selecting = false;
    if (targets.display.fullscreen) {
        SDL_ShowCursor(SDL_DISABLE);
        targets.session.cursorShown = false;
    }
    targets.animation.cursorZoomIn = false;
    targets.animation.cursorZoomOut = true;
}

// In full-screen the middle button toggles the pointer, once per press.
void pressMiddle(InputTargets& targets)
{
    SessionState& session = targets.session;
    if (!targets.display.fullscreen || !session.middleButtonArmed) {
        return;
    }
    session.cursorShown = !session.cursorShown;
    session.middleButtonArmed = false;
    SDL_ShowCursor(session.cursorShown ? SDL_ENABLE : SDL_DISABLE);
}

void releaseMiddle(InputTargets& targets)
{
    if (targets.display.fullscreen) {
        targets.session.middleButtonArmed = true;
    }
}
}  // namespace

void handleMouseButton(const SDL_MouseButtonEvent& event, PixelPoint pointer, InputTargets& targets)
{
    const bool pressed = event.type == SDL_MOUSEBUTTONDOWN;
    switch (event.button) {
    case SDL_BUTTON_LEFT: pressed ? pressLeft(targets, pointer) : releaseLeft(targets, pointer); break;
    case SDL_BUTTON_RIGHT: pressed ? pressRight(targets, pointer) : releaseRight(targets); break;
    case SDL_BUTTON_MIDDLE: pressed ? pressMiddle(targets) : releaseMiddle(targets); break;
    default: break;
    }
}

void handleMouseMotion(PixelPoint pointer, InputTargets& targets)
{
    SessionState& session = targets.session;
    session.mouseX = pointer.x;
    session.mouseY = pointer.y;
    if (session.selecting) {
        setHighlight(targets, session.selectStart, pointer);
    }
}

// Only the sign counts: one notch of any size moves the crossblend by one frame time.
void handleMouseWheel(const SDL_MouseWheelEvent& event, InputTargets& targets)
{
    if (event.y == 0) {
        return;
    }
    const float step = targets.session.frameSeconds;
    targets.params.bgfractalblend += event.y > 0 ? step : -step;
    targets.animation.autoBlend = false;
    targets.animation.autoBlendHold = false;
}
