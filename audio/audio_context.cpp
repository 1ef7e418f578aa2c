// The AudioContext's set-up and reset, and the two PortAudio callbacks that feed the analysis.
#include "audio/audio_context.h"

#include <algorithm>
#include <cmath>

#include "audio/spectrum_analysis.h"

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// Captured samples beyond this magnitude are clamped and non-finite ones count as zero, so a faulty
// device cannot push infinities or NaN into the statistics; real sound stays far below it.
constexpr float capturedSampleLimit = 4.0f;

float* windowFloatsOf(AudioContext& context)
{
    // kiss_fft_cpx is two floats, real then imaginary, so the window reads as 2048 floats.
    return reinterpret_cast<float*>(context.sampleWindow);
}

// Clears every analysis value that the main thread can see; the window and the spectrum are left to
// the audio thread, which owns them.
void clearSharedAnalysis(AudioContext& context)
{
    for (int b = 0; b < bandCountFixed; ++b) {
        context.results.bandLevels[b].store(0.0f, relaxed);
        context.results.bandMeans[b].store(0.0f, relaxed);
        context.results.bandDeviations[b].store(0.0f, relaxed);
        context.results.bandPeaks[b].store(0.0f, relaxed);
    }
    for (auto& entry : context.results.levelHistory) entry.store(0.0f, relaxed);
    context.results.overallMean.store(0.0f, relaxed);
    context.results.historyIndex.store(0, relaxed);
    context.results.beatCount.store(0, relaxed);
    context.streams.demoPosition.store(0, relaxed);
    context.results.beatArmed.store(true, relaxed);
    context.results.historyFull.store(false, relaxed);
    context.results.silent.store(true, relaxed);
}

void clearOwnedBuffers(AudioContext& context)
{
    std::fill(context.sampleWindow, context.sampleWindow + windowFrames, kiss_fft_cpx{0.0f, 0.0f});
    std::fill(context.spectrum, context.spectrum + windowFrames, kiss_fft_cpx{0.0f, 0.0f});
}

// Runs on the audio thread before a buffer is copied in. A reset requested since the last buffer is
// applied here in full, so the buffer starts from a clean state even when the request raced with the
// previous callback (whose results may have landed after the main thread's clearing).
void applyPendingReset(AudioContext& context)
{
    const uint32_t requested = context.resetRequests.load(relaxed);
    if (requested == context.resetsApplied) return;
    context.resetsApplied = requested;
    clearSharedAnalysis(context);
    clearOwnedBuffers(context);
}

float admittedSample(float sample)
{
    if (std::isnan(sample)) return 0.0f;
    return std::clamp(sample, -capturedSampleLimit, capturedSampleLimit);
}

unsigned long framesThatFit(unsigned long frameCount)
{
    return std::min<unsigned long>(frameCount, windowFrames);
}

}  // namespace

uint32_t floatsPerFrame(const AudioContext& context)
{
    return context.streams.channelCount.load(relaxed) == 2 ? 2 : 1;
}

void prepareAudioContext(AudioContext& context, kiss_fft_cfg fftConfig)
{
    context.fftConfig = fftConfig;
    clearSharedAnalysis(context);
    clearOwnedBuffers(context);
    fillBandBins(context.bandBins);
    context.streams.channelCount.store(2, relaxed);
    context.streams.playbackMuted.store(false, relaxed);
    context.streams.demoSamples = demoTrackSamples();
    context.streams.demoLength = demoTrackFrames;
    context.resetRequests.store(0, relaxed);
    context.resetsApplied = 0;
}

void resetAnalysis(AudioContext& context)
{
    clearSharedAnalysis(context);
    context.resetRequests.fetch_add(1, relaxed);
}

int onCaptureBuffer(const void* input, void*, unsigned long frameCount,
                    const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData)
{
    if (input == nullptr || userData == nullptr) return paComplete;
    AudioContext& context = *static_cast<AudioContext*>(userData);
    applyPendingReset(context);
    // A mono stream packs its samples into the first half of the window; the rest keeps its contents.
    const unsigned long frames = framesThatFit(frameCount);
    const unsigned long count = frames * floatsPerFrame(context);
    const float* samples = static_cast<const float*>(input);
    float* window = windowFloatsOf(context);
    for (unsigned long i = 0; i < count; ++i) window[i] = admittedSample(samples[i]);
    analyseBuffer(static_cast<unsigned int>(frames), &context);
    return paContinue;
}

int onPlaybackBuffer(const void*, void* output, unsigned long frameCount,
                     const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData)
{
    if (output == nullptr || userData == nullptr) return paComplete;
    AudioContext& context = *static_cast<AudioContext*>(userData);
    if (context.streams.demoSamples == nullptr || context.streams.demoLength == 0) return paComplete;
    applyPendingReset(context);
    const uint32_t channels = floatsPerFrame(context);
    const uint32_t position = context.streams.demoPosition.load(relaxed);
    float* out = static_cast<float*>(output);
    float* window = windowFloatsOf(context);
    for (unsigned long i = 0; i < frameCount; ++i) {
        const uint32_t frame = static_cast<uint32_t>((position + i) % context.streams.demoLength);
        for (uint32_t c = 0; c < channels; ++c) {
            const float sample = context.streams.demoSamples[2 * frame + c];
            // Frames past the window's capacity are still played, just not analysed.
            if (i < windowFrames) window[i * channels + c] = sample;
            out[i * channels + c] = context.streams.playbackMuted.load(relaxed) ? 0.0f : sample;
        }
    }
    context.streams.demoPosition.store(static_cast<uint32_t>((position + frameCount) % context.streams.demoLength),
                               relaxed);
    analyseBuffer(static_cast<unsigned int>(framesThatFit(frameCount)), &context);
    return paContinue;
}

namespace {

// Fills the window's first frames with the ring's stereo frames and the rest with silence; a
// one-channel stream gets the mean of both sides packed into the window's first half.
void takeSongWindow(AudioContext& context, SongRing& ring, unsigned long frames, uint32_t channels)
{
    float* window = windowFloatsOf(context);
    const bool paused = ring.paused.load(relaxed);
    const uint32_t taken = paused ? 0 : takeSongFrames(ring, window, static_cast<uint32_t>(frames));
    if (!paused && taken < frames && !ring.inputEnded.load(relaxed)) {
        ring.shortBuffers.fetch_add(1, relaxed);
    }
    std::fill(window + 2 * taken, window + 2 * windowFrames, 0.0f);
    if (channels == 2) return;
    for (unsigned long i = 0; i < frames; ++i) window[i] = 0.5f * (window[2 * i] + window[2 * i + 1]);
    std::fill(window + frames, window + 2 * windowFrames, 0.0f);
}

}  // namespace

int onSongBuffer(const void*, void* output, unsigned long frameCount,
                 const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* userData)
{
    if (output == nullptr || userData == nullptr) return paComplete;
    AudioContext& context = *static_cast<AudioContext*>(userData);
    if (context.streams.songRing == nullptr) return paComplete;
    applyPendingReset(context);
    const uint32_t channels = floatsPerFrame(context);
    const unsigned long frames = framesThatFit(frameCount);
    takeSongWindow(context, *context.streams.songRing, frames, channels);
    const bool muted = context.streams.playbackMuted.load(relaxed);
    const float* window = windowFloatsOf(context);
    float* out = static_cast<float*>(output);
    for (unsigned long i = 0; i < frameCount * channels; ++i) {
        out[i] = muted || i >= frames * channels ? 0.0f : window[i];
    }
    analyseBuffer(static_cast<unsigned int>(frames), &context);
    return paContinue;
}
