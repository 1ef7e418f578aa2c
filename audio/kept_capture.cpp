// A capture stream that is watched, replaced by silence while its device is gone, and opened again.
#include "audio/kept_capture.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/started_stream.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr Clock::duration bufferPeriod =
    std::chrono::microseconds(int64_t(windowFrames) * 1000000 / 44100);
// A live stream is looked at this often; a lost one is fed every buffer period.
constexpr Clock::duration watchInterval = std::chrono::milliseconds(250);
// A fresh stream through ALSA's PulseAudio plug-in pauses for up to about two seconds after its first
// buffers; only a longer silence from a stream that still reports itself active counts as a stall.
constexpr Clock::duration stallLimit = std::chrono::milliseconds(3000);
constexpr Clock::duration reopenInterval = std::chrono::seconds(1);
// Silence owed for longer than this is dropped rather than delivered in a burst.
constexpr int silenceBacklogLimit = 4;

// Everything but the counters is touched only while holding the lock.
struct KeptCapture {
    PaStream* stream = nullptr;
    PaStreamParameters input{};
    AudioContext* context = nullptr;
    std::thread watcher;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    std::atomic<bool> lost{false};
    std::atomic<uint32_t> buffers{0};  // buffers the stream has delivered
    uint32_t buffersSeen = 0;
    Clock::time_point lastDelivery;  // when the watcher last saw the count move
    Clock::time_point silenceDue;
    Clock::time_point nextReopen;
};

KeptCapture kept;

int onKeptCaptureBuffer(const void* input, void* output, unsigned long frameCount,
                        const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags,
                        void* userData)
{
    kept.buffers.fetch_add(1, std::memory_order_relaxed);
    return onCaptureBuffer(input, output, frameCount, timeInfo, statusFlags, userData);
}

bool startStream(AudioContext& context)
{
    return openStartedStream(kept.stream, &kept.input, nullptr, onKeptCaptureBuffer, context);
}

void markDelivering(Clock::time_point now)
{
    kept.buffersSeen = kept.buffers.load(std::memory_order_relaxed);
    kept.lastDelivery = now;
}

// A stream whose thread ended on an error reports itself inactive; one stuck in a device that no
// longer answers stops counting buffers. Closing it ends its callbacks for good, so the watcher can
// feed the analysis itself. The analysis is not reset: the silence fades it as a quiet room would.
void dropStreamIfDead(Clock::time_point now)
{
    const uint32_t count = kept.buffers.load(std::memory_order_relaxed);
    if (count != kept.buffersSeen) markDelivering(now);
    if (Pa_IsStreamActive(kept.stream) == 1 && now - kept.lastDelivery < stallLimit) return;
    Pa_AbortStream(kept.stream);
    Pa_CloseStream(kept.stream);
    kept.stream = nullptr;
    kept.lost.store(true, std::memory_order_relaxed);
    kept.silenceDue = now;
    kept.nextReopen = now + reopenInterval;
}

void feedOwedSilence(Clock::time_point now)
{
    static const float silence[windowFrames * 2] = {};
    if (now - kept.silenceDue > silenceBacklogLimit * bufferPeriod) kept.silenceDue = now;
    while (kept.silenceDue <= now) {
        onCaptureBuffer(silence, nullptr, windowFrames, nullptr, 0, kept.context);
        kept.silenceDue += bufferPeriod;
    }
}

void reopenWhenDue(Clock::time_point now)
{
    if (now < kept.nextReopen) return;
    kept.nextReopen = now + reopenInterval;
    if (!startStream(*kept.context)) return;
    kept.lost.store(false, std::memory_order_relaxed);
    markDelivering(now);
}

void watchCapture()
{
    std::unique_lock<std::mutex> hold(kept.lock);
    while (!kept.stopping) {
        const bool lost = kept.lost.load(std::memory_order_relaxed);
        const Clock::time_point next = lost ? kept.silenceDue : Clock::now() + watchInterval;
        kept.wake.wait_until(hold, next, [] { return kept.stopping; });
        if (kept.stopping) break;
        const Clock::time_point now = Clock::now();
        if (!kept.lost.load(std::memory_order_relaxed)) dropStreamIfDead(now);
        if (!kept.lost.load(std::memory_order_relaxed)) continue;
        feedOwedSilence(now);
        reopenWhenDue(now);
    }
}

}  // namespace

bool openKeptCapture(const PaStreamParameters& input, AudioContext& context)
{
    closeKeptCapture(context);
    kept.input = input;
    if (!startStream(context)) return false;
    kept.context = &context;
    kept.stopping = false;
    kept.lost.store(false, std::memory_order_relaxed);
    markDelivering(Clock::now());
    kept.watcher = std::thread(watchCapture);
    return true;
}

void closeKeptCapture(AudioContext& context)
{
    if (kept.watcher.joinable()) {
        {
            std::lock_guard<std::mutex> hold(kept.lock);
            kept.stopping = true;
        }
        kept.wake.notify_all();
        kept.watcher.join();
    }
    // A lost capture has no stream left to close, but the analysis it fed is reset all the same.
    if (kept.stream == nullptr && kept.context != nullptr) resetAnalysis(context);
    closeHeldStream(kept.stream, context);
    kept.context = nullptr;
    kept.lost.store(false, std::memory_order_relaxed);
}

bool keptCaptureIsLost()
{
    return kept.lost.load(std::memory_order_relaxed);
}
