// The screenshot's PNG: decoded back by FFmpeg's PNG decoder, every pixel as given, either row order.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "media/png_image.h"

namespace {

constexpr int width = 37, height = 23;  // odd, so that no row padding can hide

// Every pixel its own colour; stored bottom row first when asked, as OpenGL reads a frame.
std::vector<uint8_t> gradient(bool bottomUp)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(size_t(bottomUp ? height - 1 - y : y) * width + size_t(x)) * 4];
            p[0] = uint8_t(x * 7), p[1] = uint8_t(y * 11), p[2] = uint8_t(x * y), p[3] = uint8_t(x);
        }
    return rgba;
}

// The PNG decoded into RGB rows, top first; empty when it does not decode.
std::vector<uint8_t> decoded(const std::vector<uint8_t>& png, int& decodedWidth, int& decodedHeight)
{
    std::vector<uint8_t> rgb;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_PNG);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    packet->data = const_cast<uint8_t*>(png.data());
    packet->size = int(png.size());
    if (avcodec_open2(context, codec, nullptr) >= 0 && avcodec_send_packet(context, packet) >= 0 &&
        avcodec_receive_frame(context, frame) >= 0 && frame->format == AV_PIX_FMT_RGB24) {
        decodedWidth = frame->width;
        decodedHeight = frame->height;
        for (int y = 0; y < frame->height; ++y)
            rgb.insert(rgb.end(), frame->data[0] + y * frame->linesize[0],
                       frame->data[0] + y * frame->linesize[0] + frame->width * 3);
    }
    av_frame_free(&frame);
    packet->data = nullptr;
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return rgb;
}

TEST(PngImage, EveryPixelComesBackInTheRightPlaceFromEitherRowOrder)
{
    for (bool bottomUp : {false, true}) {
        std::vector<uint8_t> png;
        ASSERT_TRUE(encodePngImage(gradient(bottomUp).data(), width, height, bottomUp, png));
        ASSERT_GE(png.size(), 8u);
        EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
        int w = 0, h = 0;
        const std::vector<uint8_t> rgb = decoded(png, w, h);
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
        const std::vector<uint8_t> expected = gradient(false);
        for (size_t i = 0, pixels = size_t(width) * height; i < pixels; ++i)
            ASSERT_EQ(std::memcmp(&rgb[i * 3], &expected[i * 4], 3), 0) << "pixel " << i << " bottomUp " << bottomUp;
    }
}

TEST(PngImage, NothingToEncodeIsAFailure)
{
    std::vector<uint8_t> png{1, 2, 3};
    EXPECT_FALSE(encodePngImage(nullptr, width, height, false, png));
    EXPECT_TRUE(png.empty());
    const std::vector<uint8_t> pixels(16);
    EXPECT_FALSE(encodePngImage(pixels.data(), 0, 4, false, png));
}

}  // namespace
