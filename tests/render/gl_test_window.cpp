// Window and context set-up shared by the GL tests.
#include "tests/render/gl_test_window.h"

bool openTestWindow(TestWindow& test, int width, int height)
{
    // SDL video and a window of the requested size.
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    test.display.window = SDL_CreateWindow("quasarine render test", 0, 0, width, height,
                                           SDL_WINDOW_OPENGL);
    if (test.display.window == nullptr) return false;

    // A context with default attributes, as the program asks for, made current.
    test.context = SDL_GL_CreateContext(test.display.window);
    if (test.context == nullptr) return false;
    if (SDL_GL_MakeCurrent(test.display.window, test.context) != 0) return false;

    // The drawable size, which the renderer uses for its viewport and size uniforms.
    SDL_GL_GetDrawableSize(test.display.window, &test.display.drawableWidth,
                           &test.display.drawableHeight);
    return true;
}

void closeTestWindow(TestWindow& test)
{
    if (test.context != nullptr) {
        SDL_GL_DeleteContext(test.context);
        test.context = nullptr;
    }
    if (test.display.window != nullptr) {
        SDL_DestroyWindow(test.display.window);
        test.display.window = nullptr;
    }
    SDL_Quit();
}
