// Benchmark of the fractal frame through drawFractalFrame on Mesa llvmpipe: the program's fragment
// shader against an earlier one read from a file (--before=FILE) and, on the z^2 views, against the
// bare escape loop as the floor, at the size given by --size=WIDTHxHEIGHT (320x180 unless told).
// Runs under an X display or, without one, on SDL's offscreen video driver.
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/fractal_renderer.h"
#include "tests/render/back_buffer.h"
#include "tests/render/gl_test_window.h"
#include "tests/render/reference_program.h"

extern const char bareLoopFragmentShaderSource[];

namespace {

int frameWidth = 320;
int frameHeight = 180;

// The shaders drawn, each through a fractal renderer of its own; before is absent without a file.
enum Shader { after = 0, before = 1, bareLoop = 2, shaderCount = 3 };
const char* const shaderNames[shaderCount] = {"after", "before", "bare loop"};

struct BuiltProgram {
    bool present = false;
    const char* source = nullptr;  // null: the program's own
    FractalRenderer renderer;
};

BuiltProgram programs[shaderCount];
std::string beforeSource;
TestWindow window;

struct View {
    const char* name;
    int formula;
    Vec2 c;
    float threshold;
    int cap;
};

// Escape-heavy views of the polynomial and exponential formulas (the second is the longest frame
// caught in demo runs) and a filled view whose interior ends early on the repeat check.
constexpr int viewCount = 4;
const View views[viewCount] = {
    {"formula 0, c = -0.75 + 0.01i, threshold 16, N 1000", 0, {-0.75f, 0.01f}, 16.0f, 1000},
    {"formula 1, c = -0.531790733 - 0.375269353i, threshold 9.9e7, N 21492", 1,
     {-0.531790733f, -0.375269353f}, 9.9e7f, 21492},
    {"formula 3, c = -0.2 + 0.8i, threshold 16, N 2000", 3, {-0.2f, 0.8f}, 16.0f, 2000},
    {"formula 0, c = -1 (filled), threshold 16, N 60000", 0, {-1.0f, 0.0f}, 16.0f, 60000},
};

// Frame times of each view, one entry per shader and round.
std::vector<double> frameTimes[viewCount][shaderCount];
// Share of pixels whose bytes differ between before and after, per view; -1 until measured.
double changedShare[viewCount] = {-1.0, -1.0, -1.0, -1.0};

bool capturing = false;
std::vector<uint8_t> capturedFrame;

FractalParams viewParams(const View& view)
{
    FractalParams params;
    params.fractalmode = view.formula;
    params.c = view.c;
    params.max_iterations = view.cap;
    params.divergence_thresh2 = view.threshold;
    params.zzoom = homeZoom;
    params.fade = 1.0f;
    return params;
}

bool drawsView(int shader, const View& view)
{
    if (!programs[shader].present) return false;
    if (shader != bareLoop) return true;
    // The bare loop iterates z^2 only.
    return view.formula == 0;
}

// Wall time of one frame: llvmpipe shades on threads of its own while this one waits in glFinish.
double timeFrame(int shader, const FractalParams& params)
{
    const int32_t noRect[4] = {0, 0, 0, 0};
    glUseProgram(programs[shader].renderer.program);
    const auto start = std::chrono::steady_clock::now();
    drawFractalFrame(window.display, programs[shader].renderer.bindings, params, false, noRect);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

std::vector<uint8_t> captureFrame(int shader, const FractalParams& params)
{
    capturing = true;
    timeFrame(shader, params);
    capturing = false;
    return capturedFrame;
}

double shareOfChangedPixels(const FractalParams& params)
{
    const std::vector<uint8_t> old = captureFrame(before, params);
    const std::vector<uint8_t> now = captureFrame(after, params);
    long changed = 0;
    for (size_t pixel = 0; pixel + 3 < now.size() && pixel + 3 < old.size(); pixel += 4) {
        changed += std::memcmp(&now[pixel], &old[pixel], 4) != 0;
    }
    return double(changed) / (double(frameWidth) * frameHeight);
}

// Each iteration draws one frame with every shader of the view, starting with a different one each
// round, so that all meet the same load from other work on the machine.
void frameRound(benchmark::State& state)
{
    const int view = static_cast<int>(state.range(0));
    const FractalParams params = viewParams(views[view]);
    if (programs[before].present && changedShare[view] < 0.0) changedShare[view] = shareOfChangedPixels(params);
    int round = 0;
    for (auto _ : state) {
        for (int k = 0; k < shaderCount; ++k) {
            const int shader = (round + k) % shaderCount;
            if (drawsView(shader, views[view])) frameTimes[view][shader].push_back(timeFrame(shader, params));
        }
        ++round;
    }
    state.SetLabel(views[view].name);
}

// Three repetitions keep one disturbed round from deciding the median of the slow views.
BENCHMARK(frameRound)
    ->DenseRange(0, viewCount - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

// The ratio of two shaders' frames, taken round by round so that load that changes between rounds
// cancels out.
double medianRoundRatio(const std::vector<double>& numerator, const std::vector<double>& denominator)
{
    std::vector<double> ratios;
    for (size_t k = 0; k < numerator.size() && k < denominator.size(); ++k) {
        ratios.push_back(numerator[k] / denominator[k]);
    }
    return ratios.empty() ? 0.0 : median(ratios);
}

void printView(int view)
{
    const std::vector<double>* times = frameTimes[view];
    if (times[after].empty()) return;
    std::printf("%s\n ", views[view].name);
    for (int shader = 0; shader < shaderCount; ++shader) {
        if (times[shader].empty()) continue;
        std::printf(" %s %.1f ms,", shaderNames[shader], median(times[shader]) * 1e3);
    }
    std::printf(" rounds %zu\n", times[after].size());
    if (!times[before].empty()) {
        std::printf("  after / before %.3f; pixels changed %.4f %%\n",
                    medianRoundRatio(times[after], times[before]), changedShare[view] * 100.0);
    }
    if (!times[bareLoop].empty()) {
        std::printf("  after / bare loop %.3f\n", medianRoundRatio(times[after], times[bareLoop]));
    }
}

void printSummary()
{
    std::printf("\nMedian wall time per frame at %dx%d (home view, fade 1), and the median ratio of the\n"
                "frames of a round\n", frameWidth, frameHeight);
    for (int view = 0; view < viewCount; ++view) printView(view);
}

bool readFile(const char* path, std::string& text)
{
    std::ifstream file(path);
    if (!file) return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    text = contents.str();
    return true;
}

// --size=WIDTHxHEIGHT and --before=FILE; false on anything else.
bool readArguments(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        if (std::strncmp(argv[k], "--size=", 7) == 0) {
            if (std::sscanf(argv[k] + 7, "%dx%d", &frameWidth, &frameHeight) != 2) return false;
        } else if (std::strncmp(argv[k], "--before=", 9) == 0) {
            if (!readFile(argv[k] + 9, beforeSource)) return false;
            programs[before].present = true;
            programs[before].source = beforeSource.c_str();
        } else {
            return false;
        }
    }
    return frameWidth > 0 && frameHeight > 0;
}

// Opens a renderer for every present shader; false when one fails.
bool openRenderers()
{
    for (BuiltProgram& built : programs) {
        if (!built.present) continue;
        substituteFragmentShader(built.source);
        if (openFractalRenderer(window.display, built.renderer) != 0) return false;
    }
    substituteFragmentShader(nullptr);
    return true;
}

void closeRenderers()
{
    for (BuiltProgram& built : programs) closeFractalRenderer(built.renderer);
}

}  // namespace

extern "C" void __real_SDL_GL_SwapWindow(SDL_Window* window);

// Reads the finished frame from the back buffer before the real swap leaves it undefined.
extern "C" void __wrap_SDL_GL_SwapWindow(SDL_Window* window)
{
    if (capturing) capturedFrame = readBackBuffer(frameWidth, frameHeight);
    __real_SDL_GL_SwapWindow(window);
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    programs[after].present = true;
    programs[bareLoop].present = true;
    programs[bareLoop].source = bareLoopFragmentShaderSource;
    if (!readArguments(argc, argv)) {
        std::fprintf(stderr, "usage: %s [--size=WIDTHxHEIGHT] [--before=FRAGMENT_SHADER_FILE]\n", argv[0]);
        return 2;
    }
    if (!openTestWindow(window, frameWidth, frameHeight)) {
        std::fprintf(stderr, "no window with an OpenGL context: %s\n", SDL_GetError());
        return 1;
    }
    const bool opened = openRenderers();
    if (opened) benchmark::RunSpecifiedBenchmarks();
    closeRenderers();
    const int substitutes = programs[before].present ? 2 : 1;
    if (opened && substituteCompilations() == substitutes) printSummary();
    closeTestWindow(window);
    return opened ? 0 : 1;
}
