// The record shared between the audio callbacks and the main thread.
#pragma once
#include <atomic>
#include <cstdint>

#include <kissfft/kiss_fft.h>
#include <portaudio.h>

#include "assets/demo_track.h"
#include "audio/analysis_results.h"
#include "audio/song_ring.h"

constexpr int windowFrames = 1024;

// What the capture and playback streams share with the main thread: the layout of the captured
// buffers, and the demo track with its cursor and mute.
struct StreamState {
    std::atomic<uint32_t> channelCount{2};
    std::atomic<bool> playbackMuted{false};  // playback sends zeros while the track is still analysed
    const float* demoSamples = nullptr;
    std::atomic<uint32_t> demoPosition{0};
    uint32_t demoLength = demoTrackFrames;
    // The ring a playing song comes from; set only while no song stream runs.
    SongRing* songRing = nullptr;
};

// The record the audio callbacks work on: the streams' shared state, the analysis's own buffers,
// which belong to the audio thread alone, and the results it leaves for the main thread.
struct AudioContext {
    StreamState streams;
    AnalysisResults results;
    kiss_fft_cfg fftConfig = nullptr;
    kiss_fft_cpx sampleWindow[windowFrames];  // FFT input
    kiss_fft_cpx spectrum[windowFrames];      // FFT output
    uint32_t bandBins[bandCountFixed] = {};   // first FFT bin of each band
    // Resets requested by the main thread; the audio thread clears its own buffers when it sees one.
    std::atomic<uint32_t> resetRequests{0};
    uint32_t resetsApplied = 0;
};

// Floats per frame in the callbacks' buffers, the sample window and the spectrum: interleaved
// stereo takes two, and every other channel count is read as one.
uint32_t floatsPerFrame(const AudioContext& context);

// Fills a fresh record for use with the callbacks: the given FFT configuration, all statistics, the
// window and the spectrum cleared, the band bins, stereo, and the embedded demo track at frame 0.
void prepareAudioContext(AudioContext& context, kiss_fft_cfg fftConfig);

// Clears the analysis state (levels, history, window, spectrum, beat and silence state, demo position).
// The values the main thread can see are cleared at once; the window and the spectrum, which only the
// audio thread touches, are cleared by the next callback before it copies its buffer in.
void resetAnalysis(AudioContext& context);

int onCaptureBuffer(const void* input, void* output, unsigned long frameCount,
                    const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags,
                    void* userData);
int onPlaybackBuffer(const void* input, void* output, unsigned long frameCount,
                     const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags,
                     void* userData);
// Plays the song ring's frames (silence while paused, or where the decoder has fallen behind) and
// analyses what it plays; muted, it sends zeros while the song is still analysed.
int onSongBuffer(const void* input, void* output, unsigned long frameCount,
                 const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags statusFlags,
                 void* userData);
