// The single-writer, single-reader ring between a song's decoding thread and the playback callback.
#include "audio/song_ring.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t frameBytes = sizeof(float) * songRingChannels;

// Where frame number start sits in the ring, and how many of frames fit before the wrap.
struct RingSpan {
    float* at;
    uint32_t head;
};

RingSpan spanFrom(const SongRing& ring, uint64_t start, uint32_t frames)
{
    const uint32_t first = static_cast<uint32_t>(start % ring.capacityFrames);
    return {ring.samples + static_cast<size_t>(first) * songRingChannels,
            std::min(frames, ring.capacityFrames - first)};
}

}  // namespace

bool createSongRing(SongRing& ring, uint32_t capacityFrames)
{
    destroySongRing(ring);
    ring.samples = static_cast<float*>(std::calloc(static_cast<size_t>(capacityFrames) * songRingChannels,
                                                   sizeof(float)));
    if (ring.samples == nullptr) return false;
    ring.capacityFrames = capacityFrames;
    ring.framesWritten.store(0);
    ring.framesRead.store(0);
    ring.skipTo.store(0);
    ring.inputEnded.store(false);
    ring.paused.store(false);
    ring.shortBuffers.store(0);
    return true;
}

void destroySongRing(SongRing& ring)
{
    std::free(ring.samples);
    ring.samples = nullptr;
    ring.capacityFrames = 0;
}

uint32_t songRingSpace(const SongRing& ring)
{
    const uint64_t used = ring.framesWritten.load(std::memory_order_relaxed) -
                          ring.framesRead.load(std::memory_order_acquire);
    return ring.capacityFrames - static_cast<uint32_t>(used);
}

uint32_t putSongFrames(SongRing& ring, const float* interleaved, uint32_t frames)
{
    const uint32_t count = std::min(frames, songRingSpace(ring));
    if (count == 0) return 0;
    const uint64_t written = ring.framesWritten.load(std::memory_order_relaxed);
    const RingSpan span = spanFrom(ring, written, count);
    std::memcpy(span.at, interleaved, span.head * frameBytes);
    std::memcpy(ring.samples, interleaved + static_cast<size_t>(span.head) * songRingChannels,
                (count - span.head) * frameBytes);
    ring.framesWritten.store(written + count, std::memory_order_release);
    return count;
}

uint32_t takeSongFrames(SongRing& ring, float* interleaved, uint32_t frames)
{
    const uint64_t read = std::max(ring.framesRead.load(std::memory_order_relaxed),
                                   ring.skipTo.load(std::memory_order_acquire));
    const uint64_t available = ring.framesWritten.load(std::memory_order_acquire) - read;
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(frames, available));
    if (count == 0) {
        ring.framesRead.store(read, std::memory_order_release);
        return 0;
    }
    const RingSpan span = spanFrom(ring, read, count);
    std::memcpy(interleaved, span.at, span.head * frameBytes);
    std::memcpy(interleaved + static_cast<size_t>(span.head) * songRingChannels, ring.samples,
                (count - span.head) * frameBytes);
    ring.framesRead.store(read + count, std::memory_order_release);
    return count;
}

void dropSongFramesWritten(SongRing& ring)
{
    ring.skipTo.store(ring.framesWritten.load(std::memory_order_relaxed), std::memory_order_release);
}

bool songRingFinished(const SongRing& ring)
{
    // The end flag is read first: the writer sets it only after its last frames are counted.
    if (!ring.inputEnded.load(std::memory_order_acquire)) return false;
    return ring.framesRead.load(std::memory_order_acquire) ==
           ring.framesWritten.load(std::memory_order_acquire);
}
