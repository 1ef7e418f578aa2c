// Capture of what the default output device plays, through WASAPI loopback polled on a thread of its own.
#include "platform/loopback_capture.h"

#include <audioclient.h>
#include <mmdeviceapi.h>
// The property key is defined here rather than expected from a library, which does not carry it.
#include <initguid.h>
#include <functiondiscoverykeys_devpkey.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <thread>

#include "platform/loopback_format.h"

namespace {

using Clock = std::chrono::steady_clock;

static_assert(loopbackBufferFrames == loopbackCaptureFrames && loopbackOutputRate == loopbackCaptureRate,
              "the converter gives the buffers the capture promises");

// The shared-mode buffer, in 100 ns units, is far longer than a poll, so a late poll loses nothing.
// Polling works on every Windows version; event-driven loopback needs Windows 10 1703.
constexpr REFERENCE_TIME bufferDuration = 2000000;
constexpr auto pollInterval = std::chrono::milliseconds(10);
constexpr auto deviceCheckInterval = std::chrono::seconds(1);
constexpr size_t nameCapacity = 256;

// One opened output device; closeEndpoint releases whatever of it was built.
struct Endpoint {
    IMMDevice* device = nullptr;
    IAudioClient* client = nullptr;
    IAudioCaptureClient* capture = nullptr;
    LPWSTR id = nullptr;
    WAVEFORMATEX* mixFormat = nullptr;
};

// Everything the capture thread owns. The converter outlives a lost endpoint so that silence keeps
// flowing through it until another device opens.
struct CaptureWorker {
    IMMDeviceEnumerator* enumerator = nullptr;
    Endpoint endpoint;
    bool open = false;
    LoopbackConverter converter;
    bool converterReady = false;
    LoopbackAccumulator accumulator;
    LoopbackPace pace;
    Clock::time_point start;
    Clock::time_point lastDeviceCheck;
};

enum class StartState { pending, running, failed };

// The thread and its start-up handshake, used by the main thread and the capture thread.
struct CaptureThread {
    std::thread thread;
    std::atomic<bool> stopRequested{false};
    std::mutex startLock;
    std::condition_variable startChanged;
    StartState startState = StartState::pending;
};

CaptureThread captureThread;
std::mutex nameLock;
char deviceName[nameCapacity] = {};

void publishDeviceName(const char* name)
{
    std::lock_guard<std::mutex> hold(nameLock);
    copyTruncatedUtf8(deviceName, nameCapacity, name);
}

void reportStart(StartState state)
{
    {
        std::lock_guard<std::mutex> hold(captureThread.startLock);
        captureThread.startState = state;
    }
    captureThread.startChanged.notify_all();
}

StartState awaitStart()
{
    std::unique_lock<std::mutex> hold(captureThread.startLock);
    captureThread.startChanged.wait(hold, [] { return captureThread.startState != StartState::pending; });
    return captureThread.startState;
}

template <typename Interface>
void release(Interface*& object)
{
    if (object != nullptr) object->Release();
    object = nullptr;
}

void closeEndpoint(Endpoint& endpoint)
{
    if (endpoint.client != nullptr) endpoint.client->Stop();
    release(endpoint.capture);
    release(endpoint.client);
    release(endpoint.device);
    CoTaskMemFree(endpoint.id);
    endpoint.id = nullptr;
    CoTaskMemFree(endpoint.mixFormat);
    endpoint.mixFormat = nullptr;
}

// The format tag a subformat GUID carries when it is built on the base
// {xxxxxxxx-0000-0010-8000-00AA00389B71}; 0 for any other GUID.
WORD formatTagOf(const GUID& subFormat)
{
    static const unsigned char baseTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    const bool onBase = subFormat.Data2 == 0x0000 && subFormat.Data3 == 0x0010 &&
                        std::memcmp(subFormat.Data4, baseTail, sizeof baseTail) == 0;
    return onBase && subFormat.Data1 <= 0xFFFF ? WORD(subFormat.Data1) : 0;
}

bool loopbackFormatOf(const WAVEFORMATEX& wave, LoopbackFormat& format)
{
    WORD tag = wave.wFormatTag;
    format.sampleRate = wave.nSamplesPerSec;
    format.channels = wave.nChannels;
    format.containerBits = wave.wBitsPerSample;
    format.validBits = wave.wBitsPerSample;
    format.channelMask = 0;
    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        if (wave.cbSize < sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) return false;
        const WAVEFORMATEXTENSIBLE& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wave);
        tag = formatTagOf(extensible.SubFormat);
        if (extensible.Samples.wValidBitsPerSample != 0) format.validBits = extensible.Samples.wValidBitsPerSample;
        format.channelMask = extensible.dwChannelMask;
    }
    format.isFloat = tag == WAVE_FORMAT_IEEE_FLOAT;
    const bool knownTag = tag == WAVE_FORMAT_PCM || format.isFloat;
    return knownTag && loopbackFormatSupported(format) && wave.nBlockAlign == loopbackFrameBytes(format);
}

void readFriendlyName(IMMDevice* device, char* name, size_t capacity)
{
    copyTruncatedUtf8(name, capacity, "");
    IPropertyStore* store = nullptr;
    if (FAILED(device->OpenPropertyStore(STGM_READ, &store))) return;
    PROPVARIANT value;
    PropVariantInit(&value);
    char whole[4 * nameCapacity];
    if (SUCCEEDED(store->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR &&
        WideCharToMultiByte(CP_UTF8, 0, value.pwszVal, -1, whole, sizeof whole, nullptr, nullptr) > 0)
        copyTruncatedUtf8(name, capacity, whole);
    PropVariantClear(&value);
    store->Release();
}

// Each step's failure leaves what was built in the record for closeEndpoint.
bool activateDefaultOutput(IMMDeviceEnumerator* enumerator, Endpoint& endpoint)
{
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &endpoint.device))) return false;
    if (FAILED(endpoint.device->GetId(&endpoint.id))) return false;
    if (FAILED(endpoint.device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                         reinterpret_cast<void**>(&endpoint.client))))
        return false;
    return SUCCEEDED(endpoint.client->GetMixFormat(&endpoint.mixFormat));
}

bool startLoopbackStream(Endpoint& endpoint)
{
    if (FAILED(endpoint.client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, bufferDuration,
                                           0, endpoint.mixFormat, nullptr)))
        return false;
    // Wine before 9.12 accepts the loopback flag above and refuses here (AUDCLNT_E_WRONG_ENDPOINT_TYPE).
    if (FAILED(endpoint.client->GetService(__uuidof(IAudioCaptureClient),
                                           reinterpret_cast<void**>(&endpoint.capture))))
        return false;
    return SUCCEEDED(endpoint.client->Start());
}

void loseEndpoint(CaptureWorker& worker)
{
    closeEndpoint(worker.endpoint);
    worker.open = false;
    publishDeviceName("");
}

// On success the converter follows the new device's format and the device's name is published.
bool openDefaultOutput(CaptureWorker& worker)
{
    Endpoint& endpoint = worker.endpoint;
    LoopbackFormat format;
    if (!activateDefaultOutput(worker.enumerator, endpoint) || !loopbackFormatOf(*endpoint.mixFormat, format) ||
        !startLoopbackStream(endpoint)) {
        loseEndpoint(worker);
        return false;
    }
    worker.converterReady = createLoopbackConverter(worker.converter, format);
    if (!worker.converterReady) {
        loseEndpoint(worker);
        return false;
    }
    char name[nameCapacity];
    readFriendlyName(endpoint.device, name, sizeof name);
    publishDeviceName(name);
    worker.open = true;
    return true;
}

// True when the default output is no longer the device being captured, or there is none.
bool defaultOutputChanged(CaptureWorker& worker)
{
    IMMDevice* device = nullptr;
    if (FAILED(worker.enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device))) return true;
    LPWSTR id = nullptr;
    const bool changed = FAILED(device->GetId(&id)) || std::wcscmp(id, worker.endpoint.id) != 0;
    CoTaskMemFree(id);
    device->Release();
    return changed;
}

// Hands every waiting packet to the converter; false when the stream failed.
bool drainPackets(CaptureWorker& worker, int64_t clock)
{
    IAudioCaptureClient* capture = worker.endpoint.capture;
    for (;;) {
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        const HRESULT got = capture->GetBuffer(&data, &frames, &flags, nullptr, nullptr);
        if (got == AUDCLNT_S_BUFFER_EMPTY) return true;
        if (FAILED(got)) return false;
        const bool silent = (flags & AUDCLNT_BUFFERFLAGS_SILENT) != 0;
        feedLoopbackPacket(worker.converter, silent ? nullptr : data, frames, worker.accumulator);
        if (FAILED(capture->ReleaseBuffer(frames))) return false;
        noteLoopbackPacket(worker.pace, clock);
        if (frames == 0) return true;
    }
}

// Follows a new default output, and retries while there is none that opens.
void checkDefaultOutput(CaptureWorker& worker, Clock::time_point now)
{
    if (now - worker.lastDeviceCheck < deviceCheckInterval) return;
    worker.lastDeviceCheck = now;
    if (worker.open && !defaultOutputChanged(worker)) return;
    loseEndpoint(worker);
    openDefaultOutput(worker);
}

int64_t clockFrames(const CaptureWorker& worker, Clock::time_point now)
{
    const int64_t elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - worker.start).count();
    return elapsed * loopbackOutputRate / 1000000;
}

// Silence goes through the converter when there is one, so the last sound's tail ends smoothly.
void feedDueSilence(CaptureWorker& worker, int64_t clock)
{
    const int64_t due = loopbackSilenceDue(worker.pace, clock, int64_t(worker.accumulator.totalFrames));
    if (due <= 0) return;
    if (!worker.converterReady) {
        accumulateFrames(worker.accumulator, nullptr, uint32_t(due));
        return;
    }
    const uint64_t input = loopbackInputFramesFor(worker.converter.format.sampleRate, uint64_t(due));
    feedLoopbackPacket(worker.converter, nullptr, uint32_t(input), worker.accumulator);
}

// A failed stream is dropped and the default output reopened at once; later tries come once a second.
void pollOnce(CaptureWorker& worker)
{
    const Clock::time_point now = Clock::now();
    const int64_t clock = clockFrames(worker, now);
    if (worker.open && !drainPackets(worker, clock)) {
        loseEndpoint(worker);
        worker.lastDeviceCheck = now - deviceCheckInterval;
    }
    checkDefaultOutput(worker, now);
    feedDueSilence(worker, clock);
}

void runUntilStopped(CaptureWorker& worker)
{
    worker.start = Clock::now();
    worker.lastDeviceCheck = worker.start;
    while (!captureThread.stopRequested.load()) {
        std::this_thread::sleep_for(pollInterval);
        pollOnce(worker);
    }
}

bool createEnumerator(CaptureWorker& worker)
{
    return SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                      __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&worker.enumerator)));
}

// Where the buffers go: the caller's handler and its pointer.
struct Delivery {
    LoopbackBufferHandler handler = nullptr;
    void* user = nullptr;
};

void deliverToHandler(const float* stereo, void* delivery)
{
    const Delivery& target = *static_cast<const Delivery*>(delivery);
    target.handler(stereo, loopbackCaptureFrames, target.user);
}

// COM objects live in this thread's apartment from creation to release.
void runCapture(Delivery delivery)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CaptureWorker worker;
    prepareLoopbackAccumulator(worker.accumulator, deliverToHandler, &delivery);
    const bool started = SUCCEEDED(com) && createEnumerator(worker) && openDefaultOutput(worker);
    reportStart(started ? StartState::running : StartState::failed);
    if (started) runUntilStopped(worker);
    loseEndpoint(worker);
    release(worker.enumerator);
    destroyLoopbackConverter(worker.converter);
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace

bool startLoopbackCapture(LoopbackBufferHandler handler, void* user)
{
    stopLoopbackCapture();
    captureThread.stopRequested.store(false);
    captureThread.startState = StartState::pending;
    captureThread.thread = std::thread(runCapture, Delivery{handler, user});
    if (awaitStart() == StartState::running) return true;
    captureThread.thread.join();
    return false;
}

void stopLoopbackCapture()
{
    if (!captureThread.thread.joinable()) return;
    captureThread.stopRequested.store(true);
    captureThread.thread.join();
}

void loopbackCaptureDeviceName(char* name, size_t capacity)
{
    std::lock_guard<std::mutex> hold(nameLock);
    copyTruncatedUtf8(name, capacity, deviceName);
}
