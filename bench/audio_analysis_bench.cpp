// Benchmark of the per-buffer audio analysis, reported in CPU time per buffer, as a ratio to the bare
// FFT and as a share of the buffer period.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cmath>
#include <cstdlib>

#include "audio/audio_context.h"
#include "audio/spectrum_analysis.h"

namespace {

constexpr double bufferPeriodSeconds = 1024.0 / 44100.0;

// Thread CPU time, so that other work on a shared machine does not inflate the figures.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Measured by the FFT benchmark, which runs first, for the ratios of the ones after it.
double bareFftSeconds = 0.0;

// Stereo material with content in every band, so no branch of the analysis is skipped.
void fillWindow(float* floats, int floatCount)
{
    for (int i = 0; i < floatCount; ++i) {
        const double t = (i / 2) / 44100.0;
        floats[i] = float(0.4 * std::sin(6.2831853 * 55.0 * t) + 0.2 * std::sin(6.2831853 * 880.0 * t + i % 2) +
                          0.1 * std::sin(6.2831853 * 9000.0 * t));
    }
}

void reportPerBuffer(benchmark::State& state, double elapsedSeconds, bool againstFft)
{
    const double perBuffer = elapsedSeconds / double(state.iterations());
    state.counters["us_per_buffer"] = perBuffer * 1e6;
    state.counters["share_of_period"] = perBuffer / bufferPeriodSeconds;
    if (againstFft && bareFftSeconds > 0.0) state.counters["x_bare_fft"] = perBuffer / bareFftSeconds;
}

void BM_BareKissFft1024(benchmark::State& state)
{
    kiss_fft_cfg config = kiss_fft_alloc(windowFrames, 0, nullptr, nullptr);
    static kiss_fft_cpx input[windowFrames];
    static kiss_fft_cpx output[windowFrames];
    fillWindow(reinterpret_cast<float*>(input), 2 * windowFrames);
    const double start = threadSeconds();
    for (auto _ : state) {
        kiss_fft(config, input, output);
        benchmark::DoNotOptimize(output);
        benchmark::ClobberMemory();
    }
    const double elapsed = threadSeconds() - start;
    bareFftSeconds = elapsed / double(state.iterations());
    reportPerBuffer(state, elapsed, false);
    free(config);
}

// The whole analysis of one buffer with a full history: transform, bands, statistics, beat, silence.
void BM_AnalyseBuffer(benchmark::State& state)
{
    static AudioContext context;
    prepareAudioContext(context, kiss_fft_alloc(windowFrames, 0, nullptr, nullptr));
    fillWindow(reinterpret_cast<float*>(context.sampleWindow), 2 * windowFrames);
    for (int n = 0; n < historyLengthFixed; ++n) analyseBuffer(windowFrames, &context);
    const double start = threadSeconds();
    for (auto _ : state) {
        analyseBuffer(windowFrames, &context);
        benchmark::DoNotOptimize(context.results.bandLevels[0]);
        benchmark::ClobberMemory();
    }
    reportPerBuffer(state, threadSeconds() - start, true);
    free(context.fftConfig);
    context.fftConfig = nullptr;
}

// What the audio thread spends per captured buffer: the checked copy into the window plus the analysis.
void BM_CaptureCallback(benchmark::State& state)
{
    static AudioContext context;
    static float input[2 * windowFrames];
    prepareAudioContext(context, kiss_fft_alloc(windowFrames, 0, nullptr, nullptr));
    fillWindow(input, 2 * windowFrames);
    const double start = threadSeconds();
    for (auto _ : state) {
        onCaptureBuffer(input, nullptr, windowFrames, nullptr, 0, &context);
        benchmark::ClobberMemory();
    }
    reportPerBuffer(state, threadSeconds() - start, true);
    free(context.fftConfig);
    context.fftConfig = nullptr;
}

}  // namespace

BENCHMARK(BM_BareKissFft1024);
BENCHMARK(BM_AnalyseBuffer);
BENCHMARK(BM_CaptureCallback);
BENCHMARK_MAIN();
