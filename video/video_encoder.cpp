// The encoder thread: frames and the song's sound into the file, beside the drawing.
#include "video/video_encoder.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/exit_codes.h"

namespace {

constexpr int soundChunkFrames = 4096;

size_t frameBytes(const VideoEncoder& encoder)
{
    return static_cast<size_t>(encoder.job.video.width) * encoder.job.video.height * 4;
}

void fail(VideoEncoder& encoder, int code)
{
    std::lock_guard<std::mutex> guard(encoder.lock);
    encoder.failure.store(code);
    encoder.changed.notify_all();
}

// Reads the song's sound and writes it until the track holds target frames, the limit is reached or
// the song ends. False when the file cannot be written.
bool writeSoundUpTo(VideoEncoder& encoder, int64_t target)
{
    if (encoder.soundLimit >= 0 && target > encoder.soundLimit) target = encoder.soundLimit;
    while (encoder.soundWritten < target) {
        const int wanted = static_cast<int>(std::min<int64_t>(soundChunkFrames, target - encoder.soundWritten));
        const int got = readSongFrames(encoder.sound, encoder.soundChunk, wanted);
        if (got == 0) return true;
        if (writeAudioSamples(encoder.writer, encoder.soundChunk, got) != 0) return false;
        encoder.soundWritten += got;
    }
    return true;
}

// The sound before the video's start is decoded and dropped: exact to the sample, where a seek is not.
void skipSoundBeforeStart(VideoEncoder& encoder)
{
    int64_t left = encoder.soundSkip;
    while (left > 0) {
        const int got = readSongFrames(encoder.sound, encoder.soundChunk,
                                       static_cast<int>(std::min<int64_t>(soundChunkFrames, left)));
        if (got == 0) return;
        left -= got;
    }
}

// The slot of the next frame to encode, or -1 when the queue is empty and the main thread is done.
int nextFullSlot(VideoEncoder& encoder)
{
    std::unique_lock<std::mutex> guard(encoder.lock);
    const int slot = static_cast<int>(encoder.framesEncoded % encoderQueueSlots);
    encoder.changed.wait(guard, [&] { return encoder.slotFull[slot] || encoder.finishing; });
    return encoder.slotFull[slot] ? slot : -1;
}

void releaseSlot(VideoEncoder& encoder, int slot)
{
    std::lock_guard<std::mutex> guard(encoder.lock);
    encoder.slotFull[slot] = false;
    ++encoder.framesEncoded;
    encoder.changed.notify_all();
}

bool encodeFrame(VideoEncoder& encoder, int slot)
{
    const auto start = std::chrono::steady_clock::now();
    const int64_t conversionBefore = encoder.writer.conversionNanoseconds;
    const int rowBytes = encoder.job.video.width * 4;
    const uint8_t* lastRow = encoder.slots[slot] + static_cast<size_t>(encoder.job.video.height - 1) * rowBytes;
    if (writeVideoFrame(encoder.writer, lastRow, -rowBytes) != 0) return false;
    // The sound up to the end of this frame keeps the file's two tracks interleaved as they go.
    const VideoSettings& video = encoder.job.video;
    const int64_t soundTarget = (encoder.framesEncoded + 1) * video.audioRate / video.fps;
    const bool written = writeSoundUpTo(encoder, soundTarget);
    const int64_t spent = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now() - start).count();
    encoder.conversionNanoseconds.store(encoder.writer.conversionNanoseconds);
    encoder.encodeNanoseconds += spent - (encoder.writer.conversionNanoseconds - conversionBefore);
    return written;
}

void runEncoder(VideoEncoder* encoder)
{
    skipSoundBeforeStart(*encoder);
    for (int slot = nextFullSlot(*encoder); slot >= 0; slot = nextFullSlot(*encoder)) {
        if (!encodeFrame(*encoder, slot)) return fail(*encoder, codeWriteFailed);
        releaseSlot(*encoder, slot);
    }
    {
        std::lock_guard<std::mutex> guard(encoder->lock);
        if (encoder->cancelled) return;
    }
    if (!writeSoundUpTo(*encoder, LLONG_MAX)) return fail(*encoder, codeWriteFailed);
    const int finished = finishVideoWriter(encoder->writer);
    if (finished != 0) fail(*encoder, finished);
}

bool allocateBuffers(VideoEncoder& encoder)
{
    encoder.soundChunk = static_cast<float*>(std::malloc(sizeof(float) * 2 * soundChunkFrames));
    bool made = encoder.soundChunk != nullptr;
    for (uint8_t*& slot : encoder.slots) {
        slot = static_cast<uint8_t*>(std::malloc(frameBytes(encoder)));
        made = made && slot != nullptr;
    }
    return made;
}

void copyFailure(const char* failure, char* line, size_t capacity)
{
    if (line != nullptr && capacity > 0) std::snprintf(line, capacity, "%s", failure);
}

}  // namespace

int openVideoEncoder(const EncoderJob& job, VideoEncoder& encoder, char* failureLine, size_t capacity)
{
    encoder.job = job;
    int code = openSongReader(job.songPath, job.video.audioRate, job.video.audioChannels, encoder.sound);
    if (code != 0) {
        copyFailure(encoder.sound.failure, failureLine, capacity);
        return code;
    }
    code = openVideoWriter(job.video, encoder.writer);
    if (code != 0) {
        copyFailure(encoder.writer.failure, failureLine, capacity);
        closeVideoEncoder(encoder);
        return code;
    }
    if (!allocateBuffers(encoder)) {
        copyFailure("not enough memory for the video's frames", failureLine, capacity);
        closeVideoEncoder(encoder);
        return codeWriteFailed;
    }
    encoder.soundSkip = std::llround(static_cast<double>(job.firstFrame) * job.video.audioRate / job.video.fps);
    if (job.endSeconds >= 0.0)
        encoder.soundLimit = std::max<int64_t>(0, std::llround(job.endSeconds * job.video.audioRate) - encoder.soundSkip);
    encoder.thread = std::thread(runEncoder, &encoder);
    encoder.running = true;
    return 0;
}

int queueVideoFrame(VideoEncoder& encoder, const uint8_t* rgba)
{
    const int slot = static_cast<int>(encoder.framesQueued % encoderQueueSlots);
    {
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> guard(encoder.lock);
        encoder.changed.wait(guard, [&] { return !encoder.slotFull[slot] || encoder.failure.load() != 0; });
        encoder.queueWaitNanoseconds += std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now() - start).count();
        if (encoder.failure.load() != 0) return encoder.failure.load();
    }
    // The slot is the main thread's alone until it is marked full.
    std::memcpy(encoder.slots[slot], rgba, frameBytes(encoder));
    std::lock_guard<std::mutex> guard(encoder.lock);
    encoder.slotFull[slot] = true;
    ++encoder.framesQueued;
    encoder.changed.notify_all();
    return 0;
}

int finishVideoEncoder(VideoEncoder& encoder, char* failureLine, size_t capacity)
{
    if (encoder.running) {
        {
            std::lock_guard<std::mutex> guard(encoder.lock);
            encoder.finishing = true;
            encoder.changed.notify_all();
        }
        encoder.thread.join();
        encoder.running = false;
    }
    const int code = encoder.failure.load();
    if (code != 0) copyFailure(encoder.writer.failure, failureLine, capacity);
    return code;
}

void closeVideoEncoder(VideoEncoder& encoder)
{
    if (encoder.running) {
        // A cancelled render: the thread drops what is queued and ends.
        {
            std::lock_guard<std::mutex> guard(encoder.lock);
            for (bool& full : encoder.slotFull) full = false;
            encoder.finishing = true;
            encoder.cancelled = true;
            encoder.changed.notify_all();
        }
        encoder.thread.join();
        encoder.running = false;
    }
    closeVideoWriter(encoder.writer);
    closeSongReader(encoder.sound);
    for (uint8_t*& slot : encoder.slots) {
        std::free(slot);
        slot = nullptr;
    }
    std::free(encoder.soundChunk);
    encoder.soundChunk = nullptr;
}
