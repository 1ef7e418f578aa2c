// The encoder thread of a render: takes read-back frames, converts and encodes them with the song's
// own sound, and writes the file, while the main thread draws the next frames.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "media/song_reader.h"
#include "media/video_writer.h"

// Frames that wait between the drawing and the encoding; the main thread waits when all are full.
constexpr int encoderQueueSlots = 3;

struct EncoderJob {
    VideoSettings video;           // the file, the size, the rate and x264's settings
    const char* songPath = nullptr;  // the song is read a second time for the sound track
    int64_t firstFrame = 0;        // the video starts at firstFrame / fps seconds of the song
    double endSeconds = -1.0;      // the sound ends here at the latest; negative: the song's end
};

struct VideoEncoder {
    VideoWriter writer;
    SongReader sound;
    EncoderJob job;
    int64_t soundSkip = 0;         // song frames before the video's start, at the track's rate
    int64_t soundLimit = -1;       // frames of the track at most; negative: the whole rest
    int64_t soundWritten = 0;
    float* soundChunk = nullptr;
    uint8_t* slots[encoderQueueSlots] = {};
    bool slotFull[encoderQueueSlots] = {};
    int64_t framesQueued = 0;      // main thread's count; slot of frame n is n % slots
    int64_t framesEncoded = 0;
    bool finishing = false;
    bool cancelled = false;        // finishing without completing the file
    std::atomic<int> failure{0};   // an exit code once the thread has failed
    std::atomic<int64_t> conversionNanoseconds{0};  // the encoder thread's, read once it has ended
    std::atomic<int64_t> encodeNanoseconds{0};
    int64_t queueWaitNanoseconds = 0;  // the main thread's waits for a free slot
    std::mutex lock;
    std::condition_variable changed;
    std::thread thread;
    bool running = false;
};

// Opens the song's sound track, the file and the thread. Returns 0 or an exit code, with the one-line
// failure in failureLine; everything is released on failure.
int openVideoEncoder(const EncoderJob& job, VideoEncoder& encoder, char* failureLine, size_t capacity);

// Queues one frame of RGBA rows, bottom row first, copying it; waits while the queue is full.
// Returns 0, or the thread's exit code once it has failed.
int queueVideoFrame(VideoEncoder& encoder, const uint8_t* rgba);

// Waits for the queued frames, ends the sound track and finishes the file. Returns 0 or an exit code,
// with the one-line failure in failureLine.
int finishVideoEncoder(VideoEncoder& encoder, char* failureLine, size_t capacity);

// Stops the thread and releases everything; safe on a half-built, failed or finished record.
void closeVideoEncoder(VideoEncoder& encoder);
