// The input tests' wrapped SDL size queries, the substitute selector layout and the fixture.
#include "tests/session/input_fixture.h"

#include <GL/glew.h>

SizeOverrides sizeOverrides;
int layoutCalls = 0;

extern "C" void __real_SDL_GetWindowSize(SDL_Window* window, int* width, int* height);
extern "C" void __real_SDL_GL_GetDrawableSize(SDL_Window* window, int* width, int* height);

extern "C" void __wrap_SDL_GetWindowSize(SDL_Window* window, int* width, int* height)
{
    if (!sizeOverrides.windowSize) {
        __real_SDL_GetWindowSize(window, width, height);
        return;
    }
    *width = sizeOverrides.windowWidth;
    *height = sizeOverrides.windowHeight;
}

extern "C" void __wrap_SDL_GL_GetDrawableSize(SDL_Window* window, int* width, int* height)
{
    if (!sizeOverrides.drawableSize) {
        __real_SDL_GL_GetDrawableSize(window, width, height);
        return;
    }
    *width = sizeOverrides.drawableWidth;
    *height = sizeOverrides.drawableHeight;
}

SelectorRect layoutSelector(const DisplayState& display)
{
    ++layoutCalls;
    SelectorRect rect;
    rect.x = display.drawableWidth / 4;
    rect.y = display.drawableHeight / 2;
    rect.width = 11;
    rect.height = 22;
    return rect;
}

void InputTest::SetUp()
{
    ASSERT_NE(testWindow().renderer, nullptr) << "no test window: " << SDL_GetError();
    resetStreamScript();
    layoutCalls = 0;
    sizeOverrides = SizeOverrides{};
    display.window = testWindow().window;
    display.renderer = testWindow().renderer;
    // No logical size yet, as before the program's first resize; earlier tests may have set one.
    SDL_RenderSetLogicalSize(display.renderer, 0, 0);
    display.drawableWidth = testWindowWidth;
    display.drawableHeight = testWindowHeight;
    selector = SelectorRect{100, 200, 12, 24};
    audio.streams.playbackMuted = false;
    SDL_ShowCursor(SDL_ENABLE);
}

void InputTest::TearDown()
{
    SDL_SetWindowFullscreen(testWindow().window, 0);
    sizeOverrides = SizeOverrides{};
}

void InputTest::send(const SDL_Event& event)
{
    handleEvent(event, session, display, params, animation, selector, audio, scriptedStreams,
                inputDeviceIndex, songs);
}

void InputTest::press(SDL_Keycode key, Uint16 modifiers, Uint8 repeat)
{
    send(keyEvent(key, true, modifiers, repeat));
}

void InputTest::release(SDL_Keycode key)
{
    send(keyEvent(key, false));
}

void InputTest::mouse(Uint8 button, bool down, int x, int y)
{
    send(buttonEvent(button, down, x, y));
}

void InputTest::enterVisualization()
{
    session.visualizing = true;
    params.fade = 0.5f;
}

void InputTest::displaceProgramContext()
{
    SDL_RenderClear(testWindow().renderer);
    SDL_RenderFlush(testWindow().renderer);
    ASSERT_NE(SDL_GL_GetCurrentContext(), testWindow().context);
}

void InputTest::expectViewport(int width, int height)
{
    ASSERT_EQ(SDL_GL_GetCurrentContext(), testWindow().context);
    GLint viewport[4] = {-1, -1, -1, -1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], width);
    EXPECT_EQ(viewport[3], height);
}
