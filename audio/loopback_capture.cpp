// The Speakers source's capture: the platform's loopback buffers fed to the analysis.
#include "audio/loopback_capture.h"

#include "platform/loopback_capture.h"

namespace {

static_assert(int(loopbackCaptureFrames) == windowFrames, "the analysis takes whole windows");

void deliverToAnalysis(const float* frames, unsigned long frameCount, void* context)
{
    onCaptureBuffer(frames, nullptr, frameCount, nullptr, 0, context);
}

}  // namespace

bool openLoopbackCapture(AudioContext& context)
{
    context.streams.channelCount.store(loopbackCaptureChannels, std::memory_order_relaxed);
    return startLoopbackCapture(deliverToAnalysis, &context);
}

void closeLoopbackCapture()
{
    stopLoopbackCapture();
}

void loopbackDeviceName(char* name, size_t capacity)
{
    loopbackCaptureDeviceName(name, capacity);
}
