// Tests of the loopback packet conversion, the resampler to 44100 Hz, the buffer accumulator and the pacing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/loopback_format.h"

namespace {

constexpr double pi = 3.141592653589793;

// Every buffer the accumulator hands over, concatenated, and how many there were.
struct Collected {
    std::vector<float> frames;
    int buffers = 0;
};

void collectBuffer(const float* stereo, void* user)
{
    Collected& collected = *static_cast<Collected*>(user);
    collected.frames.insert(collected.frames.end(), stereo, stereo + 2 * loopbackBufferFrames);
    ++collected.buffers;
}

LoopbackFormat formatOf(uint32_t rate, uint32_t channels, uint32_t container, uint32_t valid, bool isFloat,
                        uint32_t mask = 0)
{
    LoopbackFormat format;
    format.sampleRate = rate;
    format.channels = channels;
    format.containerBits = container;
    format.validBits = valid;
    format.isFloat = isFloat;
    format.channelMask = mask;
    return format;
}

LoopbackFormat floatStereo(uint32_t rate)
{
    return formatOf(rate, 2, 32, 32, true);
}

std::vector<unsigned char> bytesOf(const std::vector<float>& samples)
{
    std::vector<unsigned char> bytes(samples.size() * sizeof(float));
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

void appendLittleEndian(std::vector<unsigned char>& bytes, uint32_t value, int size)
{
    for (int b = 0; b < size; ++b) bytes.push_back(static_cast<unsigned char>(value >> (8 * b)));
}

std::vector<float> converted(const LoopbackFormat& format, const std::vector<unsigned char>& bytes)
{
    const uint32_t frames = static_cast<uint32_t>(bytes.size() / loopbackFrameBytes(format));
    std::vector<float> stereo(2 * frames);
    convertToStereo(format, bytes.data(), frames, stereo.data());
    return stereo;
}

// Stereo sine: the left side at amplitude, the right at half of it.
std::vector<float> sineFrames(double frequency, uint32_t rate, size_t frames, double amplitude = 0.5)
{
    std::vector<float> stereo(2 * frames);
    for (size_t i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2.0 * pi * frequency * double(i) / rate);
        stereo[2 * i] = float(value);
        stereo[2 * i + 1] = float(0.5 * value);
    }
    return stereo;
}

// Deterministic white noise in [-0.5, 0.5).
std::vector<float> noiseFrames(size_t frames)
{
    std::vector<float> stereo(2 * frames);
    uint32_t state = 12345;
    for (float& sample : stereo) {
        state = state * 1664525u + 1013904223u;
        sample = float(state >> 8) / 16777216.0f - 0.5f;
    }
    return stereo;
}

// Feeds a float stereo signal through a converter in the given packet sizes, repeated until the
// signal is used up; returns every output frame, the waiting partial buffer included.
std::vector<float> resampled(uint32_t rate, const std::vector<float>& stereo,
                             const std::vector<uint32_t>& packets = {4096})
{
    LoopbackConverter converter;
    EXPECT_TRUE(createLoopbackConverter(converter, floatStereo(rate)));
    Collected collected;
    LoopbackAccumulator accumulator;
    prepareLoopbackAccumulator(accumulator, collectBuffer, &collected);
    const std::vector<unsigned char> bytes = bytesOf(stereo);
    const uint32_t total = static_cast<uint32_t>(stereo.size() / 2);
    for (uint32_t done = 0, n = 0; done < total; ++n) {
        const uint32_t size = std::min(packets[n % packets.size()], total - done);
        feedLoopbackPacket(converter, bytes.data() + size_t(done) * 8, size, accumulator);
        done += size;
    }
    destroyLoopbackConverter(converter);
    collected.frames.insert(collected.frames.end(), accumulator.buffer, accumulator.buffer + 2 * accumulator.filled);
    return collected.frames;
}

// Amplitude of one channel's component at a whole-hertz frequency over exactly one second of
// output from frame `start`: a second holds whole cycles of it, so other whole-hertz components and
// DC project to zero.
double amplitudeAt(const std::vector<float>& stereo, int channel, double frequency, size_t start)
{
    const size_t count = loopbackOutputRate;
    double sine = 0.0, cosine = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double angle = 2.0 * pi * frequency * double(i) / loopbackOutputRate;
        sine += stereo[2 * (start + i) + channel] * std::sin(angle);
        cosine += stereo[2 * (start + i) + channel] * std::cos(angle);
    }
    return 2.0 * std::hypot(sine, cosine) / count;
}

double rmsOf(const std::vector<float>& stereo, int channel, size_t start, size_t count)
{
    double sum = 0.0;
    for (size_t i = start; i < start + count; ++i) sum += double(stereo[2 * i + channel]) * stereo[2 * i + channel];
    return std::sqrt(sum / count);
}

double decibels(double ratio)
{
    return 20.0 * std::log10(ratio);
}

// The largest deviation from unity gain, in dB, of 1.2 s sines at the given frequencies, both channels.
double passbandDeviation(uint32_t rate, const std::vector<double>& frequencies)
{
    double worst = 0.0;
    for (double frequency : frequencies) {
        const std::vector<float> out = resampled(rate, sineFrames(frequency, rate, rate * 12 / 10));
        worst = std::max(worst, std::fabs(decibels(amplitudeAt(out, 0, frequency, 2000) / 0.5)));
        worst = std::max(worst, std::fabs(decibels(amplitudeAt(out, 1, frequency, 2000) / 0.25)));
    }
    return worst;
}

// Attenuation in dB of a tone at amplitude 0.5, from the output's RMS after the filter has settled.
double attenuationOf(uint32_t rate, double frequency)
{
    const std::vector<float> out = resampled(rate, sineFrames(frequency, rate, rate * 12 / 10));
    return -decibels(rmsOf(out, 0, 2000, loopbackOutputRate) * std::sqrt(2.0) / 0.5);
}

// Frequency from interpolated rising zero crossings of the left channel.
double measuredFrequency(const std::vector<float>& stereo, size_t start)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (size_t i = start; i + 1 < stereo.size() / 2; ++i) {
        const double a = stereo[2 * i], b = stereo[2 * (i + 1)];
        if (!(a < 0.0 && b >= 0.0)) continue;
        const double at = double(i) + a / (a - b);
        if (first < 0.0) first = at;
        last = at;
        ++crossings;
    }
    return (crossings - 1) * double(loopbackOutputRate) / (last - first);
}

// Output frames added by `extra` input frames after a warm-up, so the filter's delay drops out.
uint64_t outputFramesFor(uint32_t rate, uint32_t extra)
{
    LoopbackConverter converter;
    EXPECT_TRUE(createLoopbackConverter(converter, floatStereo(rate)));
    LoopbackAccumulator accumulator;
    prepareLoopbackAccumulator(accumulator, nullptr, nullptr);
    feedLoopbackPacket(converter, nullptr, 10000, accumulator);
    const uint64_t before = accumulator.totalFrames;
    const uint32_t sizes[] = {441, 1, 0, 480, 1024, 7};
    for (uint32_t done = 0, n = 0; done < extra; ++n) {
        const uint32_t size = std::min(sizes[n % 6], extra - done);
        feedLoopbackPacket(converter, nullptr, size, accumulator);
        done += size;
    }
    destroyLoopbackConverter(converter);
    return accumulator.totalFrames - before;
}

TEST(LoopbackConversion, Int16ScalesByTwoToTheFifteen)
{
    std::vector<unsigned char> bytes;
    for (int16_t value : {int16_t(-32768), int16_t(0), int16_t(16384), int16_t(32767)})
        appendLittleEndian(bytes, uint16_t(value), 2);
    const std::vector<float> out = converted(formatOf(48000, 2, 16, 16, false), bytes);
    EXPECT_EQ(out, (std::vector<float>{-1.0f, 0.0f, 0.5f, 32767.0f / 32768.0f}));
}

TEST(LoopbackConversion, Packed24BitReadsThreeLittleEndianBytes)
{
    std::vector<unsigned char> bytes;
    for (int32_t value : {-8388608, 4194304, 1, -1}) appendLittleEndian(bytes, uint32_t(value), 3);
    const std::vector<float> out = converted(formatOf(48000, 2, 24, 24, false), bytes);
    EXPECT_EQ(out, (std::vector<float>{-1.0f, 0.5f, 1.0f / 8388608.0f, -1.0f / 8388608.0f}));
}

TEST(LoopbackConversion, Int32ScalesByTwoToTheThirtyOne)
{
    std::vector<unsigned char> bytes;
    for (int32_t value : {INT32_MIN, 1 << 30, -(1 << 29), 0}) appendLittleEndian(bytes, uint32_t(value), 4);
    const std::vector<float> out = converted(formatOf(48000, 2, 32, 32, false), bytes);
    EXPECT_EQ(out, (std::vector<float>{-1.0f, 0.5f, -0.25f, 0.0f}));
}

// 24 valid bits at the top of 32: the low byte is padding whatever it holds.
TEST(LoopbackConversion, TwentyFourInThirtyTwoIgnoresThePaddingByte)
{
    std::vector<unsigned char> bytes;
    for (uint32_t value : {0x400000u << 8 | 0xFFu, 0x800000u << 8 | 0x7Fu, 1u << 8 | 0x80u, 0xFFFFFFu << 8})
        appendLittleEndian(bytes, value, 4);
    const std::vector<float> out = converted(formatOf(48000, 2, 32, 24, false), bytes);
    EXPECT_EQ(out, (std::vector<float>{0.5f, -1.0f, 1.0f / 8388608.0f, -1.0f / 8388608.0f}));
}

TEST(LoopbackConversion, FloatPassesThroughBitForBit)
{
    const std::vector<float> samples{0.1f, -0.75f, 1.5f, -3.0e-8f, 0.0f, 123.25f};
    EXPECT_EQ(converted(floatStereo(48000), bytesOf(samples)), samples);
}

TEST(LoopbackConversion, MonoGoesToBothSides)
{
    const std::vector<float> out = converted(formatOf(48000, 1, 32, 32, true), bytesOf({0.25f, -0.5f}));
    EXPECT_EQ(out, (std::vector<float>{0.25f, 0.25f, -0.5f, -0.5f}));
}

TEST(LoopbackConversion, SixChannelsGiveFrontPairWithCentreAtMinusThreeDecibels)
{
    // Front left, front right, centre, LFE, back left, back right.
    const std::vector<float> frame{0.125f, -0.25f, 0.5f, 0.75f, 0.0625f, -0.5f};
    const std::vector<float> out = converted(formatOf(48000, 6, 32, 32, true, 0x3F), bytesOf(frame));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_NEAR(out[0], 0.125 + 0.5 * std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(out[1], -0.25 + 0.5 * std::sqrt(0.5), 1e-6);
}

TEST(LoopbackConversion, EightChannelsLeaveLfeBackAndSideOut)
{
    // Front left, front right, centre, LFE, back left, back right, side left, side right.
    std::vector<unsigned char> bytes;
    for (int16_t value : {8192, -16384, 4096, 32767, 32767, -32768, 32767, -32768})
        appendLittleEndian(bytes, uint16_t(value), 2);
    const std::vector<float> out = converted(formatOf(48000, 8, 16, 16, false, 0x63F), bytes);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_NEAR(out[0], 0.25 + 0.125 * std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(out[1], -0.5 + 0.125 * std::sqrt(0.5), 1e-6);
}

TEST(LoopbackConversion, MaskWithoutCentreTakesTheFrontPairOnly)
{
    // Quad: front left, front right, back left, back right.
    const std::vector<float> frame{0.5f, -0.5f, 1.0f, 1.0f};
    const std::vector<float> out = converted(formatOf(48000, 4, 32, 32, true, 0x33), bytesOf(frame));
    EXPECT_EQ(out, (std::vector<float>{0.5f, -0.5f}));
}

TEST(LoopbackConversion, UnknownPositionsTakeTheFirstTwoChannels)
{
    const std::vector<float> frame{0.5f, -0.25f, 1.0f, 1.0f, 1.0f, 1.0f};
    EXPECT_EQ(converted(formatOf(48000, 6, 32, 32, true, 0), bytesOf(frame)), (std::vector<float>{0.5f, -0.25f}));
    EXPECT_EQ(converted(formatOf(48000, 6, 32, 32, true, 0x30C), bytesOf(frame)),
              (std::vector<float>{0.5f, -0.25f}));
}

TEST(LoopbackConversion, SupportedFormats)
{
    EXPECT_TRUE(loopbackFormatSupported(floatStereo(48000)));
    EXPECT_TRUE(loopbackFormatSupported(formatOf(44100, 8, 16, 16, false)));
    EXPECT_TRUE(loopbackFormatSupported(formatOf(96000, 1, 24, 24, false)));
    EXPECT_TRUE(loopbackFormatSupported(formatOf(192000, 6, 32, 24, false)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(48000, 2, 8, 8, false)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(48000, 2, 64, 64, true)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(48000, 2, 16, 24, false)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(48000, 0, 16, 16, false)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(48000, 9, 16, 16, false)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(4000, 2, 16, 16, false)));
    EXPECT_FALSE(loopbackFormatSupported(formatOf(768000, 2, 16, 16, false)));
    LoopbackConverter converter;
    EXPECT_FALSE(createLoopbackConverter(converter, formatOf(48000, 2, 8, 8, false)));
    destroyLoopbackConverter(converter);
}

TEST(LoopbackResampling, PassbandFlatWithinHalfADecibelFrom48000)
{
    const double deviation = passbandDeviation(48000, {20, 100, 1000, 5000, 10000, 14000, 16000});
    std::printf("48000 Hz passband, 20 Hz to 16 kHz: largest deviation %.5f dB\n", deviation);
    EXPECT_LT(deviation, 0.5);
}

TEST(LoopbackResampling, OneKilohertzKeepsItsFrequency)
{
    const std::vector<float> out = resampled(48000, sineFrames(1000.0, 48000, 10 * 48000), {480, 441, 1, 1500});
    const double frequency = measuredFrequency(out, 2000);
    std::printf("1 kHz through 48000 -> 44100 over 10 s: %.6f Hz\n", frequency);
    EXPECT_NEAR(frequency, 1000.0, 1.0);
}

TEST(LoopbackResampling, TonesAboveTheOutputNyquistAreRemovedFrom48000)
{
    const double at23k = attenuationOf(48000, 23000.0);
    const double at22500 = attenuationOf(48000, 22500.0);
    std::printf("48000 Hz input: 23 kHz attenuated %.1f dB, 22.5 kHz %.1f dB\n", at23k, at22500);
    EXPECT_GT(at23k, 80.0);
    EXPECT_GT(at22500, 80.0);
}

TEST(LoopbackResampling, PacketSplitsGiveTheSameOutput)
{
    const std::vector<float> input = noiseFrames(30000);
    const std::vector<float> whole = resampled(48000, input, {30000});
    EXPECT_EQ(resampled(48000, input, {0, 1, 2, 511, 512, 513, 0, 1, 4000, 37}), whole);
    EXPECT_EQ(resampled(48000, input, {1}), whole);
    EXPECT_EQ(resampled(96000, input, {3, 0, 700, 1}), resampled(96000, input, {30000}));
}

TEST(LoopbackResampling, OutputCountFollowsTheRateRatio)
{
    EXPECT_NEAR(double(outputFramesFor(48000, 20 * 48000)), 20.0 * 44100, 1.0);
    EXPECT_NEAR(double(outputFramesFor(96000, 10 * 96000 + 17)), (10 * 96000 + 17) * 44100.0 / 96000, 1.0);
    EXPECT_NEAR(double(outputFramesFor(16000, 10 * 16000 + 3)), (10 * 16000 + 3) * 44100.0 / 16000, 1.0);
}

TEST(LoopbackResampling, From96000FlatAndFreeOfAliases)
{
    const double deviation = passbandDeviation(96000, {20, 1000, 10000, 16000});
    const double at30k = attenuationOf(96000, 30000.0);
    const double at45k = attenuationOf(96000, 45000.0);
    std::printf("96000 Hz input: passband deviation %.5f dB, 30 kHz %.1f dB, 45 kHz %.1f dB\n", deviation, at30k,
                at45k);
    EXPECT_LT(deviation, 0.5);
    EXPECT_GT(at30k, 80.0);
    EXPECT_GT(at45k, 80.0);
}

// Upsampling from 16000 Hz: a 7 kHz tone would leave an image at 16 - 7 = 9 kHz.
TEST(LoopbackResampling, From16000FlatAndFreeOfImages)
{
    const double deviation = passbandDeviation(16000, {100, 1000, 6000});
    const std::vector<float> out = resampled(16000, sineFrames(7000.0, 16000, 16000 * 12 / 10));
    const double image = -decibels(amplitudeAt(out, 0, 9000.0, 2000) / 0.5);
    std::printf("16000 Hz input: passband deviation %.5f dB, 9 kHz image %.1f dB down\n", deviation, image);
    EXPECT_LT(deviation, 0.5);
    EXPECT_GT(image, 80.0);
}

TEST(LoopbackResampling, From44100IsAnExactCopy)
{
    const std::vector<float> input = noiseFrames(5000);
    EXPECT_EQ(resampled(44100, input, {0, 1, 1023, 1024, 2}), input);
}

TEST(LoopbackResampling, SilentPacketsGiveZeros)
{
    LoopbackConverter converter;
    ASSERT_TRUE(createLoopbackConverter(converter, formatOf(48000, 2, 16, 16, false)));
    Collected collected;
    LoopbackAccumulator accumulator;
    prepareLoopbackAccumulator(accumulator, collectBuffer, &collected);
    feedLoopbackPacket(converter, nullptr, 4800, accumulator);
    destroyLoopbackConverter(converter);
    ASSERT_EQ(collected.buffers, 4);
    for (float sample : collected.frames) ASSERT_EQ(sample, 0.0f);
}

TEST(LoopbackResampling, UncreatedOrFailedConvertersTakeNothing)
{
    LoopbackAccumulator accumulator;
    prepareLoopbackAccumulator(accumulator, nullptr, nullptr);
    const std::vector<unsigned char> bytes(8 * 100, 0x3F);
    LoopbackConverter converter;
    feedLoopbackPacket(converter, bytes.data(), 100, accumulator);
    EXPECT_FALSE(createLoopbackConverter(converter, formatOf(1000, 2, 32, 32, true)));
    feedLoopbackPacket(converter, bytes.data(), 100, accumulator);
    feedLoopbackPacket(converter, nullptr, 100, accumulator);
    LoopbackResampler resampler;
    resampleInto(resampler, nullptr, 100, accumulator);
    EXPECT_EQ(accumulator.totalFrames, 0u);
}

TEST(LoopbackResampling, RefusesRatesOutsideItsRange)
{
    LoopbackResampler resampler;
    EXPECT_FALSE(createLoopbackResampler(resampler, 0));
    EXPECT_FALSE(createLoopbackResampler(resampler, 7999));
    EXPECT_FALSE(createLoopbackResampler(resampler, 384001));
    EXPECT_TRUE(createLoopbackResampler(resampler, 384000));
    destroyLoopbackResampler(resampler);
    EXPECT_EQ(resampler.rows, nullptr);
    EXPECT_EQ(resampler.history, nullptr);
}

TEST(LoopbackResampling, InputFramesForOutputRoundUp)
{
    EXPECT_EQ(loopbackInputFramesFor(48000, 44100), 48000u);
    EXPECT_EQ(loopbackInputFramesFor(48000, 1), 2u);
    EXPECT_EQ(loopbackInputFramesFor(44100, 1234), 1234u);
    EXPECT_EQ(loopbackInputFramesFor(16000, 441), 160u);
    EXPECT_EQ(loopbackInputFramesFor(96000, 0), 0u);
}

TEST(LoopbackAccumulation, HandsOverWhole1024FrameBuffersInOrder)
{
    std::vector<float> ramp(2 * 2500);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = float(i);
    Collected collected;
    LoopbackAccumulator accumulator;
    prepareLoopbackAccumulator(accumulator, collectBuffer, &collected);
    size_t done = 0;
    for (uint32_t size : {1u, 0u, 700u, 1000u, 799u}) {
        accumulateFrames(accumulator, ramp.data() + 2 * done, size);
        done += size;
    }
    ASSERT_EQ(collected.buffers, 2);
    EXPECT_EQ(collected.frames, std::vector<float>(ramp.begin(), ramp.begin() + 2 * 2048));
    EXPECT_EQ(accumulator.filled, 452u);
    EXPECT_EQ(accumulator.totalFrames, 2500u);
    EXPECT_EQ(accumulator.buffer[0], 4096.0f);
}

TEST(LoopbackAccumulation, NullFramesAreSilence)
{
    Collected collected;
    LoopbackAccumulator accumulator;
    prepareLoopbackAccumulator(accumulator, collectBuffer, &collected);
    const std::vector<float> ones(2 * 1000, 1.0f);
    accumulateFrames(accumulator, ones.data(), 1000);
    accumulateFrames(accumulator, nullptr, 24);
    ASSERT_EQ(collected.buffers, 1);
    EXPECT_EQ(collected.frames[2 * 999 + 1], 1.0f);
    for (size_t i = 2 * 1000; i < collected.frames.size(); ++i) EXPECT_EQ(collected.frames[i], 0.0f);
}

TEST(LoopbackPacing, NoSilenceWhilePacketsKeepComing)
{
    LoopbackPace pace;
    // Packets every 441 frames (10 ms), delivery 30 ms behind the clock, then 150 ms behind as a slow
    // device clock would leave it: neither calls for silence while packets arrive.
    for (int64_t clock = 441; clock < 44100; clock += 441) {
        noteLoopbackPacket(pace, clock);
        EXPECT_EQ(loopbackSilenceDue(pace, clock, clock - 1323), 0);
    }
    noteLoopbackPacket(pace, 44100);
    EXPECT_EQ(loopbackSilenceDue(pace, 44100, 44100 - 6615), 0);
}

TEST(LoopbackPacing, SilenceCatchesUpOnceIdle)
{
    LoopbackPace pace;
    noteLoopbackPacket(pace, 1000);
    EXPECT_EQ(loopbackSilenceDue(pace, 2000, 1000), 0);   // 23 ms behind
    EXPECT_EQ(loopbackSilenceDue(pace, 3000, 1000), 0);   // 45 ms behind, 45 ms idle
    EXPECT_EQ(loopbackSilenceDue(pace, 3300, 1000), 2300);  // 52 ms behind, 52 ms idle
    EXPECT_EQ(loopbackSilenceDue(pace, 3300, 3300), 0);
    EXPECT_EQ(loopbackSilenceDue(pace, 3300 + 2206, 3300), 2206);
}

TEST(LoopbackPacing, RunningAheadMovesTheOrigin)
{
    LoopbackPace pace;
    noteLoopbackPacket(pace, 10000);
    EXPECT_EQ(loopbackSilenceDue(pace, 10000, 14410), 0);  // a fast device 100 ms ahead
    EXPECT_EQ(pace.origin, -4410);
    // 60 ms idle: behind the shifted origin by 60 ms.
    EXPECT_EQ(loopbackSilenceDue(pace, 12646, 14410), 2646);
}

TEST(LoopbackPacing, LongStallsAreNotReplayed)
{
    LoopbackPace pace;
    EXPECT_EQ(loopbackSilenceDue(pace, 10 * 44100, 0), loopbackCatchUpLimit);
    EXPECT_EQ(loopbackSilenceDue(pace, 10 * 44100, loopbackCatchUpLimit), 0);
    EXPECT_EQ(loopbackSilenceDue(pace, 10 * 44100 + 4410, loopbackCatchUpLimit), 4410);
}

TEST(LoopbackName, CutsWithoutSplittingACharacter)
{
    char name[16];
    copyTruncatedUtf8(name, 8, "Speakers (Realtek)");
    EXPECT_STREQ(name, "Speaker");
    // "Haut-été": each é takes two bytes, at offsets 5 and 8.
    const char* french = "Haut-\xC3\xA9t\xC3\xA9";
    copyTruncatedUtf8(name, 9, french);
    EXPECT_STREQ(name, "Haut-\xC3\xA9t");
    copyTruncatedUtf8(name, 10, french);
    EXPECT_STREQ(name, "Haut-\xC3\xA9t");
    copyTruncatedUtf8(name, 7, french);
    EXPECT_STREQ(name, "Haut-");
    copyTruncatedUtf8(name, 11, french);
    EXPECT_STREQ(name, french);
    copyTruncatedUtf8(name, 1, "Speakers");
    EXPECT_STREQ(name, "");
    name[0] = 'x';
    copyTruncatedUtf8(name, 0, "Speakers");
    EXPECT_EQ(name[0], 'x');
}

}  // namespace
