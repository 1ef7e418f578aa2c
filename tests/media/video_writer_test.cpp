// Tests of the video writer: an MP4 of H.264 High and AAC-LC with the pictures and sound given, its
// colours in BT.709 limited range, rows either way up, the index at the front, and write failures.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "media/video_writer.h"
#include "platform/exit_codes.h"
#include "tests/media/media_test_support.h"

namespace {

constexpr int width = 64, height = 48, fps = 10, frameCount = 30;
constexpr int audioRate = 44100, toneHz = 1000;
constexpr double seconds = double(frameCount) / fps;
constexpr int colourTolerance = 12;  // x264 at crf 18 on flat areas, and the 8-bit round trip

struct Rgb {
    int r, g, b;
};
// The quadrants: top left, top right, bottom left, bottom right.
const Rgb quadrantColours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
const int sampleX[4] = {16, 48, 16, 48}, sampleY[4] = {12, 12, 36, 36};

// The picture as RGBA rows from top to bottom, or stored bottom-up (as OpenGL reads them).
std::vector<uint8_t> quadrantPicture(bool bottomUp)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb& c = quadrantColours[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
            uint8_t* pixel = &rgba[(size_t(bottomUp ? height - 1 - y : y) * width + size_t(x)) * 4];
            pixel[0] = uint8_t(c.r), pixel[1] = uint8_t(c.g), pixel[2] = uint8_t(c.b), pixel[3] = 255;
        }
    return rgba;
}

std::vector<float> toneFrames(int64_t first, int count)
{
    std::vector<float> interleaved(size_t(count) * 2);
    for (int i = 0; i < count; ++i) {
        const float v = 0.5f * float(std::sin(2.0 * M_PI * toneHz * double(first + i) / audioRate));
        interleaved[size_t(i) * 2] = v, interleaved[size_t(i) * 2 + 1] = v;
    }
    return interleaved;
}

VideoSettings testSettings(const std::string& path)
{
    VideoSettings settings;
    settings.path = path.c_str();
    settings.shownName = "shown.mp4";
    settings.width = width, settings.height = height, settings.fps = fps;
    // Faster than the default, yet using the High profile's tools (ultrafast makes Constrained Baseline).
    settings.preset = "veryfast";
    settings.audioRate = audioRate, settings.audioChannels = 2;
    return settings;
}

// Writes the quadrant video with 3 s of tone, the sound in uneven pieces between the pictures;
// returns the first failure, or 0.
int writeQuadrantVideo(const std::string& path, bool bottomUp, VideoWriter& writer)
{
    int result = openVideoWriter(testSettings(path), writer);
    const std::vector<uint8_t> picture = quadrantPicture(bottomUp);
    const uint8_t* rows = bottomUp ? &picture[size_t(height - 1) * width * 4] : picture.data();
    const int stride = bottomUp ? -width * 4 : width * 4;
    int64_t samples = 0;
    for (int f = 0; f < frameCount && result == 0; ++f) {
        result = writeVideoFrame(writer, rows, stride);
        const int64_t due = int64_t(f + 1) * audioRate / fps;
        while (result == 0 && samples < due) {
            const int piece = int(std::min<int64_t>(1000, due - samples));
            result = writeAudioSamples(writer, toneFrames(samples, piece).data(), piece);
            samples += piece;
        }
    }
    if (result == 0) result = finishVideoWriter(writer);
    return result;
}

// What a decoder makes of the written file.
// The stream parameters the tests look at.
struct StreamFacts {
    AVCodecID codec = AV_CODEC_ID_NONE;
    int profile = 0, format = -1, width = 0, height = 0, sampleRate = 0, channels = 0;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    AVColorSpace space = AVCOL_SPC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
};

StreamFacts factsOf(const AVCodecParameters& p)
{
    return {p.codec_id, p.profile, p.format, p.width, p.height, p.sample_rate, p.ch_layout.nb_channels,
            p.color_range, p.color_space, p.color_primaries, p.color_trc};
}

struct Decoded {
    StreamFacts video, audio;
    int videoPackets = 0;
    double videoSeconds = 0.0, audioSeconds = 0.0;
    bool havePicture = false;
    int y[4] = {}, u[4] = {}, v[4] = {};  // the first picture at the quadrants' centres
    std::vector<float> left;                // the decoded sound's left channel
};

void keepFirstPicture(const AVFrame& frame, Decoded& out)
{
    if (out.havePicture) return;
    out.havePicture = true;
    for (int q = 0; q < 4; ++q) {
        out.y[q] = frame.data[0][sampleY[q] * frame.linesize[0] + sampleX[q]];
        out.u[q] = frame.data[1][sampleY[q] / 2 * frame.linesize[1] + sampleX[q] / 2];
        out.v[q] = frame.data[2][sampleY[q] / 2 * frame.linesize[2] + sampleX[q] / 2];
    }
}

void keepFrame(const AVCodecContext& decoder, const AVFrame& frame, Decoded& out)
{
    if (decoder.codec_type == AVMEDIA_TYPE_VIDEO) keepFirstPicture(frame, out);
    else if (frame.format == AV_SAMPLE_FMT_FLTP) {
        const float* left = reinterpret_cast<const float*>(frame.extended_data[0]);
        out.left.insert(out.left.end(), left, left + frame.nb_samples);
    }
}

void drainDecoder(AVCodecContext* decoder, AVFrame* frame, Decoded& out)
{
    while (avcodec_receive_frame(decoder, frame) == 0) {
        keepFrame(*decoder, *frame, out);
        av_frame_unref(frame);
    }
}

AVCodecContext* openDecoderFor(const AVStream& stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    if (decoder == nullptr || avcodec_parameters_to_context(decoder, stream.codecpar) < 0) return decoder;
    decoder->pkt_timebase = stream.time_base;
    if (avcodec_open2(decoder, codec, nullptr) < 0) avcodec_free_context(&decoder);
    return decoder;
}

bool decodeFile(const std::string& path, Decoded& out)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return false;
    bool ok = avformat_find_stream_info(format, nullptr) >= 0 && format->nb_streams == 2;
    AVCodecContext* decoders[2] = {};
    for (unsigned i = 0; ok && i < 2; ++i) {
        const AVStream& stream = *format->streams[i];
        if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO) out.video = factsOf(*stream.codecpar);
        else out.audio = factsOf(*stream.codecpar);
        const double streamSeconds = double(stream.duration) * av_q2d(stream.time_base);
        (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO ? out.videoSeconds : out.audioSeconds) = streamSeconds;
        decoders[i] = openDecoderFor(stream);
        ok = decoders[i] != nullptr;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    while (ok && av_read_frame(format, packet) >= 0) {
        AVCodecContext* decoder = decoders[packet->stream_index];
        out.videoPackets += decoder->codec_type == AVMEDIA_TYPE_VIDEO ? 1 : 0;
        ok = avcodec_send_packet(decoder, packet) >= 0;
        av_packet_unref(packet);
        drainDecoder(decoder, frame, out);
    }
    for (AVCodecContext* decoder : decoders)
        if (decoder != nullptr && avcodec_send_packet(decoder, nullptr) >= 0) drainDecoder(decoder, frame, out);
    av_frame_free(&frame);
    av_packet_free(&packet);
    for (AVCodecContext*& decoder : decoders) avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return ok;
}

// BT.709 limited range back to 8-bit RGB.
Rgb toRgb(int y, int u, int v)
{
    const double luma = (y - 16) / 219.0, pb = (u - 128) / 224.0, pr = (v - 128) / 224.0;
    auto byte = [](double c) { return int(std::lround(std::clamp(c, 0.0, 1.0) * 255.0)); };
    return {byte(luma + 1.5748 * pr), byte(luma - 0.1873 * pb - 0.4681 * pr), byte(luma + 1.8556 * pb)};
}

std::vector<std::string> topLevelBoxes(const std::vector<uint8_t>& bytes)
{
    std::vector<std::string> boxes;
    for (size_t at = 0; at + 8 <= bytes.size();) {
        const uint64_t size = uint64_t(bytes[at]) << 24 | uint64_t(bytes[at + 1]) << 16 | uint64_t(bytes[at + 2]) << 8 |
                              uint64_t(bytes[at + 3]);
        boxes.emplace_back(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        if (size < 8) break;  // 64-bit or to-the-end sizes do not occur in files this small
        at += size;
    }
    return boxes;
}

int upwardCrossingsOf(const std::vector<float>& samples, size_t first, size_t last)
{
    int count = 0;
    for (size_t i = first + 1; i < std::min(last, samples.size()); ++i)
        count += samples[i - 1] < 0.0f && samples[i] >= 0.0f ? 1 : 0;
    return count;
}

class VideoWriterTest : public ::testing::Test {
protected:
    TempFolder folder;
    VideoWriter writer;
    void SetUp() override { quietFfmpeg(); }
    void TearDown() override { closeVideoWriter(writer); }
};

TEST(AacRate, KeepsAacRatesAndOtherwiseTakes48000)
{
    for (int rate : {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350})
        EXPECT_EQ(aacRateFor(rate), rate);
    for (int rate : {192000, 176400, 44101, 37800, 6000, 0, -44100}) EXPECT_EQ(aacRateFor(rate), 48000) << rate;
}

TEST_F(VideoWriterTest, WritesH264HighAndAacLcWithAllFramesAndSound)
{
    const std::string path = folder.file("out.mp4");
    ASSERT_EQ(writeQuadrantVideo(path, false, writer), 0) << writer.failure;
    EXPECT_EQ(writer.framesWritten, frameCount);
    closeVideoWriter(writer);

    Decoded decoded;
    ASSERT_TRUE(decodeFile(path, decoded));
    EXPECT_EQ(decoded.video.codec, AV_CODEC_ID_H264);
    EXPECT_EQ(decoded.video.profile, FF_PROFILE_H264_HIGH);
    EXPECT_EQ(decoded.video.format, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(decoded.video.width, width);
    EXPECT_EQ(decoded.video.height, height);
    EXPECT_EQ(decoded.video.range, AVCOL_RANGE_MPEG);
    EXPECT_EQ(decoded.video.space, AVCOL_SPC_BT709);
    EXPECT_EQ(decoded.video.primaries, AVCOL_PRI_BT709);
    EXPECT_EQ(decoded.video.transfer, AVCOL_TRC_BT709);
    EXPECT_EQ(decoded.videoPackets, frameCount);
    EXPECT_NEAR(decoded.videoSeconds, seconds, 0.001) << "the last frame lasts its full time";

    EXPECT_EQ(decoded.audio.codec, AV_CODEC_ID_AAC);
    EXPECT_EQ(decoded.audio.profile, FF_PROFILE_AAC_LOW);
    EXPECT_EQ(decoded.audio.sampleRate, audioRate);
    EXPECT_EQ(decoded.audio.channels, 2);
    EXPECT_NEAR(decoded.audioSeconds, seconds, 0.5 / audioRate) << "the track lasts as long as the sound given";
    // The decoder gives whole AAC frames of 1024 samples; the track's length says where the sound ends.
    EXPECT_GE(decoded.left.size(), size_t(seconds * audioRate));
    EXPECT_LT(decoded.left.size(), size_t(seconds * audioRate) + 1024);
    EXPECT_NEAR(upwardCrossingsOf(decoded.left, audioRate / 10, audioRate * 29 / 10), 2800, 3);
    float peak = 0.0f;
    for (size_t i = audioRate / 10; i < decoded.left.size() && i < size_t(audioRate) * 29 / 10; ++i)
        peak = std::max(peak, std::fabs(decoded.left[i]));
    EXPECT_NEAR(peak, 0.5, 0.03);
}

TEST_F(VideoWriterTest, ColoursAreBt709LimitedRangeTheRightWayUp)
{
    const std::string path = folder.file("colours.mp4");
    ASSERT_EQ(writeQuadrantVideo(path, false, writer), 0) << writer.failure;
    closeVideoWriter(writer);
    Decoded decoded;
    ASSERT_TRUE(decodeFile(path, decoded));
    ASSERT_TRUE(decoded.havePicture);
    // Luma of red, green, blue and white under BT.709 in limited range; BT.601 would give 81, 145, 41.
    const int expectedLuma[4] = {63, 173, 32, 235};
    for (int q = 0; q < 4; ++q) {
        EXPECT_NEAR(decoded.y[q], expectedLuma[q], 3) << "quadrant " << q;
        const Rgb got = toRgb(decoded.y[q], decoded.u[q], decoded.v[q]);
        EXPECT_NEAR(got.r, quadrantColours[q].r, colourTolerance) << "quadrant " << q;
        EXPECT_NEAR(got.g, quadrantColours[q].g, colourTolerance) << "quadrant " << q;
        EXPECT_NEAR(got.b, quadrantColours[q].b, colourTolerance) << "quadrant " << q;
    }
}

TEST_F(VideoWriterTest, BottomUpRowsGiveTheSamePicture)
{
    const std::string path = folder.file("bottom_up.mp4");
    ASSERT_EQ(writeQuadrantVideo(path, true, writer), 0) << writer.failure;
    closeVideoWriter(writer);
    Decoded decoded;
    ASSERT_TRUE(decodeFile(path, decoded));
    ASSERT_TRUE(decoded.havePicture);
    for (int q = 0; q < 4; ++q) {
        const Rgb got = toRgb(decoded.y[q], decoded.u[q], decoded.v[q]);
        EXPECT_NEAR(got.r, quadrantColours[q].r, colourTolerance) << "quadrant " << q;
        EXPECT_NEAR(got.g, quadrantColours[q].g, colourTolerance) << "quadrant " << q;
        EXPECT_NEAR(got.b, quadrantColours[q].b, colourTolerance) << "quadrant " << q;
    }
}

TEST_F(VideoWriterTest, TheIndexComesBeforeTheMedia)
{
    const std::string path = folder.file("faststart.mp4");
    ASSERT_EQ(writeQuadrantVideo(path, false, writer), 0) << writer.failure;
    closeVideoWriter(writer);
    const std::vector<std::string> boxes = topLevelBoxes(fileBytes(path));
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
    ASSERT_NE(moov, boxes.end());
    ASSERT_NE(mdat, boxes.end());
    EXPECT_LT(moov - boxes.begin(), mdat - boxes.begin());
}

TEST_F(VideoWriterTest, AMissingFolderIsTheOutputFolderFailure)
{
    const std::string path = folder.file("absent/out.mp4");
    EXPECT_EQ(openVideoWriter(testSettings(path), writer), codeOutputFolder);
    EXPECT_STREQ(writer.failure, "shown.mp4: cannot write in its folder");
    EXPECT_EQ(writer.container, nullptr) << "a failed open leaves the record closed";
    EXPECT_EQ(writeVideoFrame(writer, quadrantPicture(false).data(), width * 4), codeWriteFailed);
}

TEST_F(VideoWriterTest, AFullDiskIsAWriteFailure)
{
    const int result = writeQuadrantVideo("/dev/full", false, writer);
    EXPECT_EQ(result, codeWriteFailed);
    EXPECT_STREQ(writer.failure, "shown.mp4: cannot write: No space left on device");
}

TEST_F(VideoWriterTest, ClosingTwiceOrUnopenedIsSafe)
{
    closeVideoWriter(writer);
    closeVideoWriter(writer);
    const std::string path = folder.file("half.mp4");
    ASSERT_EQ(openVideoWriter(testSettings(path), writer), 0) << writer.failure;
    ASSERT_EQ(writeVideoFrame(writer, quadrantPicture(false).data(), width * 4), 0) << writer.failure;
    closeVideoWriter(writer);
    EXPECT_EQ(writer.container, nullptr);
    EXPECT_EQ(writer.video, nullptr);
    EXPECT_EQ(writer.converter, nullptr);
    EXPECT_EQ(writer.framesWritten, 0);
    EXPECT_TRUE(std::filesystem::exists(path)) << "closing never deletes the file";
    EXPECT_EQ(finishVideoWriter(writer), codeWriteFailed);
    closeVideoWriter(writer);
}

}  // namespace
