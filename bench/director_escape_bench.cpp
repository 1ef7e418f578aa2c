// Benchmark of pointEscapes at its worst case, a bounded orbit over the whole budget, for each
// formula, against a bare float loop of the same formula.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>

#include "render/plane_mapping.h"
#include "session/animation_state.h"

namespace {

// A constant whose orbit of 0 stays bounded under each formula (checked before timing).
const Vec2 boundedConstant[8] = {
    {-1.0f, 0.25f}, {-0.5f, 0.25f}, {-1.0f, 0.125f}, {-1.0f, 0.125f},
    {-1.0f, 0.25f}, {-1.0f, 0.125f}, {-1.0f, 0.25f}, {-0.625f, 0.25f},
};

struct Pair {
    float x;
    float y;
};

Pair mul(Pair a, Pair b)
{
    return {a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x};
}

Pair expOf(Pair q)
{
    const float m = std::exp(q.x);
    return {m * std::cos(q.y), m * std::sin(q.y)};
}

// The same formulas written plainly in float arithmetic with the float library functions, without
// the double-precision rules of the program's version.
Pair bareStep(Pair z, int formula)
{
    const Pair q = mul(z, z);
    switch (formula) {
    case 0: return q;
    case 1: return mul(q, z);
    case 2: return mul(q, q);
    case 3: return expOf(q);
    case 4: return expOf(mul(q, z));
    case 5: return expOf(mul(q, q));
    case 6: {
        const Pair up = expOf(q);
        const Pair down = expOf({-q.x, -q.y});
        return {0.5f * (up.x + down.x), 0.5f * (up.y + down.y)};
    }
    default: {
        const Pair up = expOf(q);
        const Pair down = expOf({-q.x, -q.y});
        return {0.5f * (up.x - down.x), 0.5f * (up.y - down.y)};
    }
    }
}

bool bareEscapes(Pair p, int count, int formula)
{
    Pair z{0.0f, 0.0f};
    for (int i = 0; i < count; ++i) {
        if (z.x * z.x + z.y * z.y > 1e8f) {
            return true;
        }
        const Pair w = bareStep(z, formula);
        z = {w.x + p.x, w.y + p.y};
    }
    return false;
}

// Processor seconds of this thread, so that other work on the machine does not count.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Seconds per run of the bare loop, timed by hand alongside the framework's timing.
double bareSeconds(int formula, int budget, int64_t runs)
{
    const Pair p{boundedConstant[formula].x, boundedConstant[formula].y};
    const double start = threadSeconds();
    for (int64_t r = 0; r < runs; ++r) {
        benchmark::DoNotOptimize(bareEscapes(p, budget, formula));
    }
    return (threadSeconds() - start) / static_cast<double>(runs);
}

void pointEscapesBounded(benchmark::State& state)
{
    const int formula = static_cast<int>(state.range(0));
    const int budget = iterationCeilingFor(formula);
    const Vec2 p = boundedConstant[formula];
    if (pointEscapes(p, budget, formula)) {
        state.SkipWithError("the constant escapes: not the worst case");
        return;
    }
    const double start = threadSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(pointEscapes(p, budget, formula));
    }
    const double perRun = (threadSeconds() - start) / static_cast<double>(state.iterations());
    const double bare = bareSeconds(formula, budget, state.iterations());
    state.counters["steps"] = budget;
    state.counters["ns_per_step"] = perRun * 1e9 / budget;
    state.counters["bare_ns_per_step"] = bare * 1e9 / budget;
    state.counters["ratio_to_bare"] = perRun / bare;
    state.counters["share_of_60Hz"] = perRun * 60.0;
}

BENCHMARK(pointEscapesBounded)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->MinTime(0.5);

}  // namespace
