// Benchmark of the fractal frame through drawFractalFrame on Mesa llvmpipe at 320x180: the program's
// fragment shader, which ends orbits that repeat exactly, against the plain-loop reference, for
// filled Julia sets and dust sets at three iteration caps. Runs under an X display or, without one,
// on SDL's offscreen video driver, which SDL falls back to by itself.
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_context.h"
#include "render/fractal_renderer.h"
#include "session/animation_state.h"
#include "tests/render/gl_test_window.h"
#include "tests/render/reference_program.h"

namespace {

constexpr int frameWidth = 320;
constexpr int frameHeight = 180;

// The before and the after, in the order the renderer stage builds them.
enum Shader { plainLoop = 0, repeatCheck = 1 };

struct BuiltProgram {
    ShaderBindings bindings;
    GLint program = 0;
};

BuiltProgram programs[2];
int programsBuilt = 0;
TestWindow window;

struct View {
    const char* name;
    Vec2 c;
};

// Two filled Julia sets, the dust of preset 0 whose orbits escape within a few steps, and a dust
// set whose orbits take about 300 steps to escape, where the check's cost per step shows most.
constexpr int viewCount = 4;
const View views[viewCount] = {
    {"c = -1 (filled basilica)", {-1.0f, 0.0f}},
    {"c = -0.123 + 0.745i (filled rabbit)", {-0.123f, 0.745f}},
    {"preset 0 (dust)", presetTable[0].c},
    {"c = -0.75 + 0.01i (dust, slow escapes)", {-0.75f, 0.01f}},
};

const int caps[3] = {1000, 10000, 60000};

// Frame times of one view and cap, one entry per shader and pair of frames.
std::vector<double> frameTimes[viewCount][3][2];

FractalParams viewParams(const View& view, int cap)
{
    FractalParams params;
    params.fractalmode = 0;
    params.c = view.c;
    params.max_iterations = cap;
    params.divergence_thresh2 = 16.0f;
    params.zzoom = homeZoom;
    params.fade = 1.0f;
    return params;
}

// Wall time of one frame: llvmpipe shades on threads of its own while this one waits in glFinish.
double timeFrame(int shader, const FractalParams& params)
{
    const int32_t noRect[4] = {0, 0, 0, 0};
    glUseProgram(static_cast<GLuint>(programs[shader].program));
    const auto start = std::chrono::steady_clock::now();
    drawFractalFrame(window.display, programs[shader].bindings, params, false, noRect);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

// Each iteration draws the frame with both shaders, in alternating order, so that both meet the
// same load from other work on the machine; the reported time is that of the pair.
void framePair(benchmark::State& state)
{
    const int view = static_cast<int>(state.range(0));
    const int cap = static_cast<int>(state.range(1));
    const FractalParams params = viewParams(views[view], caps[cap]);
    std::vector<double>* times = frameTimes[view][cap];
    int order = 0;
    for (auto _ : state) {
        const int first = order++ % 2;
        times[first].push_back(timeFrame(first, params));
        times[1 - first].push_back(timeFrame(1 - first, params));
    }
    state.SetLabel(std::string(views[view].name) + ", N " + std::to_string(caps[cap]));
}

// A frame of a filled view with the plain loop at N 60000 takes seconds, so that pair is drawn only
// once per repetition; three repetitions keep one disturbed frame from deciding the median. The
// dust views' differences are small against the noise of a shared machine: they get more pairs.
BENCHMARK(framePair)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(framePair)->ArgsProduct({{2, 3}, {0, 1, 2}})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

// The ratio of the two frames of each pair, taken pair by pair so that load that changes between
// pairs cancels out.
double medianPairRatio(const std::vector<double>& after, const std::vector<double>& before)
{
    std::vector<double> ratios;
    for (size_t k = 0; k < after.size(); ++k) ratios.push_back(after[k] / before[k]);
    return median(ratios);
}

void printSummary()
{
    std::printf("\nMedian ms per frame at %dx%d (formula 0, threshold 16, home view), pairs, and the median\n"
                "ratio of the two frames of a pair\n", frameWidth, frameHeight);
    for (int view = 0; view < viewCount; ++view) {
        std::printf("%s\n", views[view].name);
        double medians[3][2] = {};
        for (int cap = 0; cap < 3; ++cap) {
            const std::vector<double>* times = frameTimes[view][cap];
            if (times[plainLoop].empty()) continue;
            medians[cap][plainLoop] = median(times[plainLoop]);
            medians[cap][repeatCheck] = median(times[repeatCheck]);
            std::printf("  N %5d: plain loop %9.1f, repeat check %9.1f, pairs %3zu, ratio %.3f\n", caps[cap],
                        medians[cap][plainLoop] * 1e3, medians[cap][repeatCheck] * 1e3, times[plainLoop].size(),
                        medianPairRatio(times[repeatCheck], times[plainLoop]));
        }
        if (medians[0][plainLoop] > 0.0 && medians[2][plainLoop] > 0.0) {
            std::printf("  N 60000 / N 1000: plain loop %.2f, repeat check %.2f\n",
                        medians[2][plainLoop] / medians[0][plainLoop], medians[2][repeatCheck] / medians[0][repeatCheck]);
        }
    }
}

}  // namespace

// The session stage as the renderer sees it. The first stage builds the reference and builds the
// program's own shader inside it, so that both programs live while the benchmarks run.
int runAudioSession(DisplayState& display, ShaderBindings& bindings)
{
    BuiltProgram& built = programs[programsBuilt++];
    built.bindings = bindings;
    glGetIntegerv(GL_CURRENT_PROGRAM, &built.program);
    if (programsBuilt == 1) {
        useReferenceFragmentShader(false);
        return runFractalRenderer(display);
    }
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!openTestWindow(window, frameWidth, frameHeight)) {
        std::fprintf(stderr, "no window with an OpenGL context: %s\n", SDL_GetError());
        return 1;
    }
    useReferenceFragmentShader(true);
    const int code = runFractalRenderer(window.display);
    if (code == 0 && referenceCompilations() == 1) printSummary();
    closeTestWindow(window);
    return code;
}
