// The window's view: full-screen, the visualization toggle, and the window's resize and move events.
#include <GL/glew.h>

#include "platform/monitors.h"
#include "platform/program_context.h"
#include "input/input_actions.h"

namespace {
// Back on the title screen, displays larger than this leave full-screen.
constexpr int32_t largeDisplayWidth = 1920;
constexpr int32_t largeDisplayHeight = 1080;

// Drawable size, the renderer's logical size and the GL viewport follow the window.
void refreshView(DisplayState& display)
{
    // The drawable size. The later stages divide by it, so an empty one keeps the last size.
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(display.window, &width, &height);
    if (width >= 1 && height >= 1) {
        display.drawableWidth = width;
        display.drawableHeight = height;
    }
    // One renderer unit per drawable pixel.
    SDL_RenderSetLogicalSize(display.renderer, display.drawableWidth, display.drawableHeight);
    // The viewport of our own context, which the 2D renderer may have displaced.
    makeProgramContextCurrent();
    glViewport(0, 0, display.drawableWidth, display.drawableHeight);
}

bool largeDisplay(const DisplayState& display)
{
    return display.drawableWidth > largeDisplayWidth && display.drawableHeight > largeDisplayHeight;
}
}  // namespace

// The selector layout is left as it is: the title screen keeps its last layout until a resize.
void toggleFullscreen(InputTargets& targets)
{
    DisplayState& display = targets.display;
    display.fullscreen = !display.fullscreen;
    SDL_SetWindowFullscreen(display.window, display.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    refreshView(display);
    SDL_ShowCursor(display.fullscreen ? SDL_DISABLE : SDL_ENABLE);
}

void moveToNextMonitor(InputTargets& targets)
{
    DisplayState& display = targets.display;
    if (!moveWindowToNextDisplay(display.window, display.fullscreen)) return;
    SDL_GetWindowPosition(display.window, &display.windowX, &display.windowY);
    refreshView(display);
    targets.selector = layoutSelector(display);
}

void toggleVisualizing(InputTargets& targets)
{
    DisplayState& display = targets.display;
    targets.session.visualizing = !targets.session.visualizing;
    if (targets.session.visualizing) {
        return;
    }
    if (display.fullscreen && largeDisplay(display)) {
        display.fullscreen = false;
        SDL_SetWindowFullscreen(display.window, 0);
    }
    refreshView(display);
    targets.selector = layoutSelector(display);
    SDL_ShowCursor(SDL_ENABLE);
}

void handleWindowEvent(const SDL_WindowEvent& event, InputTargets& targets)
{
    DisplayState& display = targets.display;
    if (event.event == SDL_WINDOWEVENT_RESIZED) {
        refreshView(display);
        targets.selector = layoutSelector(display);
    } else if (event.event == SDL_WINDOWEVENT_MOVED) {
        SDL_GetWindowPosition(display.window, &display.windowX, &display.windowY);
    }
}
