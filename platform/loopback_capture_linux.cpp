// Capture of the default sink's monitor through libpulse (PulseAudio, or PipeWire's PulseAudio server).
#include "platform/loopback_capture.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

constexpr uint32_t samplesPerBuffer = loopbackCaptureFrames * loopbackCaptureChannels;
constexpr uint32_t bytesPerFrame = loopbackCaptureChannels * sizeof(float);
constexpr pa_usec_t bufferPeriod = pa_usec_t(loopbackCaptureFrames) * PA_USEC_PER_SEC / loopbackCaptureRate;
// Without sound for this long the capture counts as stalled and silence takes its place.
constexpr pa_usec_t stallLimit = 100 * PA_USEC_PER_MSEC;
constexpr pa_usec_t reconnectInterval = PA_USEC_PER_SEC;
constexpr pa_usec_t openTimeout = 5 * PA_USEC_PER_SEC;
constexpr size_t nameCapacity = 256;

enum class Phase { connecting, ready, failed };

// Everything but the device name belongs to the client library's thread, or to the main thread
// while it holds the main loop's lock.
struct PulseLoopback {
    pa_threaded_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* clock = nullptr;
    LoopbackBufferHandler handler = nullptr;
    void* user = nullptr;
    Phase phase = Phase::connecting;
    bool broken = false;  // the connection failed; the clock drops it outside the library's callbacks
    char sinkName[nameCapacity] = {};  // the sink whose monitor is recorded
    float pending[samplesPerBuffer] = {};
    uint32_t pendingFrames = 0;
    pa_usec_t lastBufferTime = 0;  // when the analysis last received a buffer, sound or silence
    pa_usec_t nextReconnect = 0;
};

PulseLoopback loopback;
std::mutex nameLock;
char deviceName[nameCapacity] = {};

void copyName(char* target, const char* source)
{
    std::snprintf(target, nameCapacity, "%s", source != nullptr ? source : "");
}

void publishDeviceName(const char* name)
{
    std::lock_guard<std::mutex> hold(nameLock);
    copyName(deviceName, name);
}

void deliverBuffer(const float* frames)
{
    loopback.handler(frames, loopbackCaptureFrames, loopback.user);
    loopback.lastBufferTime = pa_rtclock_now();
}

// Gathers frames into whole 1024-frame buffers; null data is a hole in the stream and reads as zeros.
void gatherFrames(const float* data, uint32_t frames)
{
    while (frames > 0) {
        const uint32_t room = loopbackCaptureFrames - loopback.pendingFrames;
        const uint32_t taken = std::min(room, frames);
        float* target = loopback.pending + loopback.pendingFrames * loopbackCaptureChannels;
        if (data != nullptr) {
            std::memcpy(target, data, taken * bytesPerFrame);
            data += taken * loopbackCaptureChannels;
        } else {
            std::fill(target, target + taken * loopbackCaptureChannels, 0.0f);
        }
        loopback.pendingFrames += taken;
        frames -= taken;
        if (loopback.pendingFrames == loopbackCaptureFrames) {
            deliverBuffer(loopback.pending);
            loopback.pendingFrames = 0;
        }
    }
}

void onStreamReadable(pa_stream* stream, size_t, void*)
{
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
        if (bytes == 0) break;
        gatherFrames(static_cast<const float*>(data), uint32_t(bytes / bytesPerFrame));
        pa_stream_drop(stream);
    }
}

void dropStream()
{
    if (loopback.stream == nullptr) return;
    pa_stream_set_read_callback(loopback.stream, nullptr, nullptr);
    pa_stream_set_state_callback(loopback.stream, nullptr, nullptr);
    pa_stream_disconnect(loopback.stream);
    pa_stream_unref(loopback.stream);
    loopback.stream = nullptr;
    loopback.pendingFrames = 0;
}

void dropContext()
{
    dropStream();
    if (loopback.context == nullptr) return;
    pa_context_set_state_callback(loopback.context, nullptr, nullptr);
    pa_context_set_subscribe_callback(loopback.context, nullptr, nullptr);
    pa_context_disconnect(loopback.context);
    pa_context_unref(loopback.context);
    loopback.context = nullptr;
    loopback.sinkName[0] = '\0';
}

// Marks the connection for the clock to drop and make anew, so nothing is released inside a
// callback of the object being released.
void failCapture()
{
    loopback.phase = Phase::failed;
    loopback.broken = true;
}

void onStreamState(pa_stream* stream, void*)
{
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        loopback.phase = Phase::ready;
    } else if (state == PA_STREAM_FAILED) {
        // The monitored sink went away: a fresh connection finds the new default.
        failCapture();
    }
}

// Records the monitor of the given sink; the stream fails rather than being moved elsewhere, so that
// the capture never drifts onto a microphone.
void recordMonitorOf(const pa_sink_info& sink)
{
    dropStream();
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE, loopbackCaptureRate, loopbackCaptureChannels};
    loopback.stream = pa_stream_new(loopback.context, "Quasarine speakers", &sampleFormat, nullptr);
    if (loopback.stream == nullptr) {
        failCapture();
        return;
    }
    pa_buffer_attr attributes{};
    attributes.maxlength = uint32_t(-1);
    attributes.fragsize = loopbackCaptureFrames * bytesPerFrame;
    pa_stream_set_state_callback(loopback.stream, onStreamState, nullptr);
    pa_stream_set_read_callback(loopback.stream, onStreamReadable, nullptr);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(loopback.stream, sink.monitor_source_name, &attributes, flags) < 0) {
        failCapture();
        return;
    }
    copyName(loopback.sinkName, sink.name);
    publishDeviceName(sink.description);
}

void onSinkInfo(pa_context*, const pa_sink_info* sink, int eol, void*)
{
    if (eol < 0) {
        failCapture();
    } else if (sink != nullptr) {
        recordMonitorOf(*sink);
    }
}

// A default sink other than the recorded one moves the capture there.
void onServerInfo(pa_context* context, const pa_server_info* server, void*)
{
    if (server == nullptr || server->default_sink_name == nullptr) {
        failCapture();
        return;
    }
    if (std::strcmp(server->default_sink_name, loopback.sinkName) == 0 && loopback.stream != nullptr) {
        return;
    }
    pa_operation* lookup = pa_context_get_sink_info_by_name(context, server->default_sink_name, onSinkInfo, nullptr);
    if (lookup != nullptr) pa_operation_unref(lookup);
}

void lookUpDefaultSink(pa_context* context)
{
    pa_operation* lookup = pa_context_get_server_info(context, onServerInfo, nullptr);
    if (lookup != nullptr) pa_operation_unref(lookup);
}

void onServerEvent(pa_context* context, pa_subscription_event_type_t event, uint32_t, void*)
{
    if ((event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER) {
        lookUpDefaultSink(context);
    }
}

void onContextState(pa_context* context, void*)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        pa_context_set_subscribe_callback(context, onServerEvent, nullptr);
        pa_operation* subscription = pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr);
        if (subscription != nullptr) pa_operation_unref(subscription);
        lookUpDefaultSink(context);
    } else if (state == PA_CONTEXT_FAILED) {
        failCapture();
    }
}

// Starts talking to the server; the rest follows in the callbacks. No server is started for us.
bool connectToServer()
{
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loopback.mainloop);
    loopback.context = pa_context_new(api, "Quasarine");
    if (loopback.context == nullptr) return false;
    loopback.phase = Phase::connecting;
    loopback.broken = false;
    pa_context_set_state_callback(loopback.context, onContextState, nullptr);
    if (pa_context_connect(loopback.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        failCapture();
        return false;
    }
    return true;
}

// The main loop's timers run on the wall clock; the pace is measured on the monotonic one.
const struct timeval* tickTime(pa_usec_t fromNow)
{
    static struct timeval when;
    pa_gettimeofday(&when);
    return pa_timeval_add(&when, fromNow);
}

// Ticks once a buffer period: stands in silence for a stalled capture and reconnects a lost one.
void onClockTick(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void*)
{
    const pa_usec_t now = pa_rtclock_now();
    if (now - loopback.lastBufferTime >= stallLimit) {
        static const float silence[samplesPerBuffer] = {};
        deliverBuffer(silence);
    }
    if (loopback.broken) {
        dropContext();
        loopback.broken = false;
    }
    if (loopback.context == nullptr && now >= loopback.nextReconnect) {
        loopback.nextReconnect = now + reconnectInterval;
        connectToServer();
    }
    api->time_restart(event, tickTime(bufferPeriod));
}

void startClock()
{
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loopback.mainloop);
    loopback.lastBufferTime = pa_rtclock_now();
    loopback.nextReconnect = loopback.lastBufferTime + reconnectInterval;
    loopback.clock = api->time_new(api, tickTime(bufferPeriod), onClockTick, nullptr);
}

// Waits, holding the lock, until the first stream runs or anything on the way fails.
bool waitForFirstStream()
{
    const pa_usec_t deadline = pa_rtclock_now() + openTimeout;
    while (loopback.phase == Phase::connecting && pa_rtclock_now() < deadline) {
        pa_threaded_mainloop_unlock(loopback.mainloop);
        pa_msleep(5);
        pa_threaded_mainloop_lock(loopback.mainloop);
    }
    return loopback.phase == Phase::ready;
}

}  // namespace

bool startLoopbackCapture(LoopbackBufferHandler handler, void* user)
{
    stopLoopbackCapture();
    loopback.handler = handler;
    loopback.user = user;
    loopback.mainloop = pa_threaded_mainloop_new();
    if (loopback.mainloop == nullptr || pa_threaded_mainloop_start(loopback.mainloop) < 0) {
        stopLoopbackCapture();
        return false;
    }
    pa_threaded_mainloop_lock(loopback.mainloop);
    const bool running = connectToServer() && waitForFirstStream();
    if (running) startClock();
    pa_threaded_mainloop_unlock(loopback.mainloop);
    if (!running) stopLoopbackCapture();
    return running;
}

void stopLoopbackCapture()
{
    if (loopback.mainloop != nullptr) {
        pa_threaded_mainloop_lock(loopback.mainloop);
        if (loopback.clock != nullptr) {
            pa_threaded_mainloop_get_api(loopback.mainloop)->time_free(loopback.clock);
            loopback.clock = nullptr;
        }
        dropContext();
        pa_threaded_mainloop_unlock(loopback.mainloop);
        pa_threaded_mainloop_stop(loopback.mainloop);
        pa_threaded_mainloop_free(loopback.mainloop);
        loopback.mainloop = nullptr;
    }
    loopback.handler = nullptr;
    loopback.user = nullptr;
    loopback.phase = Phase::connecting;
    loopback.broken = false;
    publishDeviceName("");
}

void loopbackCaptureDeviceName(char* name, size_t capacity)
{
    if (capacity == 0) return;
    std::lock_guard<std::mutex> hold(nameLock);
    std::snprintf(name, capacity, "%s", deviceName);
}
