// Writing an MP4 file: H.264 video (libx264) from RGBA frames and AAC-LC sound from float samples.
#include "media/video_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswscale/swscale.h>
}

#include "platform/exit_codes.h"

namespace {

constexpr int aacRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};
constexpr int fallbackAacRate = 48000;
constexpr int maxAudioChannels = 8;
constexpr int deinterleaveFrames = 256;
constexpr int fallbackAudioFrameSize = 1024;
// No scaling happens, only RGBA to YUV 4:2:0. The RGB input stage already averages horizontal pixel
// pairs for chroma; point sampling then takes one row of each pair, at about half the cost of
// bilinear (8 against 15 ms a 1080p frame), on the thread that feeds the encoder.
constexpr int converterFlags = SWS_POINT;

// Sets the failure line "NAME: reason: detail" (without detail when it is null); a long name is cut.
int fail(VideoWriter& writer, int code, const char* reason, const char* detail = nullptr)
{
    const int length = std::snprintf(writer.failure, sizeof writer.failure, "%s: %s%s%s", writer.shownName, reason,
                                     detail != nullptr ? ": " : "", detail != nullptr ? detail : "");
    if (length < 0) writer.failure[0] = '\0';
    return code;
}

void describeError(int error, char (&why)[AV_ERROR_MAX_STRING_SIZE])
{
    if (av_strerror(error, why, sizeof why) < 0) std::snprintf(why, sizeof why, "error %d", error);
}

int failWrite(VideoWriter& writer, int error)
{
    char why[AV_ERROR_MAX_STRING_SIZE] = {};
    describeError(error, why);
    return fail(writer, codeWriteFailed, "cannot write", why);
}

int failEncoder(VideoWriter& writer, const char* encoder, int error)
{
    char why[AV_ERROR_MAX_STRING_SIZE] = {};
    describeError(error, why);
    char reason[128];
    std::snprintf(reason, sizeof reason, "the %s does not start", encoder);
    return fail(writer, codeNoEncoder, reason, why);
}

int failOpen(VideoWriter& writer, int code)
{
    char failure[sizeof writer.failure];
    std::snprintf(failure, sizeof failure, "%s", writer.failure);
    closeVideoWriter(writer);
    std::snprintf(writer.failure, sizeof writer.failure, "%s", failure);
    return code;
}

int addStream(VideoWriter& writer, const AVCodecContext* encoder, int& index)
{
    AVStream* stream = avformat_new_stream(writer.container, nullptr);
    if (stream == nullptr) return failWrite(writer, AVERROR(ENOMEM));
    stream->time_base = encoder->time_base;
    if (encoder->codec_type == AVMEDIA_TYPE_VIDEO) stream->avg_frame_rate = encoder->framerate;
    const int copied = avcodec_parameters_from_context(stream->codecpar, encoder);
    if (copied < 0) return failWrite(writer, copied);
    index = stream->index;
    return 0;
}

void tagVideo(const VideoSettings& settings, AVCodecContext& video)
{
    video.width = settings.width;
    video.height = settings.height;
    video.pix_fmt = AV_PIX_FMT_YUV420P;
    video.time_base = AVRational{1, settings.fps};
    video.framerate = AVRational{settings.fps, 1};
    video.sample_aspect_ratio = AVRational{1, 1};
    video.color_range = AVCOL_RANGE_MPEG;
    video.colorspace = AVCOL_SPC_BT709;
    video.color_primaries = AVCOL_PRI_BT709;
    video.color_trc = AVCOL_TRC_BT709;
}

int x264Options(const VideoSettings& settings, AVDictionary*& options)
{
    char crf[16];
    std::snprintf(crf, sizeof crf, "%d", settings.crf);
    int result = av_dict_set(&options, "crf", crf, 0);
    const char* preset = settings.preset != nullptr ? settings.preset : "medium";
    if (result >= 0) result = av_dict_set(&options, "preset", preset, 0);
    if (result >= 0) result = av_dict_set(&options, "profile", "high", 0);
    return result;
}

int openVideoEncoder(const VideoSettings& settings, const AVCodec* codec, VideoWriter& writer)
{
    writer.video = avcodec_alloc_context3(codec);
    if (writer.video == nullptr) return failWrite(writer, AVERROR(ENOMEM));
    tagVideo(settings, *writer.video);
    if (writer.container->oformat->flags & AVFMT_GLOBALHEADER) writer.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    int result = x264Options(settings, options);
    if (result >= 0) result = avcodec_open2(writer.video, codec, &options);
    av_dict_free(&options);
    if (result < 0) return failEncoder(writer, "H.264 encoder (libx264)", result);
    return addStream(writer, writer.video, writer.videoStream);
}

int openAudioEncoder(const VideoSettings& settings, const AVCodec* codec, VideoWriter& writer)
{
    if (settings.audioChannels < 1 || settings.audioChannels > maxAudioChannels)
        return failEncoder(writer, "AAC encoder", AVERROR(EINVAL));
    writer.audio = avcodec_alloc_context3(codec);
    if (writer.audio == nullptr) return failWrite(writer, AVERROR(ENOMEM));
    AVCodecContext& audio = *writer.audio;
    audio.sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio.sample_rate = settings.audioRate;
    av_channel_layout_default(&audio.ch_layout, settings.audioChannels);
    // FFmpeg's AAC encoder spends less than it is asked for, so stereo asks for 256 kb/s to get 192 or more.
    audio.bit_rate = std::max(192000, 128000 * settings.audioChannels);
    audio.profile = FF_PROFILE_AAC_LOW;
    audio.time_base = AVRational{1, settings.audioRate};
    if (writer.container->oformat->flags & AVFMT_GLOBALHEADER) audio.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(&audio, codec, nullptr);
    if (opened < 0) return failEncoder(writer, "AAC encoder", opened);
    return addStream(writer, &audio, writer.audioStream);
}

AVFrame* makePicture(int width, int height)
{
    AVFrame* picture = av_frame_alloc();
    if (picture == nullptr) return nullptr;
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    if (av_frame_get_buffer(picture, 0) < 0) av_frame_free(&picture);
    return picture;
}

int audioFrameSize(const AVCodecContext& audio)
{
    return audio.frame_size > 0 ? audio.frame_size : fallbackAudioFrameSize;
}

AVFrame* makeSound(const AVCodecContext& audio)
{
    AVFrame* sound = av_frame_alloc();
    if (sound == nullptr) return nullptr;
    sound->format = AV_SAMPLE_FMT_FLTP;
    sound->sample_rate = audio.sample_rate;
    sound->nb_samples = audioFrameSize(audio);
    if (av_channel_layout_copy(&sound->ch_layout, &audio.ch_layout) < 0 || av_frame_get_buffer(sound, 0) < 0)
        av_frame_free(&sound);
    return sound;
}

SwsContext* makeConverter(int width, int height)
{
    SwsContext* converter = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, AV_PIX_FMT_YUV420P,
                                           converterFlags, nullptr, nullptr, nullptr);
    if (converter == nullptr) return nullptr;
    // The stream is tagged BT.709 limited range, so the pixels must be converted with that matrix
    // and range (the default would be BT.601).
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    if (sws_setColorspaceDetails(converter, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16) < 0) {
        sws_freeContext(converter);
        return nullptr;
    }
    return converter;
}

int prepareBuffers(const VideoSettings& settings, VideoWriter& writer)
{
    writer.packet = av_packet_alloc();
    writer.picture = makePicture(settings.width, settings.height);
    writer.sound = makeSound(*writer.audio);
    writer.soundQueue = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, settings.audioChannels, audioFrameSize(*writer.audio));
    writer.converter = makeConverter(settings.width, settings.height);
    if (writer.packet == nullptr || writer.picture == nullptr || writer.sound == nullptr ||
        writer.soundQueue == nullptr || writer.converter == nullptr)
        return failWrite(writer, AVERROR(ENOMEM));
    return 0;
}

int createFile(const std::string& url, VideoWriter& writer)
{
    if (avio_open(&writer.container->pb, url.c_str(), AVIO_FLAG_WRITE) < 0)
        return fail(writer, codeOutputFolder, "cannot write in its folder");
    AVDictionary* options = nullptr;
    // The index goes to the front when the file is finished, so the video plays while it downloads.
    int result = av_dict_set(&options, "movflags", "+faststart", 0);
    if (result >= 0) result = avformat_write_header(writer.container, &options);
    av_dict_free(&options);
    if (result < 0) return failWrite(writer, result);
    writer.headerWritten = true;
    return 0;
}

int openWriter(const VideoSettings& settings, VideoWriter& writer)
{
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (h264 == nullptr) return fail(writer, codeNoEncoder, "the FFmpeg build has no H.264 encoder (libx264)");
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    if (aac == nullptr) return fail(writer, codeNoEncoder, "the FFmpeg build has no AAC encoder");
    // "file:" keeps a name with a colon from being read as a protocol.
    const std::string url = std::string("file:") + settings.path;
    const int allocated = avformat_alloc_output_context2(&writer.container, nullptr, "mp4", url.c_str());
    if (allocated < 0) return failWrite(writer, allocated);
    int result = openVideoEncoder(settings, h264, writer);
    if (result == 0) result = openAudioEncoder(settings, aac, writer);
    if (result == 0) result = prepareBuffers(settings, writer);
    if (result == 0) result = createFile(url, writer);
    return result;
}

int writePackets(VideoWriter& writer, AVCodecContext* encoder, int streamIndex)
{
    for (;;) {
        const int received = avcodec_receive_packet(encoder, writer.packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return 0;
        if (received < 0) return failWrite(writer, received);
        // x264 leaves the duration unset; without it the track ends one frame early.
        if (encoder == writer.video) writer.packet->duration = 1;
        av_packet_rescale_ts(writer.packet, encoder->time_base, writer.container->streams[streamIndex]->time_base);
        writer.packet->stream_index = streamIndex;
        const int written = av_interleaved_write_frame(writer.container, writer.packet);
        if (written < 0) return failWrite(writer, written);
    }
}

// Encodes frame (null flushes the encoder) and writes every packet the encoder gives back.
int encodeAndWrite(VideoWriter& writer, AVCodecContext* encoder, const AVFrame* frame, int streamIndex)
{
    const int sent = avcodec_send_frame(encoder, frame);
    if (sent < 0) return failWrite(writer, sent);
    return writePackets(writer, encoder, streamIndex);
}

bool writable(VideoWriter& writer)
{
    if (writer.headerWritten && !writer.finished) return true;
    fail(writer, codeWriteFailed, "cannot write", "the file is not open");
    return false;
}

// Encodes count queued frames of sound, padded with silence when the encoder takes only whole frames.
int encodeQueuedSound(VideoWriter& writer, int count)
{
    const int ready = av_frame_make_writable(writer.sound);
    if (ready < 0) return failWrite(writer, ready);
    const int read = av_audio_fifo_read(writer.soundQueue, reinterpret_cast<void**>(writer.sound->data), count);
    if (read != count) return failWrite(writer, read < 0 ? read : AVERROR(EIO));
    const int frameSize = audioFrameSize(*writer.audio);
    const bool shortAllowed = writer.audio->codec->capabilities &
                              (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    writer.sound->nb_samples = count;
    if (count < frameSize && !shortAllowed) {
        const int padded = av_samples_set_silence(writer.sound->data, count, frameSize - count,
                                                  writer.audio->ch_layout.nb_channels, AV_SAMPLE_FMT_FLTP);
        if (padded < 0) return failWrite(writer, padded);
        writer.sound->nb_samples = frameSize;
    }
    writer.sound->pts = writer.samplesWritten;
    writer.samplesWritten += writer.sound->nb_samples;
    return encodeAndWrite(writer, writer.audio, writer.sound, writer.audioStream);
}

int queueSound(VideoWriter& writer, const float* interleaved, int frames)
{
    const int channels = writer.audio->ch_layout.nb_channels;
    float planes[maxAudioChannels][deinterleaveFrames];
    void* starts[maxAudioChannels];
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < frames; ++i) planes[c][i] = interleaved[i * channels + c];
        starts[c] = planes[c];
    }
    const int written = av_audio_fifo_write(writer.soundQueue, starts, frames);
    if (written != frames) return failWrite(writer, written < 0 ? written : AVERROR(ENOMEM));
    return 0;
}

int encodeWholeSoundFrames(VideoWriter& writer)
{
    const int frameSize = audioFrameSize(*writer.audio);
    while (av_audio_fifo_size(writer.soundQueue) >= frameSize) {
        const int encoded = encodeQueuedSound(writer, frameSize);
        if (encoded != 0) return encoded;
    }
    return 0;
}

int finishFile(VideoWriter& writer)
{
    writer.finished = true;
    const int trailer = av_write_trailer(writer.container);
    if (trailer < 0) return failWrite(writer, trailer);
    const int closed = avio_closep(&writer.container->pb);
    if (closed < 0) return failWrite(writer, closed);
    return 0;
}

}  // namespace

int aacRateFor(int songRate)
{
    for (int rate : aacRates)
        if (rate == songRate) return rate;
    return fallbackAacRate;
}

int openVideoWriter(const VideoSettings& settings, VideoWriter& writer)
{
    closeVideoWriter(writer);
    const char* shown = settings.shownName != nullptr ? settings.shownName : settings.path;
    std::snprintf(writer.shownName, sizeof writer.shownName, "%s", shown != nullptr ? shown : "");
    if (settings.path == nullptr) return failOpen(writer, fail(writer, codeOutputFolder, "cannot write in its folder"));
    const int result = openWriter(settings, writer);
    return result != 0 ? failOpen(writer, result) : 0;
}

int writeVideoFrame(VideoWriter& writer, const uint8_t* rgba, int rowStride)
{
    if (!writable(writer)) return codeWriteFailed;
    const int ready = av_frame_make_writable(writer.picture);
    if (ready < 0) return failWrite(writer, ready);
    const uint8_t* const rows[1] = {rgba};
    const int strides[1] = {rowStride};
    const auto start = std::chrono::steady_clock::now();
    const int converted = sws_scale(writer.converter, rows, strides, 0, writer.picture->height, writer.picture->data,
                                    writer.picture->linesize);
    writer.conversionNanoseconds +=
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (converted <= 0) return failWrite(writer, converted < 0 ? converted : AVERROR(EINVAL));
    writer.picture->pts = writer.framesWritten;
    const int encoded = encodeAndWrite(writer, writer.video, writer.picture, writer.videoStream);
    if (encoded != 0) return encoded;
    ++writer.framesWritten;
    return 0;
}

int writeAudioSamples(VideoWriter& writer, const float* interleaved, int frames)
{
    if (!writable(writer)) return codeWriteFailed;
    const int channels = writer.audio->ch_layout.nb_channels;
    for (int done = 0; done < frames;) {
        const int chunk = std::min(frames - done, deinterleaveFrames);
        int result = queueSound(writer, interleaved + static_cast<size_t>(done) * static_cast<size_t>(channels), chunk);
        if (result == 0) result = encodeWholeSoundFrames(writer);
        if (result != 0) return result;
        done += chunk;
    }
    return 0;
}

int finishVideoWriter(VideoWriter& writer)
{
    if (!writable(writer)) return codeWriteFailed;
    int result = encodeWholeSoundFrames(writer);
    const int rest = av_audio_fifo_size(writer.soundQueue);
    if (result == 0 && rest > 0) result = encodeQueuedSound(writer, rest);
    if (result == 0) result = encodeAndWrite(writer, writer.audio, nullptr, writer.audioStream);
    if (result == 0) result = encodeAndWrite(writer, writer.video, nullptr, writer.videoStream);
    if (result == 0) result = finishFile(writer);
    return result;
}

void closeVideoWriter(VideoWriter& writer)
{
    // A file left unfinished is closed as it stands and its close result changes nothing: the caller
    // removes the file.
    if (writer.container != nullptr && writer.container->pb != nullptr)
        static_cast<void>(avio_closep(&writer.container->pb));
    avformat_free_context(writer.container);
    avcodec_free_context(&writer.video);
    avcodec_free_context(&writer.audio);
    av_frame_free(&writer.picture);
    av_frame_free(&writer.sound);
    av_packet_free(&writer.packet);
    sws_freeContext(writer.converter);
    if (writer.soundQueue != nullptr) av_audio_fifo_free(writer.soundQueue);
    writer = VideoWriter{};
}
