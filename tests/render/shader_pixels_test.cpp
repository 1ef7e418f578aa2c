// The two shaders on real OpenGL (Mesa llvmpipe under Xvfb), built and drawn through the fractal
// renderer, compared pixel by pixel with the CPU model of both stages and with each other.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/program_context.h"
#include "render/fractal_renderer.h"
#include "tests/render/back_buffer.h"
#include "tests/render/fractal_reference.h"
#include "tests/render/gl_test_window.h"
#include "tests/render/gl_window_environment.h"

namespace {

constexpr int frameWidth = 64;
constexpr int frameHeight = 48;
constexpr int framePixels = frameWidth * frameHeight;

// Pixels whose orbit leaves the threshold at another step than in the CPU model. llvmpipe's exp,
// sin and cos are polynomial approximations and it may fuse multiply-adds, so near the escape
// boundary an orbit's last steps can round the other way; 1% of the frame (30 pixels) leaves room
// for that and still fails on any formula, placement or colour fault, which changes most pixels.
constexpr int boundaryPixelBudget = framePixels / 100;

// The count value is n / N scaled by 2^24 - 1: a division and a multiplication, each rounded to
// float, may move the truncated 24-bit value by one unit each.
constexpr int countValueTolerance = 2;

// The background value comes from the fourth iterate, which carries the rounding of four steps:
// each multiplies a relative error by the formula's derivative (|2z| for z^2, up to |4z^3| for
// z^4, the exponential's growth for 3-7), and llvmpipe's exp, sin and cos are approximations of
// their own. 2^-14 relative, 1024 units of the 24-bit value (measured here: 99% of the pixels
// within 300), keeps every other fault of the background path visible: another iterate or
// another blend of d and T moves it much further.
constexpr int backgroundValueTolerance = 1024;

using Pixels = std::vector<uint8_t>;  // RGBA rows, bottom row first, as glReadPixels gives them

TestWindow testWindow;
std::vector<Pixels> capturedFrames;
std::vector<SDL_GLContext> contextsAtSwap;
// Runs where the session would, before the frames are drawn.
void (*sessionPrelude)() = nullptr;

const ::testing::Environment* const glEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment(testWindow, frameWidth, frameHeight));

}  // namespace

extern "C" void __real_SDL_GL_SwapWindow(SDL_Window* window);

// Reads the finished frame from the back buffer before the real swap leaves it undefined.
extern "C" void __wrap_SDL_GL_SwapWindow(SDL_Window* window)
{
    capturedFrames.push_back(readBackBuffer(frameWidth, frameHeight));
    contextsAtSwap.push_back(SDL_GL_GetCurrentContext());
    __real_SDL_GL_SwapWindow(window);
}

namespace {

// Builds the program through the fractal renderer, runs the prelude and draws every frame of specs.
std::vector<Pixels> renderFrames(const std::vector<FrameSpec>& specs)
{
    capturedFrames.clear();
    contextsAtSwap.clear();
    FractalRenderer renderer;
    EXPECT_EQ(openFractalRenderer(testWindow.display, renderer), 0);
    if (sessionPrelude != nullptr) sessionPrelude();
    for (const FrameSpec& frame : specs) {
        drawFractalFrame(testWindow.display, renderer.bindings, frame.params, frame.highlight, frame.rect);
    }
    closeFractalRenderer(renderer);
    EXPECT_EQ(capturedFrames.size(), specs.size());
    capturedFrames.resize(specs.size(), Pixels(framePixels * 4, 0));
    return capturedFrames;
}

// The home view with threshold 16, count colours only.
FrameSpec baseFrame(int fractalmode, Vec2 c, int maxIterations)
{
    FrameSpec frame;
    frame.params.fractalmode = fractalmode;
    frame.params.c = c;
    frame.params.max_iterations = maxIterations;
    frame.params.divergence_thresh2 = 16.0f;
    frame.params.zzoom = homeZoom;
    frame.params.fade = 1.0f;
    return frame;
}

const uint8_t* pixelAt(const Pixels& pixels, int index)
{
    return &pixels[index * 4];
}

int32_t decodePixel(const uint8_t* rgba, int colormode)
{
    int bytes[3] = {rgba[0], rgba[1], rgba[2]};
    return joinColorBytes(bytes, colormode);
}

// A value that some escape count n in 1..N produces.
bool isCountValue(int32_t value, int maxIterations)
{
    for (int n = 1; n <= maxIterations; ++n) {
        int32_t expected = static_cast<int32_t>(float(n) / float(maxIterations) * 16777215.0f);
        if (std::abs(value - expected) <= countValueTolerance) return true;
    }
    return value == 0;
}

struct ValueComparison {
    int differing = 0;        // pixels outside the tolerance
    int notCountValues = 0;   // differing pixels whose colour no escape count gives
    std::set<int32_t> values; // distinct values drawn, to show the frame is not trivial
    std::string firstDifference;
};

// Decodes every pixel of a frame with fade 1 and blend 0 (count values) or 1 (background values)
// and compares it with the CPU model.
ValueComparison compareValues(const FrameSpec& scene, const Pixels& pixels, bool background)
{
    ValueComparison result;
    int tolerance = background ? backgroundValueTolerance : countValueTolerance;
    for (int index = 0; index < framePixels; ++index) {
        ShadedFragment ref =
            shadeFragment(scene, interpolateAtPixel(scene, index % frameWidth, index / frameWidth));
        int32_t expected = background ? ref.backgroundValue : ref.countValue;
        int32_t drawn = decodePixel(pixelAt(pixels, index), scene.params.colormode);
        result.values.insert(drawn);
        if (std::abs(drawn - expected) <= tolerance) continue;
        if (result.differing++ == 0) {
            result.firstDifference = "pixel " + std::to_string(index) + " drawn " +
                                     std::to_string(drawn) + " expected " + std::to_string(expected);
        }
        if (!background && !isCountValue(drawn, scene.params.max_iterations)) ++result.notCountValues;
    }
    return result;
}

void expectMatchesModel(const FrameSpec& scene, const Pixels& pixels, bool background,
                        size_t minimumValues)
{
    ValueComparison comparison = compareValues(scene, pixels, background);
    EXPECT_LE(comparison.differing, boundaryPixelBudget) << comparison.firstDifference;
    EXPECT_EQ(comparison.notCountValues, 0);
    EXPECT_GE(comparison.values.size(), minimumValues);
}

int countDifferentBytes(const Pixels& a, const Pixels& b)
{
    int different = 0;
    for (size_t i = 0; i < a.size(); ++i) different += a[i] != b[i];
    return different;
}

// A formula frame with a constant chosen so that it shows interior, bands and a boundary.
FrameSpec formulaFrame(int fractalmode)
{
    const Vec2 constants[8] = {{-0.8f, 0.156f}, {0.4f, 0.1f}, {0.3f, 0.5f}, {-0.65f, 0.0f},
                               {0.2f, 0.3f},    {0.1f, 0.2f}, {-0.5f, 0.6f}, {0.4f, 0.7f}};
    return baseFrame(fractalmode, constants[fractalmode], 64);
}

// Count colours and background colours of every formula.
TEST(FractalShaders, EveryFormulaMatchesTheCpuModel)
{
    std::vector<FrameSpec> specs;
    for (int mode = 0; mode <= 7; ++mode) {
        FrameSpec frame = formulaFrame(mode);
        specs.push_back(frame);
        frame.params.bgfractalblend = 1.0f;
        specs.push_back(frame);
    }
    std::vector<Pixels> frames = renderFrames(specs);
    for (int mode = 0; mode <= 7; ++mode) {
        SCOPED_TRACE("fractalmode " + std::to_string(mode));
        expectMatchesModel(specs[2 * mode], frames[2 * mode], false, 8);
        expectMatchesModel(specs[2 * mode + 1], frames[2 * mode + 1], true, 8);
    }
}

TEST(FractalShaders, FormulasOutsideTheTableIterateSinh)
{
    FrameSpec sinh = formulaFrame(7);
    FrameSpec eight = sinh, minusOne = sinh;
    eight.params.fractalmode = 8;
    minusOne.params.fractalmode = -1;
    std::vector<Pixels> frames = renderFrames({sinh, eight, minusOne});
    EXPECT_EQ(countDifferentBytes(frames[0], frames[1]), 0);
    EXPECT_EQ(countDifferentBytes(frames[0], frames[2]), 0);
}

// Count values of N = 45 reach every nibble, so every split of every mode is exercised.
TEST(FractalShaders, ColourModesSplitTheCountAndBackgroundValues)
{
    std::vector<FrameSpec> specs;
    for (int mode = 0; mode <= 7; ++mode) {
        FrameSpec frame = baseFrame(0, {-0.8f, 0.156f}, 45);
        frame.params.colormode = mode;
        specs.push_back(frame);
        frame.params.bgfractalblend = 1.0f;
        specs.push_back(frame);
    }
    std::vector<Pixels> frames = renderFrames(specs);
    for (int mode = 0; mode <= 6; ++mode) {
        SCOPED_TRACE("colormode " + std::to_string(mode));
        expectMatchesModel(specs[2 * mode], frames[2 * mode], false, 40);
        expectMatchesModel(specs[2 * mode + 1], frames[2 * mode + 1], true, 500);
    }
    EXPECT_EQ(countDifferentBytes(frames[12], frames[14]), 0) << "colour mode 7 differs from 6";
    EXPECT_EQ(countDifferentBytes(frames[13], frames[15]), 0) << "colour mode 7 differs from 6";
}

// With c = 100 every orbit leaves the threshold at its first step.
TEST(FractalShaders, FirstStepEscapesGiveCyanCountAndBlackBackground)
{
    std::vector<FrameSpec> specs;
    FrameSpec frame = baseFrame(0, {100.0f, 0.0f}, 256);
    specs.push_back(frame);
    for (int mode = 0; mode <= 7; ++mode) {
        frame.params.colormode = mode;
        frame.params.bgfractalblend = 1.0f;
        specs.push_back(frame);
    }
    std::vector<Pixels> frames = renderFrames(specs);
    for (int index = 0; index < framePixels; ++index) {
        const uint8_t* count = pixelAt(frames[0], index);
        ASSERT_EQ(count[0], 0);
        ASSERT_EQ(count[1], 255);
        ASSERT_EQ(count[2], 255);
        for (size_t f = 1; f < frames.size(); ++f) {
            const uint8_t* background = pixelAt(frames[f], index);
            ASSERT_EQ(background[0] + background[1] + background[2], 0) << "frame " << f;
        }
    }
}

// Frames at blend 0 and 1 with fade 1 hold exact bytes, so the mixed frames must be their
// weighted sums; the framebuffer's rounding to bytes allows one unit per channel.
void expectBlend(const Pixels& count, const Pixels& background, const Pixels& mixed, float blend,
                 float fade)
{
    int worst = 0;
    for (size_t i = 0; i < mixed.size(); i += 4) {
        for (size_t k = 0; k < 3; ++k) {
            float expected = fade * (count[i + k] * (1.0f - blend) + background[i + k] * blend);
            worst = std::max(worst, std::abs(int(mixed[i + k]) - int(expected + 0.5f)));
        }
        EXPECT_EQ(mixed[i + 3], 255);
    }
    EXPECT_LE(worst, 1) << "blend " << blend << " fade " << fade;
}

TEST(FractalShaders, BlendAndFadeWeighTheTwoColours)
{
    FrameSpec frame = baseFrame(0, {-0.8f, 0.156f}, 45);
    frame.params.colormode = 3;
    std::vector<FrameSpec> specs;
    const float settings[][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {0.5f, 1.0f}, {0.25f, 0.5f},
                                 {1.0f, 0.5f}, {0.0f, 0.0f}, {0.5f, 0.0f}};
    for (const auto& setting : settings) {
        frame.params.bgfractalblend = setting[0];
        frame.params.fade = setting[1];
        specs.push_back(frame);
    }
    std::vector<Pixels> frames = renderFrames(specs);
    ASSERT_GT(countDifferentBytes(frames[0], frames[1]), framePixels);
    for (size_t f = 2; f < frames.size(); ++f) {
        expectBlend(frames[0], frames[1], frames[f], settings[f][0], settings[f][1]);
    }
}

bool insideRect(const FrameSpec& scene, int index)
{
    Vec2 pxl = interpolateAtPixel(scene, index % frameWidth, index / frameWidth).pxl;
    const int32_t* r = scene.rect;
    return r[0] <= pxl.x && pxl.x <= r[2] && r[1] <= pxl.y && pxl.y <= r[3];
}

// A screenshot's grab is the frame the swap then shows, pixel for pixel and in the same row order.
TEST(FractalShaders, AGrabHoldsTheFrameAsSwapped)
{
    capturedFrames.clear();
    FractalRenderer renderer;
    ASSERT_EQ(openFractalRenderer(testWindow.display, renderer), 0);
    const FrameSpec frame = baseFrame(1, Vec2{-0.4f, 0.6f}, 40);
    FrameGrab grab;
    drawFractalFrame(testWindow.display, renderer.bindings, frame.params, false, frame.rect, &grab);
    closeFractalRenderer(renderer);
    ASSERT_EQ(capturedFrames.size(), 1u);
    ASSERT_TRUE(grab.taken);
    EXPECT_TRUE(grab.bottomUp);
    EXPECT_EQ(grab.width, frameWidth);
    EXPECT_EQ(grab.height, frameHeight);
    EXPECT_TRUE(grab.rgba == capturedFrames[0]);
    EXPECT_GT(std::set<uint32_t>(reinterpret_cast<const uint32_t*>(grab.rgba.data()),
                                 reinterpret_cast<const uint32_t*>(grab.rgba.data()) + framePixels).size(), 10u)
        << "a picture with detail, so that a shifted or flipped copy could not pass";
}

struct HighlightCounts {
    int wrong = 0;          // pixels not inverted inside or changed outside
    int blackInverted = 0;  // interior pixels shown white
    int colourInverted = 0;
};

// Inside the rectangle every channel is 255 minus the plain frame's, outside it is unchanged; the
// plain frame's channels are rounded to bytes, so the inverse may round one unit the other way.
HighlightCounts countInverted(const FrameSpec& scene, const Pixels& plain, const Pixels& lit)
{
    HighlightCounts counts;
    for (int index = 0; index < framePixels; ++index) {
        const uint8_t* before = pixelAt(plain, index);
        const uint8_t* after = pixelAt(lit, index);
        bool inside = insideRect(scene, index);
        for (int k = 0; k < 3; ++k) {
            int expected = inside ? 255 - before[k] : before[k];
            if (std::abs(after[k] - expected) > 1) ++counts.wrong;
        }
        bool black = before[0] + before[1] + before[2] == 0;
        if (inside) ++(black ? counts.blackInverted : counts.colourInverted);
    }
    return counts;
}

TEST(FractalShaders, HighlightInvertsTheRectangleOnly)
{
    FrameSpec plain = baseFrame(0, {-0.8f, 0.156f}, 45);
    plain.params.bgfractalblend = 0.5f;
    FrameSpec lit = plain;
    const int32_t rect[4] = {10, 8, 40, 30};
    std::copy(rect, rect + 4, lit.rect);
    FrameSpec flagOff = lit;
    lit.highlight = true;
    FrameSpec wholeWindow = lit;
    const int32_t everything[4] = {-5, -5, 100, 100};
    std::copy(everything, everything + 4, wholeWindow.rect);

    std::vector<Pixels> frames = renderFrames({plain, lit, flagOff, wholeWindow});
    HighlightCounts counts = countInverted(lit, frames[0], frames[1]);
    EXPECT_EQ(counts.wrong, 0);
    EXPECT_GT(counts.blackInverted, 20);
    EXPECT_GT(counts.colourInverted, 100);
    EXPECT_EQ(countDifferentBytes(frames[0], frames[2]), 0) << "rectangle drawn without its flag";
    counts = countInverted(wholeWindow, frames[0], frames[3]);
    EXPECT_EQ(counts.wrong, 0);
    EXPECT_EQ(counts.blackInverted + counts.colourInverted, framePixels);
}

// With T > 0 a cap of 0 stops after the first step and a negative cap before it: all black,
// white inside a highlight.
TEST(FractalShaders, NoIterationBudgetDrawsBlack)
{
    std::vector<FrameSpec> specs;
    for (int cap : {0, -1, -1000}) {
        FrameSpec frame = baseFrame(0, {-0.8f, 0.156f}, cap);
        frame.params.bgfractalblend = 0.5f;
        specs.push_back(frame);
        frame.highlight = true;
        const int32_t rect[4] = {0, 0, 20, 47};
        std::copy(rect, rect + 4, frame.rect);
        specs.push_back(frame);
    }
    std::vector<Pixels> frames = renderFrames(specs);
    for (size_t f = 0; f < frames.size(); ++f) {
        for (int index = 0; index < framePixels; ++index) {
            const uint8_t* rgba = pixelAt(frames[f], index);
            int expected = specs[f].highlight && insideRect(specs[f], index) ? 255 : 0;
            ASSERT_EQ(rgba[0], expected) << "frame " << f << " pixel " << index;
            ASSERT_EQ(rgba[1], expected);
            ASSERT_EQ(rgba[2], expected);
        }
    }
}

TEST(FractalShaders, TiltOffsetsRotationAndTranslationsPlaceThePicture)
{
    std::vector<FrameSpec> specs;
    FrameSpec frame = baseFrame(0, {-0.8f, 0.156f}, 45);
    frame.params.alpha = 0.6f;
    frame.params.ws = 0.3f;
    frame.params.ad = -0.25f;
    specs.push_back(frame);
    frame.params.alpha = 0.7853982f;
    frame.params.ws = -0.5f;
    frame.params.ad = 0.5f;
    frame.params.theta = 1.1f;
    frame.params.zzoom = 0.9f;
    frame.params.zitrans = {0.3f, -0.2f};
    frame.params.zftrans = {-0.1f, 0.25f};
    specs.push_back(frame);
    std::vector<Pixels> frames = renderFrames(specs);
    for (size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        expectMatchesModel(specs[f], frames[f], false, 20);
    }
    EXPECT_GT(countDifferentBytes(frames[0], frames[1]), framePixels);
}

void drawTwoDimensionalFrame()
{
    SDL_SetRenderDrawColor(testWindow.display.renderer, 255, 0, 0, 255);
    SDL_RenderClear(testWindow.display.renderer);
    SDL_RenderPresent(testWindow.display.renderer);
}

// SDL's 2D renderer draws in a context of its own and leaves it current; the fractal frame that
// follows must still reach the program's context.
TEST(FractalShaders, FrameAfterA2DFrameDrawsInTheProgramContext)
{
    testWindow.display.renderer = SDL_CreateRenderer(testWindow.display.window, -1, 0);
    ASSERT_NE(testWindow.display.renderer, nullptr) << SDL_GetError();
    drawTwoDimensionalFrame();
    ASSERT_NE(SDL_GL_GetCurrentContext(), testWindow.context);
    setProgramContext(testWindow.display.window, testWindow.context);
    SDL_GL_MakeCurrent(testWindow.display.window, testWindow.context);
    sessionPrelude = drawTwoDimensionalFrame;

    FrameSpec frame = formulaFrame(0);
    std::vector<Pixels> frames = renderFrames({frame});
    sessionPrelude = nullptr;
    ASSERT_EQ(contextsAtSwap.size(), 1u);
    EXPECT_EQ(contextsAtSwap[0], testWindow.context);
    expectMatchesModel(frame, frames[0], false, 8);

    setProgramContext(nullptr, nullptr);
    SDL_DestroyRenderer(testWindow.display.renderer);
    testWindow.display.renderer = nullptr;
    SDL_GL_MakeCurrent(testWindow.display.window, testWindow.context);
}

}  // namespace
