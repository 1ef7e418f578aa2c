// Measures the Speakers source against the default recording device: click-to-analysis latency and CPU time per second of audio.
//
// Usage (under scripts/with_services.sh, whose null sink's monitor is the default source):
//   speakers_measure latency [ROUNDS [CLICKS_PER_ROUND]]   markdown table of latencies
//   speakers_measure cpu [SECONDS [REPEATS]]               markdown table of CPU time per second of audio
// QUASARINE_SERVER_PID, when set, adds the sound server's own CPU time to the CPU table.
#include <pulse/pulseaudio.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "audio/audio_context.h"
#include "audio/audio_devices.h"
#include "audio/sound_sources.h"

namespace {

constexpr uint32_t rate = 44100;
constexpr uint32_t channels = 2;
constexpr size_t frameBytes = channels * sizeof(float);
const char* const monitorName = "quasarine_sink.monitor";

// The click: 5 ms of a 2 kHz tone at 0.8, then 400-600 ms of silence so the analysis falls quiet.
constexpr double clickHz = 2000.0;
constexpr float clickAmplitude = 0.8f;
constexpr uint32_t clickFrames = rate * 5 / 1000;
constexpr uint32_t shortestGap = rate * 400 / 1000;
constexpr uint32_t longestGap = rate * 600 / 1000;

// The reference stream's fragment: small, so that an onset is timed to about a millisecond and a half.
constexpr uint32_t referenceFragmentFrames = 64;
// A sample above this after this many quiet frames is a click's onset in the reference stream.
constexpr float onsetSample = 0.05f;
constexpr uint32_t onsetQuietFrames = rate / 10;

constexpr double pollSeconds = 0.0005;
constexpr double warmUpSeconds = 3.5;  // the ALSA plugin's stream pauses 1.5-2 s after its first buffers
constexpr double detectionWindow = 0.4;  // a detection later than this after an onset belongs to no click
constexpr double bufferSeconds = double(windowFrames) / rate;

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Sleeps rather than spins, so that the measuring thread costs next to nothing.
void sleepFor(double seconds)
{
    timespec t{};
    t.tv_sec = time_t(seconds);
    t.tv_nsec = long((seconds - double(t.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &t, &t) != 0) {
    }
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// user + system time of another process from /proc, or -1 when it cannot be read.
double otherCpuSeconds(long pid)
{
    if (pid <= 0) return -1.0;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) return -1.0;
    char line[1024] = {};
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    const char* rest = std::strrchr(line, ')');
    if (rest == nullptr) return -1.0;
    // Fields after the command: state is field 3; utime and stime are fields 14 and 15.
    unsigned long user = 0;
    unsigned long system = 0;
    if (std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2) return -1.0;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

// Linear interpolation between the closest ranks of sorted values.
double percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const double position = fraction * double(values.size() - 1);
    const size_t below = size_t(position);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (position - double(below));
}

const char* sourceLabel(int selection)
{
    if (selection == speakersSource) return "Speakers (libpulse, sink monitor)";
    if (selection == defaultDeviceSource) return "Default recording device (PortAudio, ALSA pulse plugin)";
    return "no source (idle baseline)";
}

// ---- The click player and the reference recorder, on a libpulse connection of their own ----

// Owned by the client library's thread, except the atomics, which the main thread reads.
struct ClickRig {
    pa_threaded_mainloop* mainloop = nullptr;
    pa_context* context = nullptr;
    pa_stream* player = nullptr;
    pa_stream* reference = nullptr;
    // Player state.
    std::atomic<bool> clicking{false};
    std::mt19937 random{20261209};
    uint32_t clickPosition = clickFrames;  // frames of the current click already played
    uint32_t sinceClick = longestGap;
    uint32_t gap = shortestGap;
    // Reference state.
    uint32_t quietRun = 0;
    static constexpr uint32_t onsetCapacity = 4096;
    double onsets[onsetCapacity] = {};
    std::atomic<uint32_t> onsetCount{0};
    std::vector<uint32_t> framesPerRead;  // the reference's granularity, read after the rig stops
    double grantedFragment = 0.0;          // seconds, as the server granted it
};

ClickRig rig;

float nextPlayerSample()
{
    if (rig.clickPosition < clickFrames) {
        const double phase = 2.0 * 3.14159265358979323846 * clickHz * double(rig.clickPosition++) / rate;
        return clickAmplitude * float(std::sin(phase));
    }
    if (rig.sinceClick < rig.gap) {
        ++rig.sinceClick;
    } else if (rig.clicking.load(std::memory_order_relaxed)) {
        rig.clickPosition = 0;
        rig.sinceClick = 0;
        rig.gap = std::uniform_int_distribution<uint32_t>(shortestGap, longestGap)(rig.random);
        return nextPlayerSample();
    }
    return 0.0f;
}

void onPlayerWritable(pa_stream* stream, size_t wanted, void*)
{
    while (wanted >= frameBytes) {
        void* data = nullptr;
        size_t bytes = wanted;
        if (pa_stream_begin_write(stream, &data, &bytes) < 0 || data == nullptr || bytes < frameBytes) return;
        const size_t frames = bytes / frameBytes;
        float* out = static_cast<float*>(data);
        for (size_t i = 0; i < frames; ++i) out[2 * i] = out[2 * i + 1] = nextPlayerSample();
        pa_stream_write(stream, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
        wanted -= frames * frameBytes;
    }
}

void noteOnset(double when)
{
    const uint32_t count = rig.onsetCount.load(std::memory_order_relaxed);
    if (count == ClickRig::onsetCapacity) return;
    rig.onsets[count] = when;
    rig.onsetCount.store(count + 1, std::memory_order_release);
}

// Each frame is taken to have reached the monitor when the last frame now readable did, less the
// frames after it: the onset's time is known to within one read of this stream.
void onReferenceReadable(pa_stream* stream, size_t, void*)
{
    const double arrival = now();
    const size_t readable = pa_stream_readable_size(stream) / frameBytes;
    size_t seen = 0;
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
        if (bytes == 0) break;
        const size_t frames = bytes / frameBytes;
        const float* samples = static_cast<const float*>(data);
        for (size_t i = 0; i < frames; ++i) {
            const bool loud = samples != nullptr && std::fabs(samples[2 * i]) > onsetSample;
            if (!loud) {
                if (rig.quietRun < onsetQuietFrames) ++rig.quietRun;
                continue;
            }
            if (rig.quietRun >= onsetQuietFrames) {
                const double after = double(readable > seen + i ? readable - seen - i : 0);
                noteOnset(arrival - after / rate);
            }
            rig.quietRun = 0;
        }
        seen += frames;
        pa_stream_drop(stream);
    }
    rig.framesPerRead.push_back(uint32_t(seen));
}

bool streamReady(pa_stream* stream)
{
    return stream != nullptr && pa_stream_get_state(stream) == PA_STREAM_READY;
}

// Waits, holding the lock, until the check holds or the deadline passes.
template <typename Check>
bool waitLocked(Check check, double seconds)
{
    const double deadline = now() + seconds;
    while (!check() && now() < deadline) {
        pa_threaded_mainloop_unlock(rig.mainloop);
        sleepFor(0.005);
        pa_threaded_mainloop_lock(rig.mainloop);
    }
    return check();
}

bool startRig()
{
    rig.framesPerRead.reserve(1 << 20);
    rig.mainloop = pa_threaded_mainloop_new();
    if (rig.mainloop == nullptr || pa_threaded_mainloop_start(rig.mainloop) < 0) return false;
    pa_threaded_mainloop_lock(rig.mainloop);
    rig.context = pa_context_new(pa_threaded_mainloop_get_api(rig.mainloop), "Quasarine latency rig");
    bool ok = rig.context != nullptr && pa_context_connect(rig.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
              waitLocked([] { return pa_context_get_state(rig.context) == PA_CONTEXT_READY; }, 5.0);
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE, rate, channels};
    if (ok) {
        rig.reference = pa_stream_new(rig.context, "reference", &sampleFormat, nullptr);
        pa_buffer_attr attributes{};
        attributes.maxlength = uint32_t(-1);
        attributes.fragsize = referenceFragmentFrames * frameBytes;
        pa_stream_set_read_callback(rig.reference, onReferenceReadable, nullptr);
        ok = pa_stream_connect_record(rig.reference, monitorName, &attributes, PA_STREAM_ADJUST_LATENCY) >= 0;
    }
    if (ok) {
        rig.player = pa_stream_new(rig.context, "clicks", &sampleFormat, nullptr);
        pa_buffer_attr attributes{};
        attributes.maxlength = uint32_t(-1);
        attributes.tlength = uint32_t(rate / 100 * frameBytes);  // 10 ms: the clicks' schedule stays near real time
        attributes.prebuf = uint32_t(-1);
        attributes.minreq = uint32_t(-1);
        pa_stream_set_write_callback(rig.player, onPlayerWritable, nullptr);
        ok = pa_stream_connect_playback(rig.player, "quasarine_sink", &attributes, PA_STREAM_ADJUST_LATENCY,
                                        nullptr, nullptr) >= 0;
    }
    ok = ok && waitLocked([] { return streamReady(rig.reference) && streamReady(rig.player); }, 5.0);
    if (ok) {
        const pa_buffer_attr* granted = pa_stream_get_buffer_attr(rig.reference);
        rig.grantedFragment = double(granted->fragsize) / frameBytes / rate;
    }
    pa_threaded_mainloop_unlock(rig.mainloop);
    return ok;
}

void stopRig()
{
    if (rig.mainloop == nullptr) return;
    pa_threaded_mainloop_lock(rig.mainloop);
    for (pa_stream** stream : {&rig.player, &rig.reference}) {
        if (*stream == nullptr) continue;
        pa_stream_disconnect(*stream);
        pa_stream_unref(*stream);
        *stream = nullptr;
    }
    if (rig.context != nullptr) {
        pa_context_disconnect(rig.context);
        pa_context_unref(rig.context);
        rig.context = nullptr;
    }
    pa_threaded_mainloop_unlock(rig.mainloop);
    pa_threaded_mainloop_stop(rig.mainloop);
    pa_threaded_mainloop_free(rig.mainloop);
    rig.mainloop = nullptr;
}

// ---- Latency ----

struct LatencyResult {
    std::vector<double> latencies;  // seconds
    int clicks = 0;
    int missed = 0;
    int spurious = 0;
    float loudest = 0.0f;
};

// Each onset takes the first detection after it within the window; detections left over are spurious.
void matchClicks(const std::vector<double>& onsets, const std::vector<double>& detections, LatencyResult& result)
{
    std::vector<bool> used(detections.size(), false);
    for (size_t k = 0; k < onsets.size(); ++k) {
        const double limit = std::min(onsets[k] + detectionWindow, k + 1 < onsets.size() ? onsets[k + 1] : 1e300);
        bool found = false;
        for (size_t d = 0; d < detections.size() && !found; ++d) {
            if (used[d] || detections[d] < onsets[k] || detections[d] >= limit) continue;
            used[d] = true;
            found = true;
            result.latencies.push_back(detections[d] - onsets[k]);
        }
        ++result.clicks;
        if (found) continue;
        ++result.missed;
        // Says where the nearest detection was, to tell a late detection from none at all.
        double nearest = 1e300;
        for (double detection : detections) {
            if (std::fabs(detection - onsets[k]) < std::fabs(nearest)) nearest = detection - onsets[k];
        }
        std::fprintf(stderr, "missed click %zu of %zu: nearest detection %+.1f ms from its onset\n", k + 1,
                     onsets.size(), nearest * 1e3);
    }
    result.spurious += int(std::count(used.begin(), used.end(), false));
}

// One round on one source: open it, let it settle, play the clicks and watch the analysis.
bool measureRound(int selection, AudioContext& audio, int clicks, float threshold, LatencyResult& result)
{
    if (selectInputSource(selection, audio) != selection) {
        std::fprintf(stderr, "could not open %s\n", sourceLabel(selection));
        return false;
    }
    sleepFor(warmUpSeconds);
    const uint32_t firstOnset = rig.onsetCount.load(std::memory_order_acquire);
    std::vector<double> detections;
    // Every buffer's levels are read from the history ring, so that a buffer overwritten within one
    // poll (a late capture thread delivers two at once) is still seen; the audio thread writes a
    // column before it moves the cursor past it.
    uint32_t cursor = audio.results.historyIndex.load(std::memory_order_relaxed);
    bool armed = true;
    auto watch = [&](double until, auto done) {
        while (now() < until && !done()) {
            sleepFor(pollSeconds);
            const uint32_t index = audio.results.historyIndex.load(std::memory_order_relaxed);
            for (; cursor != index; cursor = (cursor + 1) % historyLengthFixed) {
                float level = 0.0f;
                for (int b = 0; b < bandCountFixed; ++b) {
                    level += audio.results.levelHistory[b * historyLengthFixed + cursor].load(std::memory_order_relaxed);
                }
                result.loudest = std::max(result.loudest, level);
                if (armed && level >= threshold) {
                    detections.push_back(now());
                    armed = false;
                } else if (level < threshold) {
                    armed = true;
                }
            }
        }
    };
    rig.clicking.store(true, std::memory_order_relaxed);
    watch(now() + clicks * 1.0 + 10.0,
          [&] { return rig.onsetCount.load(std::memory_order_acquire) >= firstOnset + uint32_t(clicks); });
    rig.clicking.store(false, std::memory_order_relaxed);
    watch(now() + detectionWindow + 0.3, [] { return false; });
    selectInputSource(noSource, audio);
    const uint32_t lastOnset = rig.onsetCount.load(std::memory_order_acquire);
    const std::vector<double> onsets(rig.onsets + firstOnset, rig.onsets + lastOnset);
    matchClicks(onsets, detections, result);
    return true;
}

void printLatencyRow(int selection, const LatencyResult& result)
{
    std::printf("| %s | %d | %zu | %.1f | %.1f | %.1f | %.1f |\n", sourceLabel(selection), result.clicks,
                result.latencies.size(), percentile(result.latencies, 0.5) * 1e3,
                percentile(result.latencies, 0.95) * 1e3,
                result.latencies.empty() ? NAN : *std::min_element(result.latencies.begin(), result.latencies.end()) * 1e3,
                result.latencies.empty() ? NAN : *std::max_element(result.latencies.begin(), result.latencies.end()) * 1e3);
}

int measureLatency(AudioContext& audio, int rounds, int clicksPerRound)
{
    if (!startRig()) {
        std::fprintf(stderr, "the click rig could not connect to the sound server\n");
        stopRig();
        return 1;
    }
    // The click's energy as the analysis sums it (unnormalised FFT of the stereo pair read as complex
    // numbers: N times the sum of |L + iR|^2); a hundredth of it is far above digital silence's zero.
    const float clickEnergy = float(windowFrames) * clickFrames * clickAmplitude * clickAmplitude;
    const float threshold = clickEnergy / 100.0f;
    const int sources[2] = {defaultDeviceSource, speakersSource};
    LatencyResult results[2];
    // The sources take turns, so that both meet the same load on a shared machine.
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (round + turn) % 2;
            if (!measureRound(sources[which], audio, clicksPerRound, threshold, results[which])) {
                stopRig();
                return 1;
            }
            std::fprintf(stderr, "round %d, %s: %zu latencies so far\n", round + 1, sourceLabel(sources[which]),
                         results[which].latencies.size());
        }
    }
    stopRig();
    std::vector<uint32_t> reads = rig.framesPerRead;
    std::sort(reads.begin(), reads.end());
    const double medianRead = reads.empty() ? NAN : double(reads[reads.size() / 2]) / rate * 1e3;
    const double p95Read = reads.empty() ? NAN : double(reads[reads.size() * 95 / 100]) / rate * 1e3;

    std::printf("| Source | Clicks | Detected | Median (ms) | 95th percentile (ms) | Min (ms) | Max (ms) |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (int which = 0; which < 2; ++which) printLatencyRow(sources[which], results[which]);
    std::printf("| buffering floor: one %d-frame buffer | | | %.1f | | | |\n", windowFrames, bufferSeconds * 1e3);
    std::printf("\n");
    std::printf("Detection threshold: sum of band levels >= %.0f (a whole click sums to about %.0f; loudest seen: "
                "device %.0f, Speakers %.0f). Missed / spurious: device %d / %d, Speakers %d / %d.\n",
                threshold, clickEnergy, results[0].loudest, results[1].loudest, results[0].missed, results[0].spurious,
                results[1].missed, results[1].spurious);
    std::printf("Reference granularity (frames per read of the reference stream, fragment %.2f ms): median %.2f ms, "
                "95th percentile %.2f ms; the analysis is polled every %.1f ms.\n",
                rig.grantedFragment * 1e3, medianRead, p95Read, pollSeconds * 1e3);
    const bool met = results[0].missed == 0 && results[1].missed == 0 &&
                     percentile(results[0].latencies, 0.5) <= 0.050 && percentile(results[1].latencies, 0.5) <= 0.050;
    std::printf("Goal (median at most 50 ms for both): %s\n", met ? "met" : "not met");
    return 0;
}

// ---- CPU time ----

struct CpuWindow {
    double wall = 0.0;
    double cpu = 0.0;
    double server = -1.0;
    uint64_t buffers = 0;
};

// Opens the source (none for the baseline), lets it settle, then measures one window while sleeping.
bool measureCpuWindow(int selection, AudioContext& audio, double seconds, long serverPid, CpuWindow& window)
{
    if (selection != noSource && selectInputSource(selection, audio) != selection) {
        std::fprintf(stderr, "could not open %s\n", sourceLabel(selection));
        return false;
    }
    sleepFor(warmUpSeconds);
    uint32_t cursor = audio.results.historyIndex.load(std::memory_order_relaxed);
    const double cpu0 = processCpuSeconds();
    const double server0 = otherCpuSeconds(serverPid);
    const double start = now();
    // At 43 buffers a second the 50-entry history ring turns once in 1.16 s: read it every 50 ms.
    while (now() - start < seconds) {
        sleepFor(0.05);
        const uint32_t index = audio.results.historyIndex.load(std::memory_order_relaxed);
        window.buffers += (index + historyLengthFixed - cursor) % historyLengthFixed;
        cursor = index;
    }
    window.wall = now() - start;
    window.cpu = processCpuSeconds() - cpu0;
    const double server1 = otherCpuSeconds(serverPid);
    if (server0 >= 0.0 && server1 >= 0.0) window.server = server1 - server0;
    if (selection != noSource) selectInputSource(noSource, audio);
    return true;
}

double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

int measureCpu(AudioContext& audio, double seconds, int repeats)
{
    const char* pidText = std::getenv("QUASARINE_SERVER_PID");
    const long serverPid = pidText != nullptr ? std::atol(pidText) : 0;
    const int sources[3] = {noSource, defaultDeviceSource, speakersSource};
    // Net figures per repeat, measured against that repeat's own baseline.
    std::vector<double> netPerAudio[3];
    std::vector<double> serverPerAudio[3];
    std::vector<double> grossPerWall[3];
    std::vector<double> audioPerWall[3];
    std::printf("| Repeat | Source | Wall (s) | Audio (s) | Process CPU (ms) | Server CPU (ms) |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (int repeat = 0; repeat < repeats; ++repeat) {
        CpuWindow windows[3];
        // The order turns each repeat so that a change in the machine's load falls on every source.
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (repeat + turn) % 3;
            if (!measureCpuWindow(sources[which], audio, seconds, serverPid, windows[which])) return 1;
            const CpuWindow& w = windows[which];
            std::printf("| %d | %s | %.1f | %.1f | %.0f | %.0f |\n", repeat + 1, sourceLabel(sources[which]), w.wall,
                        double(w.buffers) * bufferSeconds, w.cpu * 1e3, w.server * 1e3);
            std::fflush(stdout);
        }
        const double idleRate = windows[0].cpu / windows[0].wall;
        const double idleServerRate = windows[0].server >= 0.0 ? windows[0].server / windows[0].wall : -1.0;
        for (int which = 0; which < 3; ++which) {
            const CpuWindow& w = windows[which];
            grossPerWall[which].push_back(w.cpu / w.wall);
            audioPerWall[which].push_back(double(w.buffers) * bufferSeconds / w.wall);
            if (which == 0 || w.buffers == 0) continue;
            const double audioSeconds = double(w.buffers) * bufferSeconds;
            netPerAudio[which].push_back((w.cpu - idleRate * w.wall) / audioSeconds);
            if (idleServerRate >= 0.0 && w.server >= 0.0) {
                serverPerAudio[which].push_back((w.server - idleServerRate * w.wall) / audioSeconds);
            }
        }
    }
    std::printf("\nMedians over %d repeats of %.0f s each:\n\n", repeats, seconds);
    std::printf("| Source | Process CPU per wall second (ms) | Audio per wall second (s) | Net CPU per second of audio (ms) | Against the device path | Server CPU per second of audio (ms) |\n");
    std::printf("|---|---|---|---|---|---|\n");
    const double deviceNet = median(netPerAudio[1]);
    for (int which = 0; which < 3; ++which) {
        if (which == 0) {
            std::printf("| %s | %.2f | 0 | | | |\n", sourceLabel(sources[0]), median(grossPerWall[0]) * 1e3);
            continue;
        }
        const double net = median(netPerAudio[which]);
        std::printf("| %s | %.2f | %.3f | %.2f | %.2f | %.2f |\n", sourceLabel(sources[which]),
                    median(grossPerWall[which]) * 1e3, median(audioPerWall[which]), net * 1e3, net / deviceNet,
                    serverPerAudio[which].empty() ? NAN : median(serverPerAudio[which]) * 1e3);
    }
    const double ratio = median(netPerAudio[2]) / deviceNet;
    std::printf("\nGoal (Speakers at most 1.5x the device path): %s (%.2fx)\n", ratio <= 1.5 ? "met" : "not met", ratio);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "latency") != 0 && std::strcmp(mode, "cpu") != 0) {
        std::fprintf(stderr, "usage: %s latency [ROUNDS [CLICKS]] | cpu [SECONDS [REPEATS]]\n", argv[0]);
        return 2;
    }
    AudioContext audio;
    prepareAudioContext(audio, kiss_fft_alloc(windowFrames, 0, nullptr, nullptr));
    if (audio.fftConfig == nullptr || Pa_Initialize() != paNoError) {
        std::fprintf(stderr, "no FFT configuration or no PortAudio\n");
        return 1;
    }
    int status = 0;
    if (std::strcmp(mode, "latency") == 0) {
        const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
        const int clicks = argc > 3 ? std::atoi(argv[3]) : 10;
        status = measureLatency(audio, std::max(1, rounds), std::max(1, clicks));
    } else {
        const double seconds = argc > 2 ? std::atof(argv[2]) : 30.0;
        const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
        status = measureCpu(audio, std::max(1.0, seconds), std::max(1, repeats));
    }
    selectInputSource(noSource, audio);
    Pa_Terminate();
    free(audio.fftConfig);
    return status;
}
