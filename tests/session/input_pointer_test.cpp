// Pointer input: the selector hit test, the highlight drag, the zoom requests, the pointer in
// full-screen, the wheel and the conversion from window units to drawable pixels.
#include <climits>

#include "tests/session/input_fixture.h"

namespace {
struct SelectorClick {
    int x;
    int y;
    const char* expectedLog;  // select(1) is a step up from 0, select(-3) (the speakers) a step down
};

bool pointerShown()
{
    return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}
}  // namespace

TEST_F(InputTest, SelectorClickHitsTheUpperOrLowerHalfWithTheDividingRowInTheUpper)
{
    // selector: x 100..112, y 200..224, dividing row 212.
    const SelectorClick clicks[] = {
        {100, 200, "select(1)=1"}, {112, 212, "select(1)=1"}, {106, 212, "select(1)=1"},
        {106, 213, "select(-3)=-3"}, {112, 224, "select(-3)=-3"}, {100, 224, "select(-3)=-3"},
        {99, 206, ""}, {113, 206, ""}, {106, 199, ""}, {106, 225, ""},
    };
    for (const SelectorClick& click : clicks) {
        SCOPED_TRACE(testing::Message() << "click at " << click.x << ", " << click.y);
        inputDeviceIndex = 0;
        clearStreamLog();
        mouse(SDL_BUTTON_LEFT, true, click.x, click.y);
        EXPECT_EQ(streamLog(), click.expectedLog);
        EXPECT_FALSE(session.selecting);
        mouse(SDL_BUTTON_LEFT, false, click.x, click.y);
        EXPECT_FALSE(session.upArrowPressed || session.downArrowPressed);
    }
}

TEST_F(InputTest, SelectorClicksNeedNoReleaseBetweenSteps)
{
    inputDeviceIndex = 0;
    mouse(SDL_BUTTON_LEFT, true, 106, 205);
    mouse(SDL_BUTTON_LEFT, true, 106, 205);
    EXPECT_EQ(streamLog(), "select(1)=1 select(2)=2");
    EXPECT_TRUE(session.upArrowPressed);
    EXPECT_TRUE(session.upKeyArmed);
    mouse(SDL_BUTTON_LEFT, false, 0, 0);
    EXPECT_FALSE(session.upArrowPressed);
}

TEST_F(InputTest, SelectorIgnoresClicksWhileHelpOrControlsAreShown)
{
    inputDeviceIndex = 0;
    session.showHelp = true;
    mouse(SDL_BUTTON_LEFT, true, 106, 205);
    session.showHelp = false;
    session.showControls = true;
    mouse(SDL_BUTTON_LEFT, true, 106, 220);
    EXPECT_EQ(streamLog(), "");
}

TEST_F(InputTest, LeftDragInTheVisualizationDrawsAnOrderedGlRectangle)
{
    enterVisualization();
    mouse(SDL_BUTTON_LEFT, true, 10, 20);
    EXPECT_TRUE(session.selecting);
    EXPECT_EQ(session.selectStart.x, 10);
    EXPECT_EQ(session.selectStart.y, 20);
    EXPECT_EQ(streamLog(), "");  // the selector is not hit-tested in the visualization
    const int32_t start[4] = {10, 339, 10, 339};
    EXPECT_TRUE(std::equal(start, start + 4, session.mouseRect));

    send(motionEvent(4, 30));
    EXPECT_EQ(session.mouseX, 4);
    EXPECT_EQ(session.mouseY, 30);
    const int32_t upLeft[4] = {4, 329, 10, 339};
    EXPECT_TRUE(std::equal(upLeft, upLeft + 4, session.mouseRect));

    send(motionEvent(50, 5));
    const int32_t downRight[4] = {10, 339, 50, 354};
    EXPECT_TRUE(std::equal(downRight, downRight + 4, session.mouseRect));

    mouse(SDL_BUTTON_LEFT, false, 50, 5);
    EXPECT_FALSE(session.selecting);
    EXPECT_EQ(session.selectEnd.x, 50);
    EXPECT_EQ(session.selectEnd.y, 5);
    EXPECT_TRUE(animation.rectZoom);
    EXPECT_FALSE(animation.clickZoom);
}

TEST_F(InputTest, ReleaseAtThePressPixelAsksForAPointZoomAndOnePixelAwayForARectangle)
{
    enterVisualization();
    animation.cursorZoomOut = animation.userZoomed = true;
    mouse(SDL_BUTTON_LEFT, true, 10, 20);
    mouse(SDL_BUTTON_LEFT, false, 10, 20);
    EXPECT_TRUE(animation.clickZoom);
    EXPECT_FALSE(animation.cursorZoomOut);
    EXPECT_FALSE(animation.userZoomed);
    EXPECT_FALSE(animation.rectZoom);

    animation.clickZoom = false;
    mouse(SDL_BUTTON_LEFT, true, 10, 20);
    mouse(SDL_BUTTON_LEFT, false, 11, 20);
    EXPECT_TRUE(animation.rectZoom);
    EXPECT_FALSE(animation.clickZoom);
}

TEST_F(InputTest, MotionAndReleaseWithoutADragLeaveTheHighlightAndZoomAlone)
{
    session.mouseRect[0] = 7;
    send(motionEvent(30, 40));
    EXPECT_EQ(session.mouseX, 30);
    EXPECT_EQ(session.mouseY, 40);
    EXPECT_EQ(session.mouseRect[0], 7);
    mouse(SDL_BUTTON_LEFT, false, 30, 40);
    EXPECT_FALSE(animation.clickZoom || animation.rectZoom);
    EXPECT_EQ(session.selectEnd.x, 0);
}

TEST_F(InputTest, RightButtonHoldsAPointerZoomAndCancelsADrag)
{
    enterVisualization();
    mouse(SDL_BUTTON_LEFT, true, 10, 20);
    animation.clickZoom = animation.cursorZoomOut = animation.userZoomed = true;
    mouse(SDL_BUTTON_RIGHT, true, 30, 40);
    EXPECT_FALSE(session.selecting);
    EXPECT_FALSE(animation.clickZoom);
    EXPECT_TRUE(animation.cursorZoomIn);
    EXPECT_FALSE(animation.cursorZoomOut);
    EXPECT_FALSE(animation.userZoomed);
    EXPECT_EQ(session.mouseX, 30);
    EXPECT_EQ(session.mouseY, 40);
    EXPECT_FALSE(session.cursorShown);  // windowed: the pointer is always visible

    mouse(SDL_BUTTON_LEFT, false, 30, 40);
    EXPECT_FALSE(animation.rectZoom || animation.clickZoom);  // the cancelled drag asks for nothing
    mouse(SDL_BUTTON_RIGHT, false, 30, 40);
    EXPECT_FALSE(animation.cursorZoomIn);
    EXPECT_TRUE(animation.cursorZoomOut);
    EXPECT_TRUE(pointerShown());
}

TEST_F(InputTest, RightButtonShowsThePointerInFullScreenForTheLengthOfThePress)
{
    display.fullscreen = true;
    SDL_ShowCursor(SDL_DISABLE);
    mouse(SDL_BUTTON_RIGHT, true, 30, 40);
    EXPECT_TRUE(session.cursorShown);
    EXPECT_TRUE(pointerShown());
    mouse(SDL_BUTTON_RIGHT, false, 30, 40);
    EXPECT_FALSE(session.cursorShown);
    EXPECT_FALSE(pointerShown());
}

TEST_F(InputTest, MiddleButtonTogglesThePointerOncePerPressInFullScreenOnly)
{
    mouse(SDL_BUTTON_MIDDLE, true, 0, 0);
    EXPECT_FALSE(session.cursorShown);
    EXPECT_TRUE(session.middleButtonArmed);

    display.fullscreen = true;
    SDL_ShowCursor(SDL_DISABLE);
    mouse(SDL_BUTTON_MIDDLE, true, 0, 0);
    EXPECT_TRUE(session.cursorShown);
    EXPECT_TRUE(pointerShown());
    mouse(SDL_BUTTON_MIDDLE, true, 0, 0);
    EXPECT_TRUE(session.cursorShown);
    mouse(SDL_BUTTON_MIDDLE, false, 0, 0);
    EXPECT_TRUE(session.middleButtonArmed);
    mouse(SDL_BUTTON_MIDDLE, true, 0, 0);
    EXPECT_FALSE(session.cursorShown);
    EXPECT_FALSE(pointerShown());

    display.fullscreen = false;
    mouse(SDL_BUTTON_MIDDLE, false, 0, 0);
    EXPECT_FALSE(session.middleButtonArmed);
}

TEST_F(InputTest, WheelMovesTheCrossblendByOneFrameTimePerNotchWhateverItsSize)
{
    session.frameSeconds = 0.1f;
    params.bgfractalblend = 0.5f;
    animation.autoBlend = animation.autoBlendHold = true;
    send(wheelEvent(3));
    EXPECT_FLOAT_EQ(params.bgfractalblend, 0.6f);
    EXPECT_FALSE(animation.autoBlend || animation.autoBlendHold);
    send(wheelEvent(-1));
    send(wheelEvent(-7, 0, SDL_MOUSEWHEEL_FLIPPED));
    EXPECT_FLOAT_EQ(params.bgfractalblend, 0.4f);

    animation.autoBlend = animation.autoBlendHold = true;
    send(wheelEvent(0, 4));
    EXPECT_FLOAT_EQ(params.bgfractalblend, 0.4f);
    EXPECT_TRUE(animation.autoBlend && animation.autoBlendHold);
}

TEST_F(InputTest, PointerInWindowUnitsReachesTheHandlersInDrawablePixels)
{
    // A high-DPI display: the drawable has twice the window's pixels in each direction.
    sizeOverrides = SizeOverrides{true, testWindowWidth / 2, testWindowHeight / 2};
    send(motionEvent(100, 50));
    EXPECT_EQ(session.mouseX, 200);
    EXPECT_EQ(session.mouseY, 100);

    selector = SelectorRect{300, 200, 12, 24};
    inputDeviceIndex = 0;
    mouse(SDL_BUTTON_LEFT, true, 150, 100);  // drawable (300, 200): the selector's top left
    mouse(SDL_BUTTON_LEFT, true, 150, 99);   // drawable (300, 198): above it
    EXPECT_EQ(streamLog(), "select(1)=1");

    enterVisualization();
    mouse(SDL_BUTTON_LEFT, true, 10, 20);
    EXPECT_EQ(session.selectStart.x, 20);
    EXPECT_EQ(session.selectStart.y, 40);
    EXPECT_EQ(session.mouseRect[1], testWindowHeight - 1 - 40);
    mouse(SDL_BUTTON_LEFT, false, 10, 20);
    EXPECT_TRUE(animation.clickZoom);
    EXPECT_EQ(session.selectEnd.x, 20);

    mouse(SDL_BUTTON_RIGHT, true, 5, 6);
    EXPECT_EQ(session.mouseX, 10);
    EXPECT_EQ(session.mouseY, 12);
}

TEST_F(InputTest, PointerIsScaledOnlyUntilTheRendererHasALogicalSize)
{
    // Windows as on a 2x and a 1.5x display over the test window's drawable.
    const int windows[2][2] = {{testWindowWidth / 2, testWindowHeight / 2},
                               {testWindowWidth * 2 / 3, testWindowHeight * 2 / 3}};
    for (const auto& window : windows) {
        SDL_RenderSetLogicalSize(display.renderer, 0, 0);
        sizeOverrides = SizeOverrides{true, window[0], window[1]};
        send(motionEvent(100, 60));
        EXPECT_EQ(session.mouseX, 100 * testWindowWidth / window[0]);
        EXPECT_EQ(session.mouseY, 60 * testWindowHeight / window[1]);
        // From the program's first resize on, SDL hands over the pointer in drawable pixels.
        SDL_RenderSetLogicalSize(display.renderer, testWindowWidth, testWindowHeight);
        send(motionEvent(100, 60));
        EXPECT_EQ(session.mouseX, 100);
        EXPECT_EQ(session.mouseY, 60);
    }
}

TEST_F(InputTest, PointerThroughSdlsQueueLandsOnTheDrawablePixelUnderIt)
{
    // A 2x display: the drawable has twice the window's pixels, and the program has given the 2D
    // renderer its drawable size. SDL rescales the queued motion itself, the program must not again.
    display.drawableWidth = 2 * testWindowWidth;
    display.drawableHeight = 2 * testWindowHeight;
    SDL_RenderSetLogicalSize(display.renderer, display.drawableWidth, display.drawableHeight);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event queued = motionEvent(100, 60);
    queued.motion.windowID = SDL_GetWindowID(display.window);
    ASSERT_EQ(SDL_PushEvent(&queued), 1) << SDL_GetError();
    SDL_Event event{};
    ASSERT_EQ(SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION), 1);
    send(event);
    EXPECT_EQ(session.mouseX, 200);
    EXPECT_EQ(session.mouseY, 120);
}

TEST_F(InputTest, FractionalPixelDensityTruncatesTowardZero)
{
    // 640 x 360 drawable over a 400 x 240 window: 1.6 and 1.5 pixels per unit.
    sizeOverrides = SizeOverrides{true, 400, 240};
    send(motionEvent(101, 33));
    EXPECT_EQ(session.mouseX, 161);
    EXPECT_EQ(session.mouseY, 49);
}

TEST_F(InputTest, PointerFarOutsideAnyDisplayIsHeldWithinSafeIntegerRange)
{
    sizeOverrides = SizeOverrides{true, testWindowWidth / 2, testWindowHeight / 2};
    enterVisualization();
    mouse(SDL_BUTTON_LEFT, true, INT_MIN, INT_MAX);
    send(motionEvent(INT_MAX, INT_MIN));
    const int32_t limit = 1 << 24;
    EXPECT_EQ(session.selectStart.x, -limit);
    EXPECT_EQ(session.selectStart.y, limit);
    EXPECT_EQ(session.mouseX, limit);
    EXPECT_EQ(session.mouseY, -limit);
    const int32_t rect[4] = {-limit, testWindowHeight - 1 - limit, limit, testWindowHeight - 1 + limit};
    EXPECT_TRUE(std::equal(rect, rect + 4, session.mouseRect));
}
