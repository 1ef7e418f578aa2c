// Mutation tests of the song reader: damaged copies of small songs in several formats go through
// the reader (run under AddressSanitizer in the sanitizer build); none may crash it, and none may
// make it hand out endless sound or hold more than a bounded amount.
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "media/song_reader.h"
#include "platform/exit_codes.h"
#include "tests/media/media_test_support.h"

namespace {

constexpr int outputRate = 48000;
constexpr int mutantsPerSong = 10;
// A mutated header may stretch the stated length and so the silence for gaps, but not without end.
constexpr size_t mostFrames = 60 * size_t(outputRate);

struct Sample {
    const char* name;
    std::vector<std::string> codec;
};

const Sample samples[] = {
    {"small.wav", {"-c:a", "pcm_s16le"}},
    {"small.flac", {"-c:a", "flac"}},
    {"small.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
    {"small.m4a", {"-c:a", "aac"}},
    {"small.ogg", {"-c:a", "libvorbis"}},
    {"small.opus", {"-c:a", "libopus"}},
};

// Flips a few bytes, overwrites a run of them, or cuts the file short, chosen by the generator.
std::vector<uint8_t> mutate(std::vector<uint8_t> bytes, std::mt19937& random)
{
    const int kind = int(random() % 4);
    if (kind == 3) {
        bytes.resize(bytes.size() * (1 + random() % 9) / 10);
        return bytes;
    }
    const int changes = kind == 2 ? 1 : 1 + int(random() % 16);
    for (int i = 0; i < changes; ++i) {
        const size_t at = random() % bytes.size();
        const size_t run = kind == 2 ? std::min<size_t>(1 + random() % 512, bytes.size() - at) : 1;
        for (size_t j = 0; j < run; ++j) bytes[at + j] ^= uint8_t(1 + random() % 255);
    }
    return bytes;
}

TEST(SongFuzz, DamagedSongsNeverCrashOrRunAway)
{
    quietFfmpeg();
    TempFolder folder;
    ASSERT_FALSE(folder.path.empty());
    std::mt19937 random(20240611);
    int opened = 0;
    for (const Sample& sample : samples) {
        const std::string original = folder.file(sample.name);
        ASSERT_TRUE(makeSong(original, "0.5*sin(2*PI*440*t)|0.3*sin(2*PI*660*t):s=44100:d=1", sample.codec))
            << "the ffmpeg tool could not make " << sample.name;
        const std::vector<uint8_t> bytes = fileBytes(original);
        ASSERT_GT(bytes.size(), 100u);
        for (int m = 0; m < mutantsPerSong; ++m) {
            const std::string mutant = folder.file("mutant_" + std::to_string(m) + "_" + sample.name);
            ASSERT_TRUE(writeBytes(mutant, mutate(bytes, random)));
            const ReadSong read = readWholeSong(mutant, outputRate, 2, 4096, mostFrames);
            EXPECT_TRUE(read.opened == 0 || read.opened == codeNotSound || read.opened == codeNoAudioStream)
                << mutant << " gave " << read.opened;
            EXPECT_LE(read.frames(), mostFrames) << mutant;
            opened += read.opened == 0 ? 1 : 0;
            for (float s : read.samples) ASSERT_TRUE(std::isfinite(s)) << mutant;
        }
    }
    // Most mutants still open, so the demuxers and decoders meet the damage, not just the probe.
    EXPECT_GT(opened, int(std::size(samples)) * mutantsPerSong / 2);
}

}  // namespace
