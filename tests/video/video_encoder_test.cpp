// The encoder thread: frames queued by one thread and encoded by another, with the song's sound cut to
// the video's span; a render cancelled part-way stops the thread cleanly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "tests/media/media_test_support.h"
#include "video/video_encoder.h"

namespace {

constexpr int width = 64;
constexpr int height = 48;
constexpr int fps = 10;

struct TrackCounts {
    int videoPackets = 0;
    double soundSeconds = 0.0;
};

// Video packets and the sound's length as the file's own index tells them.
TrackCounts countTracks(const std::string& path)
{
    TrackCounts counts;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return counts;
    AVPacket* packet = av_packet_alloc();
    int64_t soundTicks = 0;
    while (av_read_frame(format, packet) >= 0) {
        const AVStream* stream = format->streams[packet->stream_index];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) ++counts.videoPackets;
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            soundTicks += packet->duration;
            counts.soundSeconds = double(soundTicks) * av_q2d(stream->time_base);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    return counts;
}

EncoderJob jobFor(const std::string& song, const std::string& video)
{
    EncoderJob job;
    job.video.path = video.c_str();
    job.video.shownName = video.c_str();
    job.video.width = width;
    job.video.height = height;
    job.video.fps = fps;
    job.video.preset = "veryfast";
    job.video.audioRate = 44100;
    job.video.audioChannels = 2;
    job.songPath = song.c_str();
    return job;
}

}  // namespace

TEST(VideoEncoder, EncodesQueuedFramesWithTheSoundOfTheirSpan)
{
    quietFfmpeg();
    TempFolder folder;
    const std::string song = folder.file("song.wav");
    ASSERT_TRUE(makeSong(song, "0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t):s=44100:d=3", {"-c:a", "pcm_s16le"}));
    const std::string video = folder.file("part.mp4");
    EncoderJob job = jobFor(song, video);
    job.firstFrame = 10;    // from 1.0 s
    job.endSeconds = 2.5;   // to 2.5 s: 15 frames and 1.5 s of sound
    VideoEncoder encoder;
    char failure[512] = {};
    ASSERT_EQ(openVideoEncoder(job, encoder, failure, sizeof failure), 0) << failure;
    std::vector<uint8_t> picture(size_t(width) * height * 4, 128);
    for (int frame = 0; frame < 15; ++frame) {
        picture[0] = uint8_t(frame);
        ASSERT_EQ(queueVideoFrame(encoder, picture.data()), 0);
    }
    EXPECT_EQ(finishVideoEncoder(encoder, failure, sizeof failure), 0) << failure;
    closeVideoEncoder(encoder);
    const TrackCounts counts = countTracks(video);
    EXPECT_EQ(counts.videoPackets, 15);
    EXPECT_NEAR(counts.soundSeconds, 1.5, 0.03);
}

TEST(VideoEncoder, ClosingWithoutFinishingStopsTheThread)
{
    quietFfmpeg();
    TempFolder folder;
    const std::string song = folder.file("song.wav");
    ASSERT_TRUE(makeSong(song, "0.5*sin(2*PI*440*t):s=44100:d=3", {"-c:a", "pcm_s16le"}));
    VideoEncoder encoder;
    char failure[512] = {};
    ASSERT_EQ(openVideoEncoder(jobFor(song, folder.file("cancelled.mp4")), encoder, failure, sizeof failure), 0);
    std::vector<uint8_t> picture(size_t(width) * height * 4, 200);
    for (int frame = 0; frame < 8; ++frame) ASSERT_EQ(queueVideoFrame(encoder, picture.data()), 0);
    closeVideoEncoder(encoder);
    EXPECT_FALSE(encoder.running);
    closeVideoEncoder(encoder);
}

TEST(VideoEncoder, ASongThatCannotBeReadFailsTheOpen)
{
    TempFolder folder;
    VideoEncoder encoder;
    char failure[512] = {};
    EXPECT_NE(openVideoEncoder(jobFor(folder.file("missing.wav"), folder.file("never.mp4")), encoder, failure,
                               sizeof failure),
              0);
    EXPECT_NE(std::string(failure).find("missing.wav"), std::string::npos) << failure;
    closeVideoEncoder(encoder);
}
