// Turns an output device's mix-format packets into 44100 Hz stereo float buffers of 1024 frames.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint32_t loopbackOutputRate = 44100;
constexpr uint32_t loopbackBufferFrames = 1024;
constexpr uint32_t loopbackMinInputRate = 8000;
constexpr uint32_t loopbackMaxInputRate = 384000;
constexpr uint32_t loopbackMaxChannels = 8;
// Frames converted to stereo at a time; packets of any length are split into pieces of this size.
constexpr uint32_t loopbackChunkFrames = 512;
// Fractional positions between two input frames with their own coefficient row; positions in
// between blend the two nearest rows.
constexpr uint32_t loopbackPhaseCount = 256;

// Speaker positions of a channel mask, as in WAVEFORMATEXTENSIBLE; interleaved channels appear in
// the order of their bits.
constexpr uint32_t speakerFrontLeft = 0x1;
constexpr uint32_t speakerFrontRight = 0x2;
constexpr uint32_t speakerFrontCentre = 0x4;

// The centre channel of a surround mix enters both sides at -3 dB, so dialogue and centred vocals
// reach the analysis; the low-frequency and surround channels are left out.
constexpr float loopbackCentreGain = 0.70710678f;

// A device's packet layout: interleaved frames of `channels` samples, each `containerBits` wide and
// little-endian. Integer samples carry `validBits` from the top of their container (24-in-32 has 32
// and 24); float samples are IEEE 32-bit.
struct LoopbackFormat {
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    uint32_t containerBits = 0;
    uint32_t validBits = 0;
    uint32_t channelMask = 0;  // 0 when the speaker positions are unknown
    bool isFloat = false;
};

// Receives each completed buffer of loopbackBufferFrames interleaved stereo frames.
using LoopbackBufferSink = void (*)(const float* stereo, void* user);

// Gathers stereo frames and hands every full buffer to the sink, in order.
struct LoopbackAccumulator {
    float buffer[2 * loopbackBufferFrames] = {};
    uint32_t filled = 0;        // frames waiting in buffer
    uint64_t totalFrames = 0;   // frames taken in since creation, the waiting ones included
    LoopbackBufferSink sink = nullptr;
    void* user = nullptr;
};

// A streaming windowed-sinc resampler (Kaiser window, interpolated polyphase rows) from one input
// rate to loopbackOutputRate. The next output lies fraction / denominator frames after the history
// frame `centre`; the rate ratio is kept exactly as step / denominator, so no drift builds up.
struct LoopbackResampler {
    uint32_t inputRate = 0;
    uint32_t step = 0;
    uint32_t denominator = 1;
    uint32_t halfTaps = 0;
    uint32_t capacity = 0;     // frames the history holds
    float* rows = nullptr;     // loopbackPhaseCount + 1 rows of 2 * halfTaps coefficients
    float* history = nullptr;  // capacity interleaved stereo frames
    uint32_t held = 0;
    uint32_t centre = 0;
    uint32_t fraction = 0;
};

// A device format, its resampler and the converted piece being resampled.
struct LoopbackConverter {
    LoopbackFormat format;
    LoopbackResampler resampler;
    float stereo[2 * loopbackChunkFrames] = {};
};

// Keeps the analysis at real-time pace while no packets arrive. Clock readings and frame counts are
// in output frames; origin is the reading at which the first delivered frame was due.
struct LoopbackPace {
    int64_t origin = 0;
    int64_t lastPacket = 0;
};

// Delivery may fall this far behind the clock before silence is fed, and only once no packet has
// arrived for the idle limit; a longer stall than the catch-up limit is not made up.
constexpr int64_t loopbackLagLimit = loopbackOutputRate / 20;
constexpr int64_t loopbackIdleLimit = loopbackOutputRate / 20;
constexpr int64_t loopbackCatchUpLimit = loopbackOutputRate;

bool loopbackFormatSupported(const LoopbackFormat& format);
uint32_t loopbackFrameBytes(const LoopbackFormat& format);

// Writes frames interleaved stereo frames: mono goes to both sides, more channels give front left and
// front right with the centre folded in. The format must be supported.
void convertToStereo(const LoopbackFormat& format, const unsigned char* data, uint32_t frames,
                     float* stereo);

void prepareLoopbackAccumulator(LoopbackAccumulator& accumulator, LoopbackBufferSink sink, void* user);
// Null frames read as silence.
void accumulateFrames(LoopbackAccumulator& accumulator, const float* stereo, uint32_t frames);

// False for a rate outside [loopbackMinInputRate, loopbackMaxInputRate] or when memory runs out.
// Replaces whatever the record held; 44100 Hz input passes through unchanged.
bool createLoopbackResampler(LoopbackResampler& resampler, uint32_t inputRate);
// Safe on a record that was never created or is already destroyed.
void destroyLoopbackResampler(LoopbackResampler& resampler);
// Null frames read as silence. Allocates nothing.
void resampleInto(LoopbackResampler& resampler, const float* stereo, uint32_t frames,
                  LoopbackAccumulator& accumulator);

bool createLoopbackConverter(LoopbackConverter& converter, const LoopbackFormat& format);
void destroyLoopbackConverter(LoopbackConverter& converter);
// Converts, resamples and accumulates one packet of any length; null data reads as silence.
void feedLoopbackPacket(LoopbackConverter& converter, const unsigned char* data, uint32_t frames,
                        LoopbackAccumulator& accumulator);
// Input frames that yield at least outputFrames output frames at the given input rate.
uint64_t loopbackInputFramesFor(uint32_t inputRate, uint64_t outputFrames);

void noteLoopbackPacket(LoopbackPace& pace, int64_t clock);
// Output frames of silence to feed now so that delivered frames catch up with the clock.
int64_t loopbackSilenceDue(LoopbackPace& pace, int64_t clock, int64_t delivered);

// Copies source into destination, cut to capacity - 1 bytes without splitting a UTF-8 character,
// always terminated when capacity is at least 1.
void copyTruncatedUtf8(char* destination, size_t capacity, const char* source);
