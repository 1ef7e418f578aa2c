// Benchmarks of pointEscapes, the morph guard's escape test: its worst case, a bounded orbit that never
// repeats exactly and so runs the whole budget, against the plain loop without the repeat check and a
// bare float loop; and the guard's worst case over the presets and bounded constants that fall into a
// cycle, against the plain loop.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "render/plane_mapping.h"
#include "director/presets.h"
#include "state/animation_state.h"
#include "tests/plane/plain_escape.h"

namespace {

// A constant whose orbit of 0 stays bounded under each formula without returning to an earlier
// iterate exactly within the formula's ceiling (checked before timing): for the polynomials the
// centre of a Siegel disk (a fixed point rotating by the golden mean), for the others constants found
// by search.
const Vec2 neverRepeating[8] = {
    {-0.39054087f, -0.586787907f}, {0.381803185f, -0.623262763f}, {0.101249792f, 0.746802807f},
    {-0.403485775f, 0.307565212f}, {1.0884285f, 0.711112022f},     {-0.270682812f, 0.240070343f},
    {-0.357382774f, -0.0185017586f}, {0.384482622f, 0.201949239f},
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

// Seconds per run of test(p, budget, formula), timed by hand alongside the framework's timing.
template <typename Test>
double secondsPerRun(Test test, Vec2 p, int budget, int formula, int64_t runs)
{
    const double start = threadSeconds();
    for (int64_t r = 0; r < runs; ++r) {
        benchmark::DoNotOptimize(test(p, budget, formula));
    }
    return (threadSeconds() - start) / static_cast<double>(runs);
}

bool bareTest(Vec2 p, int budget, int formula)
{
    return bareEscapes({p.x, p.y}, budget, formula);
}

// Whether the orbit of 0 returns to an earlier iterate within the given steps, found by remembering
// the bit patterns of all of them rather than by the escape test's own scheme.
bool repeatsWithin(Vec2 p, int steps, int formula)
{
    return orbit::forFormula(formula, [=](auto f) {
        std::unordered_set<uint64_t> seen;
        orbit::Complex z{0.0f, 0.0f};
        for (int i = 0; i <= steps; ++i) {
            // Adding zero turns -0 into +0, which compare equal and so count as one value.
            const orbit::Complex plain{z.x + 0.0f, z.y + 0.0f};
            uint64_t bits = 0;
            std::memcpy(&bits, &plain, sizeof plain);
            if (!seen.insert(bits).second) return true;
            z = orbit::step<decltype(f)::value>(z, p);
        }
        return false;
    });
}

// The repeat check adds a comparison per step to orbits that never repeat; this is its price.
void pointEscapesNeverRepeating(benchmark::State& state)
{
    const int formula = static_cast<int>(state.range(0));
    const int budget = iterationCeilingFor(formula);
    const Vec2 p = neverRepeating[formula];
    if (pointEscapes(p, budget, formula) || repeatsWithin(p, budget, formula)) {
        state.SkipWithError("the orbit escapes or repeats: not the worst case");
        return;
    }
    // The three loops take turns within each iteration, so that a change in the machine's load or
    // clock between iterations falls on all of them alike.
    double checked = 0.0;
    double plain = 0.0;
    double bare = 0.0;
    for (auto _ : state) {
        checked += secondsPerRun(pointEscapes, p, budget, formula, 1);
        plain += secondsPerRun(plainPointEscapes, p, budget, formula, 1);
        bare += secondsPerRun(bareTest, p, budget, formula, 1);
    }
    const double runs = static_cast<double>(state.iterations());
    const double perRun = checked / runs;
    plain /= runs;
    bare /= runs;
    state.counters["steps"] = budget;
    state.counters["ns_per_step"] = perRun * 1e9 / budget;
    state.counters["plain_ns_per_step"] = plain * 1e9 / budget;
    state.counters["bare_ns_per_step"] = bare * 1e9 / budget;
    state.counters["ratio_to_plain"] = perRun / plain;
    state.counters["ratio_to_bare"] = perRun / bare;
    state.counters["share_of_60Hz"] = perRun * 60.0;
}

BENCHMARK(pointEscapesNeverRepeating)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->MinTime(1.5);

// Bounded constants of each formula whose orbits fall into a cycle: the first stays bounded easily,
// the other two are among the slowest to settle into their cycle on a grid over the formula's set.
const Vec2 cyclingConstants[8][3] = {
    {{-1.0f, 0.25f}, {-0.75f, 0.0f}, {-0.102f, 0.648f}},
    {{-0.5f, 0.25f}, {0.544f, 0.286f}, {-0.544f, -0.26f}},
    {{-1.0f, 0.125f}, {0.118f, 0.748f}, {-0.365f, -0.462f}},
    {{-1.0f, 0.125f}, {-1.44f, 0.66f}, {-1.8f, -2.28f}},
    {{-1.0f, 0.25f}, {-0.06f, 0.96f}, {-0.84f, 0.78f}},
    {{-1.0f, 0.125f}, {-0.42f, 0.6f}, {-0.78f, -0.9f}},
    {{-1.0f, 0.25f}, {-0.808f, -0.936f}, {-0.276f, -0.684f}},
    {{-0.625f, 0.25f}, {-1.08f, 0.018f}, {-1.02f, 0.075f}},
};

// The presets of the formula's group followed by its cycling constants.
std::vector<Vec2> guardConstants(int formula)
{
    std::vector<Vec2> constants;
    for (int index = 0; index < presetCount; ++index) {
        if (presetFormula(index) == formula) constants.push_back(presetTable[index].c);
    }
    constants.insert(constants.end(), cyclingConstants[formula], cyclingConstants[formula] + 3);
    return constants;
}

// Mean seconds of one guard call at the ceiling for each constant; each runs enough times to span
// about 20 ms.
template <typename Test>
std::vector<double> secondsPerConstant(Test test, const std::vector<Vec2>& constants, int formula)
{
    const int budget = iterationCeilingFor(formula);
    std::vector<double> seconds;
    for (Vec2 p : constants) {
        const double once = secondsPerRun(test, p, budget, formula, 1);
        const int64_t runs = 1 + static_cast<int64_t>(0.02 / (once + 1e-7));
        seconds.push_back(secondsPerRun(test, p, budget, formula, runs));
    }
    return seconds;
}

double slowest(const std::vector<double>& seconds)
{
    return *std::max_element(seconds.begin(), seconds.end());
}

// The guard as the director calls it, at the group's ceiling, before (plain loop) and after the
// repeat check, over the group's presets (which escape) and its cycling constants.
void guardWorstCase(benchmark::State& state)
{
    const int formula = static_cast<int>(state.range(0));
    const std::vector<Vec2> constants = guardConstants(formula);
    // A cycle entered and closed within a third of the budget is found by the doubling saves
    // before the budget ends.
    const int budget = iterationCeilingFor(formula);
    for (Vec2 p : cyclingConstants[formula]) {
        if (plainPointEscapes(p, budget, formula) || !repeatsWithin(p, budget / 3, formula)) {
            state.SkipWithError("a cycling constant escapes or repeats too late");
            return;
        }
    }
    std::vector<double> after;
    std::vector<double> before;
    for (auto _ : state) {
        after = secondsPerConstant(pointEscapes, constants, formula);
        before = secondsPerConstant(plainPointEscapes, constants, formula);
    }
    const size_t presets = constants.size() - 3;
    const std::vector<double> presetsAfter(after.begin(), after.begin() + presets);
    state.counters["before_ms"] = slowest(before) * 1e3;
    state.counters["after_ms"] = slowest(after) * 1e3;
    state.counters["presets_after_ms"] = slowest(presetsAfter) * 1e3;
    for (size_t k = 0; k < 3; ++k) {
        state.counters["cycling" + std::to_string(k) + "_after_ms"] = after[presets + k] * 1e3;
    }
}

BENCHMARK(guardWorstCase)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
