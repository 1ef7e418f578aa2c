// The program's fragment shader, which ends orbits that repeat exactly, against the plain-loop
// reference on real OpenGL (Mesa llvmpipe under Xvfb): both drawn through the fractal renderer, the
// frames must be equal byte for byte.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/fractal_renderer.h"
#include "director/presets.h"
#include "state/animation_state.h"
#include "tests/render/back_buffer.h"
#include "tests/render/fractal_reference.h"
#include "tests/render/gl_test_window.h"
#include "tests/render/gl_window_environment.h"
#include "tests/render/reference_program.h"

namespace {

constexpr int frameWidth = 64;
constexpr int frameHeight = 48;
constexpr int framePixels = frameWidth * frameHeight;

using Pixels = std::vector<uint8_t>;  // RGBA rows, bottom row first, as glReadPixels gives them

TestWindow testWindow;
std::vector<Pixels> capturedFrames;

const ::testing::Environment* const glEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlWindowEnvironment(testWindow, frameWidth, frameHeight));

}  // namespace

extern "C" void __real_SDL_GL_SwapWindow(SDL_Window* window);

// Reads the finished frame from the back buffer before the real swap leaves it undefined.
extern "C" void __wrap_SDL_GL_SwapWindow(SDL_Window* window)
{
    capturedFrames.push_back(readBackBuffer(frameWidth, frameHeight));
    __real_SDL_GL_SwapWindow(window);
}

namespace {

// Builds the chosen program through the fractal renderer and draws every frame of specs with it.
std::vector<Pixels> renderFrames(const std::vector<FrameSpec>& specs, bool reference)
{
    substituteFragmentShader(reference ? plainLoopFragmentShaderSource : nullptr);
    capturedFrames.clear();
    FractalRenderer renderer;
    EXPECT_EQ(openFractalRenderer(testWindow.display, renderer), 0);
    for (const FrameSpec& frame : specs) {
        drawFractalFrame(testWindow.display, renderer.bindings, frame.params, frame.highlight, frame.rect);
    }
    closeFractalRenderer(renderer);
    EXPECT_EQ(capturedFrames.size(), specs.size());
    capturedFrames.resize(specs.size(), Pixels(framePixels * 4, 0));
    substituteFragmentShader(nullptr);
    return capturedFrames;
}

// Every formula number the shader distinguishes, and two that fall back to sinh(z^2).
const int formulas[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1};

// Julia sets with a large filled interior in the home view (about 20 to 80 % of the pixels), whose
// orbits mostly fall into exact cycles, some only after thousands of steps (formula 3); indexed by
// formula, 7 standing for every number beyond the table.
const Vec2 filledConstants[8] = {{-1.0f, 0.0f},  {0.4f, 0.1f},  {0.3f, 0.5f},  {0.4f, 0.7f},
                                 {-0.5f, 0.3f},  {-0.5f, 0.3f}, {-0.5f, 0.3f}, {0.1f, 0.2f}};

// The first preset of each formula's group: a dust set, with hardly any interior.
Vec2 dustConstant(int tableFormula)
{
    static const int firstPreset[8] = {0, 12, 16, 20, 24, 28, 32, 38};
    return presetTable[firstPreset[tableFormula]].c;
}

int tableFormula(int formula)
{
    return formula >= 0 && formula <= 7 ? formula : 7;
}

const int caps[] = {0, 1, 4, 100, 10000, 60000};

// Fade, blend, colour mode and highlight, taken in turn so that every formula and cap meets several.
void applySettings(FrameSpec& frame, int turn)
{
    const float fades[4] = {1.0f, 0.6f, 1.0f, 0.8f};
    const float blends[4] = {0.0f, 0.35f, 1.0f, 0.7f};
    const int colormodes[4] = {0, 3, 6, 2};
    const int32_t rects[4][4] = {{0, 0, 0, 0}, {10, 8, 40, 30}, {-5, -5, 100, 100}, {32, 0, 63, 20}};
    frame.params.fade = fades[turn % 4];
    frame.params.bgfractalblend = blends[turn % 4];
    frame.params.colormode = colormodes[turn % 4];
    frame.highlight = turn % 4 != 0;
    std::copy(rects[turn % 4], rects[turn % 4] + 4, frame.rect);
}

FrameSpec viewFrame(int formula, Vec2 c, float threshold, int cap)
{
    FrameSpec frame;
    frame.width = frameWidth;
    frame.height = frameHeight;
    frame.params.fractalmode = formula;
    frame.params.c = c;
    frame.params.max_iterations = cap;
    frame.params.divergence_thresh2 = threshold;
    frame.params.zzoom = homeZoom;
    return frame;
}

// Share of the frame's fragments that the CPU model finds interior.
float interiorShare(FrameSpec frame)
{
    frame.params.max_iterations = 1000;
    int interior = 0;
    for (int index = 0; index < framePixels; ++index) {
        interior += shadeFragment(frame, interpolateAtPixel(frame, index % frameWidth, index / frameWidth)).interior;
    }
    return static_cast<float>(interior) / framePixels;
}

std::string frameName(const FrameSpec& frame, const char* view)
{
    return std::string(view) + " view, formula " + std::to_string(frame.params.fractalmode) + ", N " +
           std::to_string(frame.params.max_iterations);
}

struct FirstDifference {
    int bytes = 0;
    int pixel = -1;
};

FirstDifference compareBytes(const Pixels& program, const Pixels& reference)
{
    FirstDifference difference;
    for (size_t i = 0; i < program.size(); ++i) {
        if (program[i] == reference[i]) continue;
        if (difference.bytes++ == 0) difference.pixel = static_cast<int>(i / 4);
    }
    return difference;
}

// One frame per view and cap, drawn by both programs.
void expectIdenticalFrames(const std::vector<FrameSpec>& specs, const std::vector<std::string>& names)
{
    const int before = substituteCompilations();
    std::vector<Pixels> reference = renderFrames(specs, true);
    ASSERT_EQ(substituteCompilations(), before + 1) << "the reference shader was not compiled";
    std::vector<Pixels> program = renderFrames(specs, false);
    for (size_t f = 0; f < specs.size(); ++f) {
        FirstDifference difference = compareBytes(program[f], reference[f]);
        EXPECT_EQ(difference.bytes, 0) << names[f] << ": first differing pixel " << difference.pixel;
    }
}

TEST(ShaderRepeatCheck, FilledInteriorsDrawTheSameBytesAsThePlainLoop)
{
    std::vector<FrameSpec> specs;
    std::vector<std::string> names;
    int turn = 0;
    for (int formula : formulas) {
        FrameSpec view = viewFrame(formula, filledConstants[tableFormula(formula)], 16.0f, 0);
        EXPECT_GT(interiorShare(view), 0.15f) << frameName(view, "filled");
        for (int cap : caps) {
            view.params.max_iterations = cap;
            applySettings(view, turn++);
            specs.push_back(view);
            names.push_back(frameName(view, "filled"));
        }
    }
    expectIdenticalFrames(specs, names);
}

TEST(ShaderRepeatCheck, DustDrawsTheSameBytesAsThePlainLoop)
{
    std::vector<FrameSpec> specs;
    std::vector<std::string> names;
    int turn = 0;
    for (int formula : formulas) {
        FrameSpec view = viewFrame(formula, dustConstant(tableFormula(formula)), 400.0f, 0);
        EXPECT_LT(interiorShare(view), 0.02f) << frameName(view, "dust");
        for (int cap : caps) {
            view.params.max_iterations = cap;
            applySettings(view, turn++);
            specs.push_back(view);
            names.push_back(frameName(view, "dust"));
        }
    }
    expectIdenticalFrames(specs, names);
}

}  // namespace
