// The render's window and its OpenGL context.
#include "platform/video_window.h"

#include <algorithm>

#include "platform/exit_codes.h"
#include "platform/fatal_error.h"
#include "platform/program_context.h"

namespace {

int failAndDestroy(SDL_Window* window, SDL_GLContext context, const char* message, int code)
{
    if (context != nullptr) SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    showFatalError(message);
    return code;
}

bool requestColourBuffers()
{
    return SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8) == 0 && SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8) == 0 &&
           SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8) == 0 && SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0;
}

}  // namespace

int openVideoWindow(int width, int height, bool hidden, ProgramWindow& opened)
{
    if (!requestColourBuffers()) {
        showFatalError("Fatal Error: Failed to set OpenGL Attribute: Red Bits");
        return codeNoAttribute;
    }
    const uint32_t flags = SDL_WINDOW_OPENGL | (hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    SDL_Window* window = SDL_CreateWindow(programWindowTitle, SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (window == nullptr) {
        showFatalError("Fatal Error: Failed to create a window.");
        return codeNoWindow;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr)
        return failAndDestroy(window, nullptr, "Fatal Error: Failed to create OpenGL Rendering Context.", codeNoContext);
    if (SDL_GL_MakeCurrent(window, context) != 0)
        return failAndDestroy(window, context, "Fatal Error: Failed to make OpenGL Rendering Context current.",
                              codeNotCurrent);
    // Frames are drawn off screen at the video's pace; the preview must never wait for the display.
    SDL_GL_SetSwapInterval(0);
    setProgramContext(window, context);
    opened.context = context;
    opened.display.window = window;
    SDL_GL_GetDrawableSize(window, &opened.display.drawableWidth, &opened.display.drawableHeight);
    return 0;
}

void previewWindowSize(int videoWidth, int videoHeight, int maxWidth, int maxHeight, int& width, int& height)
{
    const double scale = std::min({1.0, static_cast<double>(maxWidth) / videoWidth,
                                   static_cast<double>(maxHeight) / videoHeight});
    width = std::max(16, static_cast<int>(videoWidth * scale));
    height = std::max(16, static_cast<int>(videoHeight * scale));
}
