// Decoding a song file as it plays: any audio FFmpeg reads, resampled to a chosen rate and channel count.
#pragma once
#include <cstddef>
#include <cstdint>

struct AVFormatContext;
struct AVCodecContext;
struct SwrContext;
struct AVPacket;
struct AVFrame;

// One open song. The reader holds a few packets' worth of sound at most, never the whole song.
struct SongReader {
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int streamIndex = -1;
    int outputRate = 0;
    int outputChannels = 0;
    float* pending = nullptr;     // resampled frames not yet handed out
    int pendingCapacity = 0;      // in frames
    int pendingStart = 0;
    int pendingCount = 0;
    int64_t framesDelivered = 0;  // output frames handed out so far, silence for gaps included
    bool inputEnded = false;
    bool drained = false;
    char failure[512] = {};       // "FILE: reason", set when an open fails
    // The song's own format as the resampler was last set up for it; a change rebuilds the resampler.
    int inputRate = 0;
    int inputFormat = -1;
    int inputChannels = 0;
    int inputOrder = -1;
    uint64_t inputMask = 0;
    int64_t startTime = INT64_MIN;  // the stream's first timestamp, in its time base (INT64_MIN: not known yet)
    int64_t endFrames = -1;         // the container's length in output frames, -1 when unknown
    int64_t silenceOwed = 0;        // output frames of silence due before the pending ones (a gap)
    int64_t packetsSkipped = 0;     // packets or frames that failed to decode
    int drainErrors = 0;            // decoder errors after the input ended
};

// Opens path and prepares decoding to outputRate Hz, outputChannels (1 or 2) interleaved float.
// Returns 0, or codeSongMissing, codeSongIsFolder, codeSongUnreadable, codeNotSound or
// codeNoAudioStream (platform/exit_codes.h) with reader.failure set; a failed open leaves the
// record closed.
int openSongReader(const char* path, int outputRate, int outputChannels, SongReader& reader);

// Fills up to frames frames; returns how many, fewer only at the end of the song (0 after it).
// Damaged data never stops the song: packets that fail to decode are skipped and the time they
// covered comes out as silence.
int readSongFrames(SongReader& reader, float* interleaved, int frames);

// The file's own sample rate and channel count.
int songSampleRate(const SongReader& reader);
int songChannelCount(const SongReader& reader);

// The container's estimate of the length in seconds, or a negative number when it has none.
double songDurationEstimate(const SongReader& reader);

// The song's tag named key ("title", "artist"), from the file or its sound stream, in UTF-8 cut to
// capacity - 1 bytes; empty when it has none.
void songTag(const SongReader& reader, const char* key, char* text, size_t capacity);

// Keeps FFmpeg from printing its own messages about damaged or unusual files.
void silenceMediaMessages();

// Frees everything; safe on a half-built or closed record.
void closeSongReader(SongReader& reader);
