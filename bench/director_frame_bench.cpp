// Benchmark of one updateAnimation frame, without a morph and with the morph guard on a bounded
// constant of a cubic preset (a budget of 1000000 steps), against the 16.7 ms of a 60 Hz frame.
#include <benchmark/benchmark.h>

#include <time.h>

#include <memory>

#include "render/plane_mapping.h"
#include "director/animation_director.h"

extern uint32_t benchTicks;

namespace {

struct FrameScene {
    AnimationState animation;
    FractalParams params;
    SessionState session;
    DisplayState display;
    AnalysisResults audio;
};

// A scene after its first frame, with sound in every band and a steady clock.
std::unique_ptr<FrameScene> soundingScene()
{
    auto scene = std::make_unique<FrameScene>();
    for (int b = 0; b < bandCountFixed; ++b) {
        scene->audio.bandLevels[b].store(10.0f + b);
        scene->audio.bandPeaks[b].store(20.0f);
    }
    scene->audio.silent.store(false);
    scene->display.drawableWidth = 1920;
    scene->display.drawableHeight = 1080;
    benchTicks = 100;
    initAnimation(scene->animation, scene->params, benchTicks);
    updateAnimation(scene->animation, scene->params, scene->session, scene->display, scene->audio);
    return scene;
}

// Processor seconds of this thread, so that other work on the machine does not count.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void reportFrame(benchmark::State& state, double seconds)
{
    const double perFrame = seconds / static_cast<double>(state.iterations());
    state.counters["us_per_frame"] = perFrame * 1e6;
    state.counters["share_of_60Hz"] = perFrame * 60.0;
}

void frameWithoutGuard(benchmark::State& state)
{
    auto scene = soundingScene();
    const double start = threadSeconds();
    for (auto _ : state) {
        updateAnimation(scene->animation, scene->params, scene->session, scene->display, scene->audio);
        benchmark::DoNotOptimize(scene->params);
    }
    reportFrame(state, threadSeconds() - start);
}

// Preset 12 (z^3) blended a tenth of the way toward preset 0 stays bounded; the clock stands still
// so every frame sees that same constant. Its orbit falls into a cycle, which the guard finds long
// before the budget ends.
void frameWithBoundedGuard(benchmark::State& state)
{
    auto scene = soundingScene();
    scene->animation.presetIndex = 12;
    scene->animation.nextPresetIndex = 0;
    scene->animation.morphing = true;
    scene->animation.morphStartTicks = benchTicks - 150;
    scene->animation.morphEndTicks = benchTicks + 1350;
    updateAnimation(scene->animation, scene->params, scene->session, scene->display, scene->audio);
    if (pointEscapes(scene->params.c, scene->animation.iterationCeiling, scene->params.fractalmode)) {
        state.SkipWithError("the morph's constant escapes");
        return;
    }
    const double start = threadSeconds();
    for (auto _ : state) {
        updateAnimation(scene->animation, scene->params, scene->session, scene->display, scene->audio);
        benchmark::DoNotOptimize(scene->params);
    }
    reportFrame(state, threadSeconds() - start);
}

BENCHMARK(frameWithoutGuard)->Unit(benchmark::kMicrosecond);
BENCHMARK(frameWithBoundedGuard)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
