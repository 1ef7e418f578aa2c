// The program's window, its OpenGL context and the 2D renderer: opened together, closed in reverse.
#include "platform/window.h"

#include <SDL.h>

#include "platform/display_state.h"
#include "platform/exit_codes.h"
#include "platform/fatal_error.h"
#include "platform/image_surface.h"
#include "platform/program_context.h"
#include "platform/render_driver.h"
#include "assets/embedded_images.h"

namespace {

struct GlAttributeRequest {
    SDL_GLattr attribute;
    int value;
    const char* message;
};

const GlAttributeRequest glAttributeRequests[] = {
    {SDL_GL_RED_SIZE, 8, "Fatal Error: Failed to set OpenGL Attribute: Red Bits"},
    {SDL_GL_GREEN_SIZE, 8, "Fatal Error: Failed to set OpenGL Attribute: Green Bits"},
    {SDL_GL_BLUE_SIZE, 8, "Fatal Error: Failed to set OpenGL Attribute: Blue Bits"},
    {SDL_GL_ALPHA_SIZE, 8, "Fatal Error: Failed to set OpenGL Attribute: Alpha Bits"},
    {SDL_GL_DEPTH_SIZE, 8, "Fatal Error: Failed to set OpenGL Attribute: Depth Size"},
    {SDL_GL_DOUBLEBUFFER, 1, "Fatal Error: Failed to set OpenGL Attribute: Doublebuffer"},
};

// The window icon is optional: without a surface the window simply has none.
void setWindowIcon(SDL_Window* window)
{
    SDL_Surface* surface = surfaceFromImage(iconImage());
    if (surface != nullptr) {
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
    }
}

int failWithContext(SDL_GLContext context, SDL_Window* window, const char* message, int code)
{
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    showFatalError(message);
    return code;
}

// Context, attributes, current, vsync, renderer, blend mode.
int createContextAndRenderer(SDL_Window* window, SDL_GLContext* context, SDL_Renderer** renderer)
{
    *context = SDL_GL_CreateContext(window);
    if (*context == nullptr) {
        SDL_DestroyWindow(window);
        showFatalError("Fatal Error: Failed to create OpenGL Rendering Context.");
        return codeNoContext;
    }
    // These come after the context exists; only their success is checked.
    for (const GlAttributeRequest& request : glAttributeRequests) {
        if (SDL_GL_SetAttribute(request.attribute, request.value) != 0) {
            return failWithContext(*context, window, request.message, codeNoAttribute);
        }
    }
    if (SDL_GL_MakeCurrent(window, *context) != 0) {
        return failWithContext(*context, window,
                               "Fatal Error: Failed to make OpenGL Rendering Context current.",
                               codeNotCurrent);
    }
    if (SDL_GL_SetSwapInterval(1) != 0) {
        return failWithContext(*context, window, "Fatal Error: VSync unsupported.", codeNoVsync);
    }
    chooseRenderDriver();
    *renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (*renderer == nullptr) {
        return failWithContext(*context, window,
                               "Fatal Error: Failed to create a hardware accelerated renderer.",
                               codeNoRenderer);
    }
    if (SDL_SetRenderDrawBlendMode(*renderer, SDL_BLENDMODE_BLEND) != 0) {
        SDL_DestroyRenderer(*renderer);
        return failWithContext(*context, window, "Fatal Error: Failed to set renderer blend mode.",
                               codeNoBlendMode);
    }
    return 0;
}
}  // namespace

WindowGeometry windowGeometry(int desktopWidth, int desktopHeight, bool fullscreen)
{
    WindowGeometry geometry;
    geometry.flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fullscreen) {
        geometry.width = desktopWidth;
        geometry.height = desktopHeight;
        geometry.flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        return geometry;
    }
    geometry.width = desktopWidth / 2;
    geometry.height = desktopHeight / 2;
    int spareX = desktopWidth - geometry.width;
    int spareY = desktopHeight - geometry.height;
    geometry.x = spareX > 1 ? spareX / 2 : 0;
    geometry.y = spareY > 1 ? spareY / 2 : 0;
    return geometry;
}

int openProgramWindow(bool fullscreen, ProgramWindow& opened, int displayIndex)
{
    // Size and place the window from the display's desktop mode and its place on the desktop.
    SDL_DisplayMode mode;
    SDL_Rect bounds{};
    if (SDL_GetCurrentDisplayMode(displayIndex, &mode) != 0 || SDL_GetDisplayBounds(displayIndex, &bounds) != 0) {
        showFatalError("Fatal Error: Failed to access current Display");
        return codeNoDisplay;
    }
    WindowGeometry geometry = windowGeometry(mode.w, mode.h, fullscreen);
    geometry.x += bounds.x;
    geometry.y += bounds.y;
    // The pointer is hidden before a full-screen window appears.
    if (fullscreen) {
        SDL_ShowCursor(0);
    }
    // Window and its icon.
    SDL_Window* window = SDL_CreateWindow(programWindowTitle, geometry.x, geometry.y,
                                          geometry.width, geometry.height, geometry.flags);
    if (window == nullptr) {
        showFatalError("Fatal Error: Failed to create a window.");
        return codeNoWindow;
    }
    setWindowIcon(window);
    // Position and drawable size.
    DisplayState& display = opened.display;
    SDL_GetWindowPosition(window, &display.windowX, &display.windowY);
    SDL_GL_GetDrawableSize(window, &display.drawableWidth, &display.drawableHeight);
    if (display.drawableWidth <= 0 || display.drawableHeight <= 0) {
        SDL_DestroyWindow(window);
        showFatalError("Fatal Error: Window dimension less than one pixel.");
        return codeTooSmall;
    }
    // Context and renderer.
    SDL_GLContext context = nullptr;
    SDL_Renderer* renderer = nullptr;
    int failure = createContextAndRenderer(window, &context, &renderer);
    if (failure != 0) {
        return failure;
    }
    // The 2D renderer made a context of its own current; every GL call of ours needs ours.
    setProgramContext(window, context);
    makeProgramContextCurrent();
    opened.context = context;
    display.window = window;
    display.renderer = renderer;
    display.fullscreen = fullscreen;
    return 0;
}

void closeProgramWindow(ProgramWindow& opened)
{
    DisplayState& display = opened.display;
    setProgramContext(nullptr, nullptr);
    if (display.renderer != nullptr) {
        SDL_DestroyRenderer(display.renderer);
        display.renderer = nullptr;
    }
    if (opened.context != nullptr) {
        SDL_GL_DeleteContext(opened.context);
        opened.context = nullptr;
    }
    if (display.window != nullptr) {
        SDL_DestroyWindow(display.window);
        display.window = nullptr;
    }
}
