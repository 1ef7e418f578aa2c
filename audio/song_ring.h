// The ring that carries a song's decoded sound from its decoding thread to the playback callback.
#pragma once
#include <atomic>
#include <cstdint>

// One writer (the decoding thread) and one reader (the audio callback); neither waits or locks.
// Frames are interleaved stereo floats at the streams' rate. The counters only grow, so that full
// and empty differ, and a 64-bit count never wraps in practice.
struct SongRing {
    float* samples = nullptr;
    uint32_t capacityFrames = 0;
    std::atomic<uint64_t> framesWritten{0};
    std::atomic<uint64_t> framesRead{0};
    std::atomic<uint64_t> skipTo{0};         // the reader drops every frame before this one
    std::atomic<bool> inputEnded{false};     // the writer has put in the song's last frame
    std::atomic<bool> paused{false};         // the reader takes nothing and plays silence
    std::atomic<uint32_t> shortBuffers{0};   // buffers the reader found short while the song went on
};

constexpr int songRingChannels = 2;

// Allocates room for capacityFrames frames and clears the counters; false when there is no memory.
bool createSongRing(SongRing& ring, uint32_t capacityFrames);

// Frees the samples; safe on a half-built record. Neither side may still be using it.
void destroySongRing(SongRing& ring);

// Frames the writer can put in now.
uint32_t songRingSpace(const SongRing& ring);

// Puts up to frames frames in; returns how many fitted.
uint32_t putSongFrames(SongRing& ring, const float* interleaved, uint32_t frames);

// Takes up to frames frames out into interleaved; returns how many there were.
uint32_t takeSongFrames(SongRing& ring, float* interleaved, uint32_t frames);

// Has the reader drop every frame written so far, the moment it next takes frames: the writer's side
// calls it, between songs, while the reader goes on.
void dropSongFramesWritten(SongRing& ring);

// True once the writer has ended and the reader has taken every frame.
bool songRingFinished(const SongRing& ring);
