// A picture into PNG bytes: one frame through FFmpeg's PNG encoder, which writes a whole file per packet.
#include "media/png_image.h"

#include <cstddef>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {

struct PngEncoding {
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
};

void closeEncoding(PngEncoding& encoding)
{
    if (encoding.packet != nullptr) av_packet_free(&encoding.packet);
    if (encoding.frame != nullptr) av_frame_free(&encoding.frame);
    if (encoding.codec != nullptr) avcodec_free_context(&encoding.codec);
}

bool openEncoding(PngEncoding& encoding, int width, int height)
{
    const AVCodec* png = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (png == nullptr) return false;
    encoding.codec = avcodec_alloc_context3(png);
    encoding.frame = av_frame_alloc();
    encoding.packet = av_packet_alloc();
    if (encoding.codec == nullptr || encoding.frame == nullptr || encoding.packet == nullptr) return false;
    encoding.codec->width = width;
    encoding.codec->height = height;
    encoding.codec->pix_fmt = AV_PIX_FMT_RGB24;
    encoding.codec->time_base = AVRational{1, 1};
    if (avcodec_open2(encoding.codec, png, nullptr) < 0) return false;
    encoding.frame->format = AV_PIX_FMT_RGB24;
    encoding.frame->width = width;
    encoding.frame->height = height;
    return av_frame_get_buffer(encoding.frame, 0) >= 0;
}

void copyRowsAsRgb(const uint8_t* rgba, int width, int height, bool bottomUp, AVFrame* frame)
{
    for (int y = 0; y < height; ++y) {
        const int sourceRow = bottomUp ? height - 1 - y : y;
        const uint8_t* from = rgba + static_cast<size_t>(sourceRow) * static_cast<size_t>(width) * 4;
        uint8_t* to = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
        for (int x = 0; x < width; ++x, from += 4, to += 3) std::memcpy(to, from, 3);
    }
}

}  // namespace

bool encodePngImage(const uint8_t* rgba, int width, int height, bool bottomUp, std::vector<uint8_t>& png)
{
    png.clear();
    if (rgba == nullptr || width <= 0 || height <= 0) return false;
    PngEncoding encoding;
    bool encoded = openEncoding(encoding, width, height);
    if (encoded) {
        copyRowsAsRgb(rgba, width, height, bottomUp, encoding.frame);
        encoded = avcodec_send_frame(encoding.codec, encoding.frame) >= 0 &&
                  avcodec_send_frame(encoding.codec, nullptr) >= 0 &&
                  avcodec_receive_packet(encoding.codec, encoding.packet) >= 0 && encoding.packet->size > 0;
    }
    if (encoded) png.assign(encoding.packet->data, encoding.packet->data + encoding.packet->size);
    closeEncoding(encoding);
    return encoded;
}
