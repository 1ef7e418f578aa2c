// Main of the display tests: opens the shared hidden window with its contexts, runs the tests, closes it.
#include "tests/session/test_window.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/program_context.h"

namespace {
TestWindow theWindow;

bool openTestWindow()
{
    // Video and a double-buffered GL context on a hidden, high-DPI-aware window.
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    theWindow.window = SDL_CreateWindow("session test", 0, 0, testWindowWidth, testWindowHeight,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
                                            SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
    if (theWindow.window == nullptr) {
        return false;
    }
    // The program's context, recorded so that makeProgramContextCurrent can restore it.
    theWindow.context = SDL_GL_CreateContext(theWindow.window);
    if (theWindow.context == nullptr) {
        return false;
    }
    setProgramContext(theWindow.window, theWindow.context);
    // The 2D renderer, which brings a GL context of its own.
    theWindow.renderer = SDL_CreateRenderer(theWindow.window, -1, 0);
    return theWindow.renderer != nullptr;
}

void closeTestWindow()
{
    if (theWindow.renderer != nullptr) {
        SDL_DestroyRenderer(theWindow.renderer);
        theWindow.renderer = nullptr;
    }
    setProgramContext(nullptr, nullptr);
    if (theWindow.context != nullptr) {
        SDL_GL_DeleteContext(theWindow.context);
        theWindow.context = nullptr;
    }
    if (theWindow.window != nullptr) {
        SDL_DestroyWindow(theWindow.window);
        theWindow.window = nullptr;
    }
    SDL_Quit();
}
}  // namespace

const TestWindow& testWindow()
{
    return theWindow;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const bool opened = openTestWindow();
    if (!opened) {
        std::fprintf(stderr, "cannot open the test window: %s\n", SDL_GetError());
    }
    const int result = opened ? RUN_ALL_TESTS() : 1;
    closeTestWindow();
    return result;
}
