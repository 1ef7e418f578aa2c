// Tests of the song reader: songs of every shape converted to the asked rate and channels, the
// failures told apart, time kept true across gaps, and damaged or cut files read to what they hold.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "media/song_reader.h"
#include "platform/exit_codes.h"
#include "tests/media/media_test_support.h"

namespace {

const double surroundLeftGain = 1.0 / (1.0 + 2.0 * std::sqrt(0.5));  // FL + 0.707 FC + 0.707 BL, scaled to 1

// The songs, made once for all the tests by the ffmpeg tool.
class SongReaderTest : public ::testing::Test {
protected:
    static std::unique_ptr<TempFolder> folder;
    static bool made;

    static void SetUpTestSuite()
    {
        folder = std::make_unique<TempFolder>();
        made = !folder->path.empty() &&
               makeSong(song("mono.flac"), "0.5*sin(2*PI*1000*t):s=48000:d=2", {"-c:a", "flac"}) &&
               makeSong(song("stereo.mp3"), "0.4*sin(2*PI*440*t)|0.4*sin(2*PI*1000*t):s=44100:d=3",
                        {"-c:a", "libmp3lame", "-b:a", "192k"}) &&
               makeSong(song("surround.wav"), "0.8*sin(2*PI*1000*t)|0|0|0|0|0:s=32000:d=1.5:c=5.1",
                        {"-c:a", "pcm_s16le"}) &&
               makeSong(song("loud_surround.wav"), "sin(2*PI*250*t)|sin(2*PI*250*t)|sin(2*PI*250*t)|"
                        "sin(2*PI*250*t)|sin(2*PI*250*t)|sin(2*PI*250*t):s=48000:d=0.5:c=5.1",
                        {"-c:a", "pcm_f32le"}) &&
               makeSong(song("twin.wav"), "0.6*sin(2*PI*500*t)|0.6*sin(2*PI*500*t):s=22050:d=1",
                        {"-c:a", "pcm_s16le"}) &&
               makeSong(song("song.m4a"), "0.5*sin(2*PI*1000*t)|0.5*sin(2*PI*1000*t):s=44100:d=2",
                        {"-c:a", "aac", "-b:a", "192k"}) &&
               makeSong(song("long.flac"), "0.5*sin(2*PI*1000*t)|0.5*sin(2*PI*1000*t):s=44100:d=4", {"-c:a", "flac"}) &&
               // Half a second missing after the first second: the stamps jump, nothing is lost in between.
               makeSong(song("gap.mkv"), "0.5*sin(2*PI*1000*t):s=48000:d=2",
                        {"-af", "asetpts=PTS+gte(T\\,1)*0.5/TB", "-c:a", "pcm_s16le"}) &&
               runFfmpeg({"-f", "lavfi", "-i", "color=c=red:s=32x32:d=0.3:r=10", "-c:v", "mpeg4",
                          song("video.mkv")}) == 0 &&
               runFfmpeg({"-f", "lavfi", "-i", "color=c=blue:s=32x32:d=1:r=25", "-f", "lavfi", "-i",
                          "aevalsrc=0.5*sin(2*PI*800*t):s=44100:d=1", "-c:v", "mpeg4", "-c:a", "flac",
                          song("clip.mkv")}) == 0 &&
               writeBytes(song("notes.txt"), std::vector<uint8_t>(200, 'a'));
    }

    static void TearDownTestSuite() { folder.reset(); }

    static std::string song(const char* name) { return folder->file(name); }

    void SetUp() override
    {
        quietFfmpeg();
        ASSERT_TRUE(made) << "the ffmpeg tool could not make the test songs";
    }
};

std::unique_ptr<TempFolder> SongReaderTest::folder;
bool SongReaderTest::made = false;

TEST_F(SongReaderTest, MonoFlacBecomesStereoAtAnotherRateWithItsLevelAndPitch)
{
    SongReader reader;
    ASSERT_EQ(openSongReader(song("mono.flac").c_str(), 44100, 2, reader), 0) << reader.failure;
    EXPECT_EQ(songSampleRate(reader), 48000);
    EXPECT_EQ(songChannelCount(reader), 1);
    EXPECT_NEAR(songDurationEstimate(reader), 2.0, 0.01);
    closeSongReader(reader);

    const ReadSong read = readWholeSong(song("mono.flac"), 44100, 2, 1000);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 2.0 * 44100, 64) << "the length in frames is the song's at the new rate";
    // 1 kHz: 1000 upward crossings a second, a crossing either way at the ends of the span.
    EXPECT_NEAR(upwardCrossings(read, 0, 44100, 0.1, 1.9), 1800, 2);
    EXPECT_NEAR(upwardCrossings(read, 1, 44100, 0.1, 1.9), 1800, 2);
    EXPECT_NEAR(peakOf(read, 0, 44100, 0.1, 1.9), 0.5, 0.01) << "a mono song keeps its level on each side";
    EXPECT_NEAR(peakOf(read, 1, 44100, 0.1, 1.9), 0.5, 0.01);
    for (size_t i = 0; i < read.frames(); ++i) ASSERT_EQ(read.samples[2 * i], read.samples[2 * i + 1]) << i;
    EXPECT_EQ(read.packetsSkipped, 0) << "a sound file has nothing to skip";
}

TEST_F(SongReaderTest, StereoMp3KeepsEachSideApart)
{
    const ReadSong read = readWholeSong(song("stereo.mp3"), 48000, 2);
    ASSERT_EQ(read.opened, 0);
    // The MP3 encoder's delay and padding are trimmed by its header: well within one MP3 frame.
    EXPECT_NEAR(double(read.frames()), 3.0 * 48000, 1152);
    EXPECT_NEAR(upwardCrossings(read, 0, 48000, 0.2, 2.8), 0.44 * 2600, 3);
    EXPECT_NEAR(upwardCrossings(read, 1, 48000, 0.2, 2.8), 2600, 3);
    EXPECT_NEAR(peakOf(read, 0, 48000, 0.2, 2.8), 0.4, 0.03);
    EXPECT_NEAR(peakOf(read, 1, 48000, 0.2, 2.8), 0.4, 0.03);
    EXPECT_EQ(read.packetsSkipped, 0);
}

TEST_F(SongReaderTest, AVideoWithSoundReadsItsSound)
{
    const ReadSong read = readWholeSong(song("clip.mkv"), 48000, 2);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 48000, 48);
    EXPECT_NEAR(upwardCrossings(read, 0, 48000, 0.1, 0.9), 640, 2);
    EXPECT_EQ(read.packetsSkipped, 0) << "the pictures are left aside, not fed to the sound decoder";
}

TEST_F(SongReaderTest, StereoBecomesMonoAsTheAverageOfItsSides)
{
    const ReadSong read = readWholeSong(song("twin.wav"), 48000, 1);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 48000, 48);
    EXPECT_NEAR(upwardCrossings(read, 0, 48000, 0.1, 0.9), 400, 2);
    EXPECT_NEAR(peakOf(read, 0, 48000, 0.1, 0.9), 0.6, 0.01);
}

TEST_F(SongReaderTest, SurroundIsMixedDownWithinFullScale)
{
    SongReader reader;
    ASSERT_EQ(openSongReader(song("surround.wav").c_str(), 48000, 2, reader), 0) << reader.failure;
    EXPECT_EQ(songChannelCount(reader), 6);
    EXPECT_EQ(songSampleRate(reader), 32000);
    closeSongReader(reader);

    const ReadSong read = readWholeSong(song("surround.wav"), 48000, 2);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 1.5 * 48000, 64);
    EXPECT_NEAR(upwardCrossings(read, 0, 48000, 0.1, 1.4), 1300, 2);
    EXPECT_NEAR(peakOf(read, 0, 48000, 0.1, 1.4), 0.8 * surroundLeftGain, 0.01) << "front left goes left";
    EXPECT_LT(peakOf(read, 1, 48000, 0.1, 1.4), 0.001) << "and not right";

    const ReadSong loud = readWholeSong(song("loud_surround.wav"), 48000, 2);
    ASSERT_EQ(loud.opened, 0);
    EXPECT_LE(peakOf(loud, 0, 48000, 0.0, 0.5), 1.001f);
    EXPECT_GT(peakOf(loud, 0, 48000, 0.0, 0.5), 0.9f) << "six channels at full scale mix to full scale";
}

TEST_F(SongReaderTest, AacInMp4StartsOnTimeAndKeepsItsLength)
{
    const ReadSong read = readWholeSong(song("song.m4a"), 44100, 2);
    ASSERT_EQ(read.opened, 0);
    // The encoder's priming is cut by the edit list; an AAC frame is 1024 samples.
    EXPECT_NEAR(double(read.frames()), 2.0 * 44100, 1024);
    EXPECT_GT(peakOf(read, 0, 44100, 0.0, 0.01), 0.3) << "no silence is put before the first sound";
    EXPECT_NEAR(upwardCrossings(read, 0, 44100, 0.1, 1.9), 1800, 3);
    EXPECT_EQ(read.packetsSkipped, 0);
}

TEST_F(SongReaderTest, AGapInTheStampsComesOutAsSilence)
{
    const ReadSong read = readWholeSong(song("gap.mkv"), 48000, 1);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 2.5 * 48000, 0.01 * 48000);
    EXPECT_NEAR(peakOf(read, 0, 48000, 0.1, 0.95), 0.5, 0.01);
    EXPECT_LT(peakOf(read, 0, 48000, 1.05, 1.45), 0.001) << "the half second without sound is silent";
    EXPECT_NEAR(peakOf(read, 0, 48000, 1.55, 2.45), 0.5, 0.01);
    // The sound after the gap is whole: a 1 kHz sine from 1.5 s to the end.
    EXPECT_NEAR(upwardCrossings(read, 0, 48000, 1.55, 2.45), 900, 2);
}

TEST_F(SongReaderTest, ReadsEndWithZeroFrames)
{
    SongReader reader;
    ASSERT_EQ(openSongReader(song("twin.wav").c_str(), 48000, 2, reader), 0) << reader.failure;
    std::vector<float> buffer(2 * 100000);
    EXPECT_NEAR(readSongFrames(reader, buffer.data(), 100000), 48000, 48) << "fewer frames only at the end";
    EXPECT_EQ(readSongFrames(reader, buffer.data(), 100000), 0);
    EXPECT_EQ(readSongFrames(reader, buffer.data(), 100000), 0);
    EXPECT_LE(reader.pendingCapacity, 48000) << "the reader holds about one frame of sound, not the song";
    closeSongReader(reader);
}

TEST_F(SongReaderTest, FailuresNameTheFileAndTheReason)
{
    struct Case {
        std::string path;
        int code;
        const char* reason;
    };
    const Case cases[] = {
        {folder->file("absent.flac"), codeSongMissing, "no such file"},
        {folder->file("absent/inner.flac"), codeSongMissing, "no such file"},
        {folder->path, codeSongIsFolder, "is a folder"},
        {song("notes.txt"), codeNotSound, "not a sound file"},
        {song("video.mkv"), codeNoAudioStream, "no audio stream"},
    };
    for (const Case& c : cases) {
        SongReader reader;
        EXPECT_EQ(openSongReader(c.path.c_str(), 48000, 2, reader), c.code) << c.path;
        EXPECT_EQ(std::string(reader.failure), c.path + ": " + c.reason);
        EXPECT_EQ(reader.format, nullptr) << "a failed open leaves the record closed";
        EXPECT_EQ(reader.decoder, nullptr);
        EXPECT_EQ(readSongFrames(reader, nullptr, 0), 0);
        closeSongReader(reader);
    }
}

// Root reads everything, so the check runs in a child that has become an ordinary user.
TEST_F(SongReaderTest, AFileWithoutReadPermissionIsUnreadable)
{
    const std::string locked = song("locked.flac");
    ASSERT_TRUE(writeBytes(locked, fileBytes(song("mono.flac"))));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    ASSERT_EQ(chmod(folder->path.c_str(), 0755), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        SongReader reader;
        const int code = openSongReader(locked.c_str(), 48000, 2, reader);
        const bool named = std::string(reader.failure) == locked + ": permission denied";
        _exit(named ? code : 101);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot become an ordinary user here";
    EXPECT_EQ(WEXITSTATUS(status), codeSongUnreadable) << "101: the failure line is wrong";
}

TEST_F(SongReaderTest, DamageInTheMiddleNeitherStopsNorShortensTheSong)
{
    std::vector<uint8_t> bytes = fileBytes(song("long.flac"));
    ASSERT_GT(bytes.size(), 10000u);
    std::mt19937 random(7);
    for (size_t i = bytes.size() * 4 / 10; i < bytes.size() * 5 / 10; ++i) bytes[i] = uint8_t(random());
    ASSERT_TRUE(writeBytes(song("damaged.flac"), bytes));

    const ReadSong read = readWholeSong(song("damaged.flac"), 44100, 2);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 4.0 * 44100, 0.02 * 44100) << "lost frames come out as silence";
    EXPECT_NEAR(peakOf(read, 0, 44100, 0.2, 1.4), 0.5, 0.01) << "the sound before the damage";
    EXPECT_NEAR(peakOf(read, 0, 44100, 2.2, 3.8), 0.5, 0.01) << "the sound after it, in its place";
    EXPECT_NEAR(upwardCrossings(read, 0, 44100, 2.2, 3.8), 1600, 2);
    EXPECT_GT(read.packetsSkipped, 0) << "the damaged frames were met and passed over";
}

// A WAV file's samples fill its bytes evenly after a short header, so half the bytes hold half the song.
TEST_F(SongReaderTest, ACutWavReadsWhatItHolds)
{
    std::vector<uint8_t> bytes = fileBytes(song("twin.wav"));
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(writeBytes(song("cut.wav"), bytes));
    const ReadSong read = readWholeSong(song("cut.wav"), 22050, 2);
    ASSERT_EQ(read.opened, 0);
    EXPECT_NEAR(double(read.frames()), 0.5 * 22050, 0.01 * 22050) << "half the song";
    EXPECT_NEAR(peakOf(read, 0, 22050, 0.0, 0.5), 0.6, 0.01) << "sound to the cut";
}

// A FLAC file starts with metadata and its frames vary in size: the cut lands somewhere before the middle.
TEST_F(SongReaderTest, ACutFlacReadsWhatItHolds)
{
    std::vector<uint8_t> bytes = fileBytes(song("long.flac"));
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(writeBytes(song("cut.flac"), bytes));
    const ReadSong read = readWholeSong(song("cut.flac"), 44100, 2);
    ASSERT_EQ(read.opened, 0);
    EXPECT_GT(read.frames(), size_t(0.35 * 4 * 44100));
    EXPECT_LT(read.frames(), size_t(0.5 * 4 * 44100));
    const double end = double(read.frames()) / 44100;
    EXPECT_NEAR(peakOf(read, 0, 44100, end - 0.1, end), 0.5, 0.01) << "sound to the cut";
}

TEST_F(SongReaderTest, ClosingTwiceOrUnopenedIsSafe)
{
    SongReader unopened;
    closeSongReader(unopened);
    closeSongReader(unopened);
    SongReader reader;
    ASSERT_EQ(openSongReader(song("twin.wav").c_str(), 48000, 2, reader), 0);
    std::vector<float> buffer(2 * 1000);
    EXPECT_EQ(readSongFrames(reader, buffer.data(), 1000), 1000);
    closeSongReader(reader);
    EXPECT_EQ(reader.format, nullptr);
    EXPECT_EQ(reader.decoder, nullptr);
    EXPECT_EQ(reader.resampler, nullptr);
    EXPECT_EQ(reader.pending, nullptr);
    EXPECT_EQ(reader.framesDelivered, 0);
    EXPECT_EQ(readSongFrames(reader, buffer.data(), 1000), 0) << "a closed reader gives nothing";
    EXPECT_LT(songDurationEstimate(reader), 0.0);
    closeSongReader(reader);
}

TEST_F(SongReaderTest, AnOutputFormatOtherThanMonoOrStereoIsRefused)
{
    SongReader reader;
    EXPECT_EQ(openSongReader(song("twin.wav").c_str(), 48000, 3, reader), codeBadOption);
    EXPECT_EQ(openSongReader(song("twin.wav").c_str(), 0, 2, reader), codeBadOption);
    EXPECT_EQ(reader.format, nullptr);
}

}  // namespace
