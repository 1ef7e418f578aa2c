// Window mode and window events on a real hidden window: full-screen, the visualization toggle on
// large and small displays, resizes and moves, and the GL context that SDL's renderer displaces.
#include "tests/session/input_fixture.h"

namespace {
bool windowFullscreen()
{
    return (SDL_GetWindowFlags(testWindow().window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
           SDL_WINDOW_FULLSCREEN_DESKTOP;
}

bool pointerShown()
{
    return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

struct Size {
    int width;
    int height;
};

Size realDrawable()
{
    Size size{0, 0};
    SDL_GL_GetDrawableSize(testWindow().window, &size.width, &size.height);
    return size;
}

Size logicalSize()
{
    Size size{0, 0};
    SDL_RenderGetLogicalSize(testWindow().renderer, &size.width, &size.height);
    return size;
}
}  // namespace

class WindowModeTest : public InputTest {
protected:
    // Full-screen on a display of the given size, showing the visualization.
    void fullscreenOn(int width, int height)
    {
        SDL_SetWindowFullscreen(testWindow().window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        SDL_ShowCursor(SDL_DISABLE);
        display.fullscreen = true;
        session.visualizing = true;
        display.drawableWidth = width;
        display.drawableHeight = height;
    }
    // The view is refreshed: drawable, logical size and viewport follow the window, in our context.
    void expectRefreshedView()
    {
        const Size drawable = realDrawable();
        EXPECT_EQ(display.drawableWidth, drawable.width);
        EXPECT_EQ(display.drawableHeight, drawable.height);
        EXPECT_EQ(logicalSize().width, drawable.width);
        EXPECT_EQ(logicalSize().height, drawable.height);
        expectViewport(drawable.width, drawable.height);
    }
};

TEST_F(WindowModeTest, FullScreenKeyRefreshesTheViewAndHidesThenShowsThePointer)
{
    display.drawableWidth = 1;
    display.drawableHeight = 1;
    displaceProgramContext();
    press(SDLK_f);
    EXPECT_TRUE(display.fullscreen);
    EXPECT_TRUE(windowFullscreen());
    EXPECT_FALSE(pointerShown());
    expectRefreshedView();

    // Shift+F moves to the next monitor, and this display has none: nothing changes.
    press(SDLK_f, KMOD_SHIFT);
    EXPECT_TRUE(display.fullscreen);
    EXPECT_TRUE(windowFullscreen());

    displaceProgramContext();
    press(SDLK_f);
    EXPECT_FALSE(display.fullscreen);
    EXPECT_FALSE(windowFullscreen());
    EXPECT_TRUE(pointerShown());
    expectRefreshedView();
    EXPECT_EQ(layoutCalls, 0);
}

TEST_F(WindowModeTest, LeavingFullScreenShowsThePointerAndKeepsCursorShown)
{
    fullscreenOn(testWindowWidth, testWindowHeight);
    mouse(SDL_BUTTON_MIDDLE, true, 0, 0);
    ASSERT_TRUE(session.cursorShown);
    press(SDLK_f);
    EXPECT_TRUE(pointerShown());
    EXPECT_TRUE(session.cursorShown);
}

TEST_F(WindowModeTest, VisualizationKeyTurningOnDoesNothingElse)
{
    display.drawableWidth = 1;
    display.drawableHeight = 1;
    SDL_ShowCursor(SDL_DISABLE);
    press(SDLK_v);
    EXPECT_TRUE(session.visualizing);
    EXPECT_EQ(display.drawableWidth, 1);
    EXPECT_EQ(layoutCalls, 0);
    EXPECT_FALSE(pointerShown());
}

TEST_F(WindowModeTest, BackToTheTitleOnALargeDisplayLeavesFullScreen)
{
    fullscreenOn(2560, 1440);
    displaceProgramContext();
    press(SDLK_v);
    EXPECT_FALSE(session.visualizing);
    EXPECT_FALSE(display.fullscreen);
    EXPECT_FALSE(windowFullscreen());
    expectRefreshedView();
    EXPECT_EQ(layoutCalls, 1);
    EXPECT_EQ(selector.x, display.drawableWidth / 4);
    EXPECT_EQ(selector.y, display.drawableHeight / 2);
    EXPECT_TRUE(pointerShown());
}

TEST_F(WindowModeTest, BackToTheTitleStaysFullScreenUnlessBothSidesExceedFullHd)
{
    const Size displays[] = {{1920, 1080}, {1921, 1080}, {2560, 1080}, {1920, 1440}};
    for (const Size& size : displays) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        layoutCalls = 0;
        fullscreenOn(size.width, size.height);
        press(SDLK_v);
        EXPECT_TRUE(display.fullscreen);
        EXPECT_TRUE(windowFullscreen());
        expectRefreshedView();
        EXPECT_EQ(layoutCalls, 1);
        EXPECT_TRUE(pointerShown());
    }
}

TEST_F(WindowModeTest, BackToTheTitleWhileWindowedOnALargeDisplayKeepsWindowed)
{
    session.visualizing = true;
    display.drawableWidth = 2560;
    display.drawableHeight = 1440;
    press(SDLK_v);
    EXPECT_FALSE(display.fullscreen);
    EXPECT_FALSE(windowFullscreen());
    expectRefreshedView();
}

TEST_F(WindowModeTest, ResizeRefreshesTheViewAndTheSelectorLayout)
{
    display.drawableWidth = 1;
    display.drawableHeight = 1;
    displaceProgramContext();
    send(windowEvent(SDL_WINDOWEVENT_RESIZED, 1, 1));
    expectRefreshedView();
    EXPECT_EQ(layoutCalls, 1);
    EXPECT_EQ(selector.x, testWindowWidth / 4);
    EXPECT_EQ(selector.y, testWindowHeight / 2);
    EXPECT_EQ(selector.height, 22);
}

TEST_F(WindowModeTest, ResizeFollowsADrawableThatShrinksToOnePixelAndGrowsBack)
{
    sizeOverrides.drawableSize = true;
    sizeOverrides.drawableWidth = 1;
    sizeOverrides.drawableHeight = 1;
    send(windowEvent(SDL_WINDOWEVENT_RESIZED));
    EXPECT_EQ(display.drawableWidth, 1);
    EXPECT_EQ(display.drawableHeight, 1);
    expectViewport(1, 1);
    sizeOverrides.drawableWidth = 3840;
    sizeOverrides.drawableHeight = 2160;
    send(windowEvent(SDL_WINDOWEVENT_RESIZED));
    EXPECT_EQ(display.drawableWidth, 3840);
    EXPECT_EQ(logicalSize().height, 2160);
    expectViewport(3840, 2160);
}

TEST_F(WindowModeTest, EmptyDrawableKeepsTheLastValidSize)
{
    display.drawableWidth = 800;
    display.drawableHeight = 600;
    sizeOverrides.drawableSize = true;
    send(windowEvent(SDL_WINDOWEVENT_RESIZED));
    EXPECT_EQ(display.drawableWidth, 800);
    EXPECT_EQ(display.drawableHeight, 600);
    EXPECT_EQ(logicalSize().width, 800);
    expectViewport(800, 600);
    EXPECT_EQ(selector.x, 200);
}

TEST_F(WindowModeTest, MoveReadsTheWindowPosition)
{
    SDL_SetWindowPosition(testWindow().window, 123, 45);
    int x = -1;
    int y = -1;
    SDL_GetWindowPosition(testWindow().window, &x, &y);
    send(windowEvent(SDL_WINDOWEVENT_MOVED, 0, 0));
    EXPECT_EQ(display.windowX, x);
    EXPECT_EQ(display.windowY, y);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 45);
}

TEST_F(WindowModeTest, OtherWindowEventsAreIgnored)
{
    display.drawableWidth = 5;
    for (Uint8 which : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SIZE_CHANGED,
                        SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_CLOSE}) {
        send(windowEvent(which, 7, 9));
    }
    EXPECT_EQ(display.drawableWidth, 5);
    EXPECT_EQ(display.windowX, 0);
    EXPECT_EQ(layoutCalls, 0);
    EXPECT_FALSE(session.quitRequested);
}
