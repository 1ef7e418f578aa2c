// Writing an MP4 file: H.264 video (libx264) from RGBA frames and AAC-LC sound from float samples.
#pragma once
#include <cstdint>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
struct AVAudioFifo;

struct VideoSettings {
    const char* path = nullptr;     // the file written (the caller's temporary name)
    const char* shownName = nullptr;  // the name failures print (the final output's name)
    int width = 0;                  // even
    int height = 0;                 // even
    int fps = 60;
    int crf = 18;
    const char* preset = "medium";  // x264's speed preset
    int audioRate = 44100;          // see aacRateFor
    int audioChannels = 2;          // 1 or 2
};

struct VideoWriter {
    AVFormatContext* container = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVFrame* picture = nullptr;      // YUV 4:2:0 frame handed to x264
    AVFrame* sound = nullptr;        // one AAC frame of planar float
    AVPacket* packet = nullptr;
    SwsContext* converter = nullptr;  // RGBA to YUV 4:2:0, BT.709, limited range
    AVAudioFifo* soundQueue = nullptr;  // samples waiting for a whole AAC frame
    int videoStream = -1;
    int audioStream = -1;
    int64_t framesWritten = 0;
    int64_t samplesWritten = 0;
    bool headerWritten = false;
    int64_t conversionNanoseconds = 0;  // spent converting RGBA to YUV, for the render's figures
    bool finished = false;   // the trailer is written and the file closed
    char failure[512] = {};  // "FILE: reason", set when a call fails
    char shownName[512] = {};  // the name failures print
};

// The rate the AAC track uses for a song of songRate Hz: the song's own where AAC has it, else 48000.
int aacRateFor(int songRate);

// Finds the encoders, creates the file and writes the header (the index goes to the front when the
// file is finished). Returns 0, or codeNoEncoder, codeOutputFolder (the file cannot be created) or
// codeWriteFailed, with writer.failure set.
int openVideoWriter(const VideoSettings& settings, VideoWriter& writer);

// Converts and encodes one frame of width x height RGBA pixels; rowStride is the distance in bytes
// from one row to the next one down the picture, negative for rows stored bottom-up (as OpenGL reads
// them, with rgba then pointing at the last row in memory). Returns 0 or codeWriteFailed.
int writeVideoFrame(VideoWriter& writer, const uint8_t* rgba, int rowStride);

// Queues frames interleaved float samples and encodes every whole AAC frame. Returns 0 or codeWriteFailed.
int writeAudioSamples(VideoWriter& writer, const float* interleaved, int frames);

// Encodes what is queued, flushes both encoders and writes the trailer (moving the index to the
// front). Returns 0 or codeWriteFailed.
int finishVideoWriter(VideoWriter& writer);

// Closes the file and frees everything; safe on a half-built or closed record. Does not delete the file.
void closeVideoWriter(VideoWriter& writer);
