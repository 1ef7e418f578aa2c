// The program's window on a real X display: geometry, the program's context, every failure with its
// code, its message and the release of what was created before it, and the close. SDL calls are wrapped at
// link time so failures the environment cannot produce can be provoked.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/display_state.h"
#include "platform/program_context.h"
#include "platform/window.h"
#include "assets/embedded_images.h"

namespace {
std::string failStep;     // name of the wrapped call that is to fail
int failAttribute = -1;   // index of the GL attribute request that is to fail
int attributeCalls = 0;
std::vector<std::string> calls;
int liveWindows = 0, liveContexts = 0, liveRenderers = 0;
struct BoxSeen {
    std::string title, message;
    bool parentless;
    int windows, contexts, renderers;
};
std::vector<BoxSeen> boxes;
SDL_GLContext createdContext = nullptr;
bool iconSet = false;

struct InnerView {
    bool called = false;
    DisplayState display;
    bool ourContextCurrent = false;
    int width = 0, height = 0, x = 0, y = 0;
    Uint32 flags = 0;
} inner;

bool failing(const char* step) { return failStep == step; }

unsigned char iconPixels[16 * 16 * 3];
}  // namespace

EmbeddedImage iconImage() { return {iconPixels, 16, 16}; }

// Opens the window as the program does; once open, looks at what it holds, as the renderer does
// next, and closes it again. Returns the open's code.
int openLookAndClose(bool fullscreen)
{
    ProgramWindow window;
    const int code = openProgramWindow(fullscreen, window);
    if (code != 0) return code;
    const DisplayState& display = window.display;
    inner.called = true;
    inner.display = display;
    inner.ourContextCurrent = SDL_GL_GetCurrentContext() == createdContext;
    SDL_GetWindowSize(display.window, &inner.width, &inner.height);
    SDL_GetWindowPosition(display.window, &inner.x, &inner.y);
    inner.flags = SDL_GetWindowFlags(display.window);
    closeProgramWindow(window);
    EXPECT_EQ(window.display.window, nullptr);
    EXPECT_EQ(window.display.renderer, nullptr);
    EXPECT_EQ(window.context, nullptr);
    return code;
}

extern "C" {
int __real_SDL_GetCurrentDisplayMode(int, SDL_DisplayMode*);
SDL_Window* __real_SDL_CreateWindow(const char*, int, int, int, int, Uint32);
SDL_Surface* __real_SDL_CreateRGBSurfaceFrom(void*, int, int, int, int, Uint32, Uint32, Uint32, Uint32);
void __real_SDL_SetWindowIcon(SDL_Window*, SDL_Surface*);
void __real_SDL_GL_GetDrawableSize(SDL_Window*, int*, int*);
SDL_GLContext __real_SDL_GL_CreateContext(SDL_Window*);
int __real_SDL_GL_SetAttribute(SDL_GLattr, int);
int __real_SDL_GL_MakeCurrent(SDL_Window*, SDL_GLContext);
int __real_SDL_GL_SetSwapInterval(int);
SDL_Renderer* __real_SDL_CreateRenderer(SDL_Window*, int, Uint32);
int __real_SDL_SetRenderDrawBlendMode(SDL_Renderer*, SDL_BlendMode);
void __real_SDL_DestroyRenderer(SDL_Renderer*);
void __real_SDL_GL_DeleteContext(SDL_GLContext);
void __real_SDL_DestroyWindow(SDL_Window*);
int __real_SDL_ShowCursor(int);

int __wrap_SDL_GetCurrentDisplayMode(int index, SDL_DisplayMode* mode)
{
    return failing("mode") ? -1 : __real_SDL_GetCurrentDisplayMode(index, mode);
}
SDL_Window* __wrap_SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags)
{
    calls.push_back("CreateWindow " + std::string(title) + " " + std::to_string(flags));
    if (failing("window")) return nullptr;
    SDL_Window* window = __real_SDL_CreateWindow(title, x, y, w, h, flags);
    liveWindows += window != nullptr;
    return window;
}
SDL_Surface* __wrap_SDL_CreateRGBSurfaceFrom(void* pixels, int w, int h, int depth, int pitch,
                                             Uint32 r, Uint32 g, Uint32 b, Uint32 a)
{
    calls.push_back("Surface " + std::to_string(w) + "x" + std::to_string(h) + " " +
                    std::to_string(depth) + " " + std::to_string(pitch) + " " + std::to_string(r) +
                    " " + std::to_string(g) + " " + std::to_string(b) + " " + std::to_string(a));
    return failing("icon") ? nullptr : __real_SDL_CreateRGBSurfaceFrom(pixels, w, h, depth, pitch, r, g, b, a);
}
void __wrap_SDL_SetWindowIcon(SDL_Window* window, SDL_Surface* icon)
{
    iconSet = true;
    __real_SDL_SetWindowIcon(window, icon);
}
void __wrap_SDL_GL_GetDrawableSize(SDL_Window* window, int* w, int* h)
{
    __real_SDL_GL_GetDrawableSize(window, w, h);
    if (failing("drawable")) *h = 0;
}
SDL_GLContext __wrap_SDL_GL_CreateContext(SDL_Window* window)
{
    if (failing("context")) return nullptr;
    createdContext = __real_SDL_GL_CreateContext(window);
    liveContexts += createdContext != nullptr;
    return createdContext;
}
int __wrap_SDL_GL_SetAttribute(SDL_GLattr attribute, int value)
{
    calls.push_back("Attribute " + std::to_string(attribute) + "=" + std::to_string(value));
    return attributeCalls++ == failAttribute ? -1 : __real_SDL_GL_SetAttribute(attribute, value);
}
int __wrap_SDL_GL_MakeCurrent(SDL_Window* window, SDL_GLContext context)
{
    return failing("current") ? -1 : __real_SDL_GL_MakeCurrent(window, context);
}
int __wrap_SDL_GL_SetSwapInterval(int interval)
{
    calls.push_back("SwapInterval " + std::to_string(interval));
    return failing("vsync") ? -1 : __real_SDL_GL_SetSwapInterval(interval);
}
SDL_Renderer* __wrap_SDL_CreateRenderer(SDL_Window* window, int index, Uint32 flags)
{
    calls.push_back("CreateRenderer " + std::to_string(index) + " " + std::to_string(flags));
    if (failing("renderer")) return nullptr;
    SDL_Renderer* renderer = __real_SDL_CreateRenderer(window, index, flags);
    liveRenderers += renderer != nullptr;
    return renderer;
}
int __wrap_SDL_SetRenderDrawBlendMode(SDL_Renderer* renderer, SDL_BlendMode mode)
{
    calls.push_back("BlendMode " + std::to_string(mode));
    return failing("blend") ? -1 : __real_SDL_SetRenderDrawBlendMode(renderer, mode);
}
void __wrap_SDL_DestroyRenderer(SDL_Renderer* renderer)
{
    calls.push_back("DestroyRenderer");
    liveRenderers -= 1;
    __real_SDL_DestroyRenderer(renderer);
}
void __wrap_SDL_GL_DeleteContext(SDL_GLContext context)
{
    calls.push_back("DeleteContext");
    liveContexts -= 1;
    __real_SDL_GL_DeleteContext(context);
}
void __wrap_SDL_DestroyWindow(SDL_Window* window)
{
    calls.push_back("DestroyWindow");
    liveWindows -= 1;
    __real_SDL_DestroyWindow(window);
}
int __wrap_SDL_ShowCursor(int toggle)
{
    calls.push_back("ShowCursor " + std::to_string(toggle));
    return __real_SDL_ShowCursor(toggle);
}
int __wrap_SDL_ShowSimpleMessageBox(Uint32 flags, const char* title, const char* message, SDL_Window* parent)
{
    EXPECT_EQ(flags, static_cast<Uint32>(SDL_MESSAGEBOX_ERROR));
    boxes.push_back({title, message, parent == nullptr, liveWindows, liveContexts, liveRenderers});
    return 0;
}
}

namespace {
class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        failStep.clear();
        failAttribute = -1;
        attributeCalls = 0;
        calls.clear();
        boxes.clear();
        inner = InnerView();
        iconSet = false;
        liveWindows = liveContexts = liveRenderers = 0;
    }
    void TearDown() override { SDL_Quit(); }

    // Runs the stage with one step failing and checks the box and that nothing is left alive.
    void expectFailure(int code, const char* message)
    {
        EXPECT_EQ(openLookAndClose(false), code);
        EXPECT_FALSE(inner.called);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, "QORB ERROR");
        EXPECT_EQ(boxes[0].message, message);
        EXPECT_TRUE(boxes[0].parentless);
        EXPECT_EQ(boxes[0].windows + boxes[0].contexts + boxes[0].renderers, 0)
            << "released before the box: windows " << boxes[0].windows << " contexts "
            << boxes[0].contexts << " renderers " << boxes[0].renderers;
        EXPECT_EQ(liveWindows + liveContexts + liveRenderers, 0);
    }
};
}  // namespace

TEST(WindowGeometry, WindowedIsHalfTheDesktopCentred)
{
    WindowGeometry hd = windowGeometry(1920, 1080, false);
    EXPECT_EQ(hd.width, 960);
    EXPECT_EQ(hd.height, 540);
    EXPECT_EQ(hd.x, 480);
    EXPECT_EQ(hd.y, 270);
    EXPECT_EQ(hd.flags, 0x2022u);
    WindowGeometry odd = windowGeometry(1366, 768, false);
    EXPECT_EQ(odd.width, 683);
    EXPECT_EQ(odd.height, 384);
    EXPECT_EQ(odd.x, 341);
    EXPECT_EQ(odd.y, 192);
    // Spares of 2 and 1 pixels: only a spare above 1 is split.
    WindowGeometry tiny = windowGeometry(3, 2, false);
    EXPECT_EQ(tiny.x, 1);
    EXPECT_EQ(tiny.y, 0);
}

TEST(WindowGeometry, FullScreenCoversTheDesktop)
{
    WindowGeometry full = windowGeometry(2560, 1440, true);
    EXPECT_EQ(full.width, 2560);
    EXPECT_EQ(full.height, 1440);
    EXPECT_EQ(full.x, 0);
    EXPECT_EQ(full.y, 0);
    EXPECT_EQ(full.flags, 0x3023u);
}

TEST_F(Window, WindowedOpenHoldsAFilledDisplayWithOurContextCurrent)
{
    EXPECT_EQ(openLookAndClose(false), 0);
    ASSERT_TRUE(inner.called);
    EXPECT_TRUE(inner.ourContextCurrent);
    EXPECT_NE(inner.display.window, nullptr);
    EXPECT_NE(inner.display.renderer, nullptr);
    EXPECT_FALSE(inner.display.fullscreen);
    EXPECT_EQ(inner.width, 960);
    EXPECT_EQ(inner.height, 540);
    EXPECT_EQ(inner.x, 480);
    EXPECT_EQ(inner.y, 270);
    EXPECT_EQ(inner.display.drawableWidth, 960);
    EXPECT_EQ(inner.display.drawableHeight, 540);
    EXPECT_EQ(inner.display.windowX, 480);
    EXPECT_EQ(inner.display.windowY, 270);
    EXPECT_TRUE(iconSet);
    EXPECT_TRUE(boxes.empty());
    std::vector<std::string> tail(calls.end() - 3, calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DestroyRenderer", "DeleteContext", "DestroyWindow"}));
    EXPECT_EQ(liveWindows + liveContexts + liveRenderers, 0);
}

TEST_F(Window, CallsUseTheFixedTitleFlagsAttributesAndRendererFlags)
{
    openLookAndClose(false);
    std::vector<std::string> expected{
        "CreateWindow Quasarine: Stand-Alone Visualizer 8226",
        "Surface 16x16 24 48 16711680 65280 255 0",
        "Attribute 0=8", "Attribute 1=8", "Attribute 2=8", "Attribute 3=8", "Attribute 6=8",
        "Attribute 5=1", "SwapInterval 1", "CreateRenderer -1 6",
        "BlendMode " + std::to_string(SDL_BLENDMODE_BLEND)};
    std::vector<std::string> head(calls.begin(), calls.begin() + expected.size());
    EXPECT_EQ(head, expected);
}

TEST_F(Window, FullScreenHidesThePointerFirstAndCoversTheDesktop)
{
    EXPECT_EQ(openLookAndClose(true), 0);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "ShowCursor 0");
    EXPECT_EQ(calls[1], "CreateWindow Quasarine: Stand-Alone Visualizer 12323");
    EXPECT_TRUE(inner.display.fullscreen);
    EXPECT_EQ(inner.width, 1920);
    EXPECT_EQ(inner.height, 1080);
    EXPECT_EQ(inner.x, 0);
    EXPECT_EQ(inner.y, 0);
    EXPECT_EQ(inner.display.drawableWidth, 1920);
    EXPECT_TRUE((inner.flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowCursor(1);
}

TEST_F(Window, MissingIconIsNotAnError)
{
    failStep = "icon";
    EXPECT_EQ(openLookAndClose(false), 0);
    EXPECT_FALSE(iconSet);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Window, EachFailureReleasesEverythingBeforeItsBox)
{
    struct Case {
        const char* step;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"mode", 11, "Fatal Error: Failed to access current Display"},
        {"window", 12, "Fatal Error: Failed to create a window."},
        {"drawable", 1, "Fatal Error: Window dimension less than one pixel."},
        {"context", 15, "Fatal Error: Failed to create OpenGL Rendering Context."},
        {"current", 17, "Fatal Error: Failed to make OpenGL Rendering Context current."},
        {"vsync", 18, "Fatal Error: VSync unsupported."},
        {"renderer", 13, "Fatal Error: Failed to create a hardware accelerated renderer."},
        {"blend", 14, "Fatal Error: Failed to set renderer blend mode."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        SetUp();
        failStep = c.step;
        expectFailure(c.code, c.message);
        TearDown();
    }
    SetUp();
}

TEST_F(Window, EachAttributeFailureHasItsOwnMessage)
{
    const char* messages[] = {"Red Bits", "Green Bits", "Blue Bits", "Alpha Bits", "Depth Size",
                              "Doublebuffer"};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        SetUp();
        failAttribute = i;
        expectFailure(16, (std::string("Fatal Error: Failed to set OpenGL Attribute: ") + messages[i]).c_str());
        TearDown();
    }
    SetUp();
}

TEST_F(Window, ClosingAnUnopenedOrClosedWindowReleasesNothing)
{
    ProgramWindow never;
    closeProgramWindow(never);
    EXPECT_TRUE(calls.empty());
    ProgramWindow window;
    ASSERT_EQ(openProgramWindow(false, window), 0);
    closeProgramWindow(window);
    const size_t afterClose = calls.size();
    closeProgramWindow(window);
    EXPECT_EQ(calls.size(), afterClose);
    EXPECT_EQ(liveWindows + liveContexts + liveRenderers, 0);
}

TEST_F(Window, BlendModeFailureReleasesRendererContextWindowInThatOrder)
{
    failStep = "blend";
    openLookAndClose(false);
    std::vector<std::string> tail(calls.end() - 3, calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DestroyRenderer", "DeleteContext", "DestroyWindow"}));
}

// Without the EGL hint, Mesa's GLX under Xvfb really refuses swap interval 1.
TEST(WindowGlx, RefusedVsyncGives18)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    boxes.clear();
    failStep.clear();
    failAttribute = -1;
    liveWindows = liveContexts = liveRenderers = 0;
    EXPECT_EQ(openLookAndClose(false), 18);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message, "Fatal Error: VSync unsupported.");
    EXPECT_EQ(liveWindows + liveContexts, 0);
    SDL_Quit();
}
