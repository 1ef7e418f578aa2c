// Sample conversion, band-limited resampling to 44100 Hz and 1024-frame buffering of loopback packets.
#include "platform/loopback_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Stopband rejection the filter is designed for; the stopband begins at the lower of the two rates'
// Nyquist frequencies and the passband ends at passbandShare of it.
constexpr double stopbandDecibels = 100.0;
constexpr double passbandShare = 0.9;
constexpr double pi = 3.14159265358979323846;

struct StereoPick {
    uint32_t left = 0;
    uint32_t right = 0;
    uint32_t centre = 0;
    bool foldCentre = false;
};

// Position of a speaker among the interleaved channels: the number of mask bits below it.
uint32_t channelIndexOf(uint32_t mask, uint32_t speaker)
{
    return static_cast<uint32_t>(__builtin_popcount(mask & (speaker - 1)));
}

bool maskPlacesFront(const LoopbackFormat& format)
{
    const uint32_t front = speakerFrontLeft | speakerFrontRight;
    return (format.channelMask & front) == front &&
           channelIndexOf(format.channelMask, speakerFrontRight) < format.channels;
}

// Without a usable mask the first two channels are taken as left and right, and nothing is folded.
StereoPick stereoPickOf(const LoopbackFormat& format)
{
    StereoPick pick;
    if (format.channels == 1) return pick;
    pick.right = 1;
    if (!maskPlacesFront(format)) return pick;
    pick.left = channelIndexOf(format.channelMask, speakerFrontLeft);
    pick.right = channelIndexOf(format.channelMask, speakerFrontRight);
    pick.centre = channelIndexOf(format.channelMask, speakerFrontCentre);
    pick.foldCentre = (format.channelMask & speakerFrontCentre) != 0 && pick.centre < format.channels;
    return pick;
}

// Integer samples are gathered into the top of 32 bits, so every width scales by the same 2^-31;
// bits below the valid ones are padding and are cleared.
float integerSample(const unsigned char* sample, uint32_t bytes, uint32_t validBits)
{
    uint32_t word = 0;
    for (uint32_t b = 0; b < bytes; ++b) word |= uint32_t(sample[b]) << (8 * (4 - bytes + b));
    word &= ~((uint32_t(1) << (32 - validBits)) - 1);
    return float(static_cast<int32_t>(word)) * (1.0f / 2147483648.0f);
}

float sampleAt(const LoopbackFormat& format, const unsigned char* sample)
{
    if (!format.isFloat) return integerSample(sample, format.containerBits / 8, format.validBits);
    float value;
    std::memcpy(&value, sample, sizeof value);
    return value;
}

double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 200 && term > 1e-16 * sum; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

double kaiserBeta()
{
    return 0.1102 * (stopbandDecibels - 8.7);
}

// Lower of the two Nyquist frequencies, in cycles per input frame.
double stopbandEdge(uint32_t inputRate)
{
    return 0.5 * std::min(inputRate, loopbackOutputRate) / double(inputRate);
}

// Kaiser's estimate of the length reaching the designed rejection across the transition band.
uint32_t halfTapsFor(uint32_t inputRate)
{
    const double transition = (1.0 - passbandShare) * stopbandEdge(inputRate);
    const double length = (stopbandDecibels - 7.95) / (2.285 * 2.0 * pi * transition);
    return static_cast<uint32_t>(std::ceil(length / 2.0)) + 1;
}

// The windowed-sinc kernel at offset t input frames from its centre; zero from halfTaps on.
double kernelAt(double t, double cutoff, uint32_t halfTaps)
{
    const double reach = t / halfTaps;
    if (std::fabs(reach) >= 1.0) return 0.0;
    const double x = 2.0 * cutoff * t;
    const double sinc = x == 0.0 ? 1.0 : std::sin(pi * x) / (pi * x);
    const double window = besselI0(kaiserBeta() * std::sqrt(1.0 - reach * reach)) / besselI0(kaiserBeta());
    return 2.0 * cutoff * sinc * window;
}

// Row p serves outputs p / loopbackPhaseCount of a frame after the centre frame; tap j multiplies
// history frame centre - halfTaps + 1 + j. Each row sums to one, so every phase passes DC alike.
void fillRows(LoopbackResampler& resampler)
{
    const uint32_t taps = 2 * resampler.halfTaps;
    const double edge = stopbandEdge(resampler.inputRate);
    const double cutoff = 0.5 * (1.0 + passbandShare) * edge;
    for (uint32_t p = 0; p <= loopbackPhaseCount; ++p) {
        float* row = resampler.rows + size_t(p) * taps;
        const double offset = double(p) / loopbackPhaseCount + resampler.halfTaps - 1.0;
        double sum = 0.0;
        for (uint32_t j = 0; j < taps; ++j) sum += kernelAt(offset - j, cutoff, resampler.halfTaps);
        for (uint32_t j = 0; j < taps; ++j)
            row[j] = float(kernelAt(offset - j, cutoff, resampler.halfTaps) / sum);
    }
}

bool passesThrough(const LoopbackResampler& resampler)
{
    return resampler.step == resampler.denominator;
}

// The history starts with halfTaps - 1 silent frames so the first output lies on the first input frame.
void resetHistory(LoopbackResampler& resampler)
{
    resampler.held = resampler.halfTaps - 1;
    resampler.centre = resampler.halfTaps - 1;
    resampler.fraction = 0;
    std::fill(resampler.history, resampler.history + 2 * size_t(resampler.held), 0.0f);
}

void appendHistory(LoopbackResampler& resampler, const float* stereo, uint32_t frames)
{
    float* end = resampler.history + 2 * size_t(resampler.held);
    if (stereo == nullptr)
        std::fill(end, end + 2 * size_t(frames), 0.0f);
    else
        std::copy(stereo, stereo + 2 * size_t(frames), end);
    resampler.held += frames;
}

void accumulateFrame(LoopbackAccumulator& accumulator, float left, float right)
{
    accumulator.buffer[2 * accumulator.filled] = left;
    accumulator.buffer[2 * accumulator.filled + 1] = right;
    ++accumulator.totalFrames;
    if (++accumulator.filled < loopbackBufferFrames) return;
    accumulator.filled = 0;
    if (accumulator.sink != nullptr) accumulator.sink(accumulator.buffer, accumulator.user);
}

// Filters the history around the next output's instant with the two nearest rows and blends them.
void emitOutput(const LoopbackResampler& resampler, LoopbackAccumulator& accumulator)
{
    const uint32_t taps = 2 * resampler.halfTaps;
    const uint64_t scaled = uint64_t(resampler.fraction) * loopbackPhaseCount;
    const uint64_t phase = scaled / resampler.denominator;
    const float blend = float(scaled % resampler.denominator) / float(resampler.denominator);
    const float* lower = resampler.rows + phase * taps;
    const float* upper = lower + taps;
    const float* frames = resampler.history + 2 * size_t(resampler.centre + 1 - resampler.halfTaps);
    float lowerLeft = 0.0f, lowerRight = 0.0f, upperLeft = 0.0f, upperRight = 0.0f;
    for (uint32_t j = 0; j < taps; ++j) {
        lowerLeft += lower[j] * frames[2 * j];
        lowerRight += lower[j] * frames[2 * j + 1];
        upperLeft += upper[j] * frames[2 * j];
        upperRight += upper[j] * frames[2 * j + 1];
    }
    accumulateFrame(accumulator, lowerLeft + blend * (upperLeft - lowerLeft),
                    lowerRight + blend * (upperRight - lowerRight));
}

void emitReadyOutputs(LoopbackResampler& resampler, LoopbackAccumulator& accumulator)
{
    while (resampler.centre + resampler.halfTaps < resampler.held) {
        emitOutput(resampler, accumulator);
        resampler.fraction += resampler.step;
        resampler.centre += resampler.fraction / resampler.denominator;
        resampler.fraction %= resampler.denominator;
    }
}

// Keeps only the frames later outputs still reach. The kernel is wider than one output's advance,
// so the centre never runs past the history and at most 2 * halfTaps - 1 frames stay.
void dropConsumedHistory(LoopbackResampler& resampler)
{
    const uint32_t first = resampler.centre + 1 - resampler.halfTaps;
    std::copy(resampler.history + 2 * size_t(first), resampler.history + 2 * size_t(resampler.held),
              resampler.history);
    resampler.held -= first;
    resampler.centre -= first;
}

uint32_t greatestCommonDivisor(uint32_t a, uint32_t b)
{
    while (b != 0) {
        const uint32_t rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

}  // namespace

bool loopbackFormatSupported(const LoopbackFormat& format)
{
    if (format.sampleRate < loopbackMinInputRate || format.sampleRate > loopbackMaxInputRate) return false;
    if (format.channels < 1 || format.channels > loopbackMaxChannels) return false;
    if (format.isFloat) return format.containerBits == 32 && format.validBits == 32;
    const bool knownContainer =
        format.containerBits == 16 || format.containerBits == 24 || format.containerBits == 32;
    return knownContainer && format.validBits >= 8 && format.validBits <= format.containerBits;
}

uint32_t loopbackFrameBytes(const LoopbackFormat& format)
{
    return format.channels * (format.containerBits / 8);
}

void convertToStereo(const LoopbackFormat& format, const unsigned char* data, uint32_t frames,
                     float* stereo)
{
    const StereoPick pick = stereoPickOf(format);
    const uint32_t sampleBytes = format.containerBits / 8;
    const uint32_t frameBytes = loopbackFrameBytes(format);
    for (uint32_t i = 0; i < frames; ++i) {
        const unsigned char* frame = data + size_t(i) * frameBytes;
        float left = sampleAt(format, frame + pick.left * sampleBytes);
        float right = sampleAt(format, frame + pick.right * sampleBytes);
        if (pick.foldCentre) {
            const float centre = loopbackCentreGain * sampleAt(format, frame + pick.centre * sampleBytes);
            left += centre;
            right += centre;
        }
        stereo[2 * i] = left;
        stereo[2 * i + 1] = right;
    }
}

void prepareLoopbackAccumulator(LoopbackAccumulator& accumulator, LoopbackBufferSink sink, void* user)
{
    accumulator.filled = 0;
    accumulator.totalFrames = 0;
    accumulator.sink = sink;
    accumulator.user = user;
}

void accumulateFrames(LoopbackAccumulator& accumulator, const float* stereo, uint32_t frames)
{
    for (uint32_t i = 0; i < frames; ++i) {
        if (stereo == nullptr)
            accumulateFrame(accumulator, 0.0f, 0.0f);
        else
            accumulateFrame(accumulator, stereo[2 * i], stereo[2 * i + 1]);
    }
}

bool createLoopbackResampler(LoopbackResampler& resampler, uint32_t inputRate)
{
    destroyLoopbackResampler(resampler);
    if (inputRate < loopbackMinInputRate || inputRate > loopbackMaxInputRate) return false;
    const uint32_t divisor = greatestCommonDivisor(inputRate, loopbackOutputRate);
    resampler.inputRate = inputRate;
    resampler.step = inputRate / divisor;
    resampler.denominator = loopbackOutputRate / divisor;
    if (passesThrough(resampler)) return true;
    resampler.halfTaps = halfTapsFor(inputRate);
    resampler.capacity = 2 * resampler.halfTaps + loopbackChunkFrames;
    resampler.rows = new (std::nothrow) float[size_t(loopbackPhaseCount + 1) * 2 * resampler.halfTaps];
    resampler.history = new (std::nothrow) float[2 * size_t(resampler.capacity)];
    if (resampler.rows == nullptr || resampler.history == nullptr) {
        destroyLoopbackResampler(resampler);
        return false;
    }
    fillRows(resampler);
    resetHistory(resampler);
    return true;
}

void destroyLoopbackResampler(LoopbackResampler& resampler)
{
    delete[] resampler.rows;
    delete[] resampler.history;
    resampler = LoopbackResampler{};
}

void resampleInto(LoopbackResampler& resampler, const float* stereo, uint32_t frames,
                  LoopbackAccumulator& accumulator)
{
    if (passesThrough(resampler)) {
        accumulateFrames(accumulator, stereo, frames);
        return;
    }
    // Without a history (never created, or creation failed) nothing could ever be taken in.
    if (resampler.capacity == 0) return;
    while (frames > 0) {
        const uint32_t taken = std::min(frames, resampler.capacity - resampler.held);
        appendHistory(resampler, stereo, taken);
        if (stereo != nullptr) stereo += 2 * size_t(taken);
        frames -= taken;
        emitReadyOutputs(resampler, accumulator);
        dropConsumedHistory(resampler);
    }
}

bool createLoopbackConverter(LoopbackConverter& converter, const LoopbackFormat& format)
{
    destroyLoopbackConverter(converter);
    if (!loopbackFormatSupported(format) || !createLoopbackResampler(converter.resampler, format.sampleRate))
        return false;
    converter.format = format;
    return true;
}

void destroyLoopbackConverter(LoopbackConverter& converter)
{
    destroyLoopbackResampler(converter.resampler);
    converter.format = LoopbackFormat{};
}

void feedLoopbackPacket(LoopbackConverter& converter, const unsigned char* data, uint32_t frames,
                        LoopbackAccumulator& accumulator)
{
    // A converter that was never created, or failed to be, holds no supported format.
    if (!loopbackFormatSupported(converter.format)) return;
    const uint32_t frameBytes = loopbackFrameBytes(converter.format);
    while (frames > 0) {
        const uint32_t piece = std::min(frames, loopbackChunkFrames);
        if (data == nullptr) {
            resampleInto(converter.resampler, nullptr, piece, accumulator);
        } else {
            convertToStereo(converter.format, data, piece, converter.stereo);
            resampleInto(converter.resampler, converter.stereo, piece, accumulator);
            data += size_t(piece) * frameBytes;
        }
        frames -= piece;
    }
}

uint64_t loopbackInputFramesFor(uint32_t inputRate, uint64_t outputFrames)
{
    return (outputFrames * inputRate + loopbackOutputRate - 1) / loopbackOutputRate;
}

void noteLoopbackPacket(LoopbackPace& pace, int64_t clock)
{
    pace.lastPacket = clock;
}

// A device whose clock runs ahead moves the origin with it, so the lag limit keeps its meaning.
int64_t loopbackSilenceDue(LoopbackPace& pace, int64_t clock, int64_t delivered)
{
    int64_t lag = clock - pace.origin - delivered;
    if (lag < 0) {
        pace.origin += lag;
        lag = 0;
    }
    if (lag > loopbackCatchUpLimit) {
        pace.origin += lag - loopbackCatchUpLimit;
        lag = loopbackCatchUpLimit;
    }
    const bool idle = clock - pace.lastPacket > loopbackIdleLimit;
    return idle && lag > loopbackLagLimit ? lag : 0;
}

void copyTruncatedUtf8(char* destination, size_t capacity, const char* source)
{
    if (destination == nullptr || capacity == 0) return;
    size_t length = source == nullptr ? 0 : std::strlen(source);
    if (length > capacity - 1) {
        length = capacity - 1;
        // A continuation byte just past the cut means the last character would be split.
        while (length > 0 && (static_cast<unsigned char>(source[length]) & 0xC0) == 0x80) --length;
    }
    if (length > 0) std::memcpy(destination, source, length);
    destination[length] = '\0';
}
