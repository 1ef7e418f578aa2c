// Decoding a song file as it plays: any audio FFmpeg reads, resampled to a chosen rate and channel count.
#include "media/song_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/common.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "platform/exit_codes.h"

namespace {

constexpr int gapsPerSecond = 100;         // a timestamp more than 1/100 s ahead is a gap
constexpr int gapSecondsWhenEndUnknown = 60;  // longer jumps are taken for damage, not a gap
constexpr int longestFrameSeconds = 30;    // a decoded frame longer than this is damage
constexpr int maxDrainErrors = 64;

int failOpen(SongReader& reader, const char* path, int code, const char* reason)
{
    closeSongReader(reader);
    std::snprintf(reader.failure, sizeof reader.failure, "%s: %s", path, reason);
    return code;
}

#ifdef _WIN32
// Paths are UTF-8; the C runtime's narrow calls would read them in the ANSI code page.
std::wstring widePath(const char* path)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, path, -1, &wide[0], length) <= 0) return std::wstring();
    return wide;
}

bool statPath(const char* path, bool& isFolder)
{
    struct _stat64 info;
    if (_wstat64(widePath(path).c_str(), &info) != 0) return false;
    isFolder = (info.st_mode & _S_IFMT) == _S_IFDIR;
    return true;
}

FILE* openForReading(const char* path)
{
    return _wfopen(widePath(path).c_str(), L"rb");
}
#else
bool statPath(const char* path, bool& isFolder)
{
    struct stat info;
    if (stat(path, &info) != 0) return false;
    isFolder = S_ISDIR(info.st_mode);
    return true;
}

FILE* openForReading(const char* path)
{
    return std::fopen(path, "rb");
}
#endif

// Tells the path's own faults apart before FFmpeg, whose messages would lump them together.
int checkSongPath(const char* path, SongReader& reader)
{
    bool isFolder = false;
    if (!statPath(path, isFolder)) {
        if (errno == EACCES) return failOpen(reader, path, codeSongUnreadable, "permission denied");
        return failOpen(reader, path, codeSongMissing, "no such file");
    }
    if (isFolder) return failOpen(reader, path, codeSongIsFolder, "is a folder");
    FILE* file = openForReading(path);
    if (file == nullptr) {
        if (errno == EACCES) return failOpen(reader, path, codeSongUnreadable, "permission denied");
        return 0;  // another fault: FFmpeg's open reports it
    }
    std::fclose(file);
    return 0;
}

int openContainer(const char* path, SongReader& reader)
{
    // "file:" keeps a name with a colon from being read as a protocol; the whitelist keeps a
    // playlist or reference inside an untrusted file from reaching anything but local files.
    const std::string url = std::string("file:") + path;
    AVDictionary* options = nullptr;
    if (av_dict_set(&options, "protocol_whitelist", "file", 0) < 0) return -1;
    const int opened = avformat_open_input(&reader.format, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return opened;
    return avformat_find_stream_info(reader.format, nullptr);
}

int openDecoder(SongReader& reader)
{
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(reader.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || codec == nullptr) return -1;
    const AVStream* stream = reader.format->streams[index];
    reader.decoder = avcodec_alloc_context3(codec);
    if (reader.decoder == nullptr) return -1;
    if (avcodec_parameters_to_context(reader.decoder, stream->codecpar) < 0) return -1;
    reader.decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(reader.decoder, codec, nullptr) < 0) return -1;
    reader.packet = av_packet_alloc();
    reader.frame = av_frame_alloc();
    if (reader.packet == nullptr || reader.frame == nullptr) return -1;
    reader.streamIndex = index;
    for (unsigned i = 0; i < reader.format->nb_streams; ++i)
        reader.format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    return 0;
}

void noteSongTimes(SongReader& reader)
{
    const AVStream* stream = reader.format->streams[reader.streamIndex];
    reader.startTime = stream->start_time;  // AV_NOPTS_VALUE (INT64_MIN) when unknown
    const double seconds = songDurationEstimate(reader);
    reader.endFrames = seconds >= 0.0 && seconds < 1e9 ? static_cast<int64_t>(seconds * reader.outputRate) : -1;
}

const float* pendingAt(const SongReader& reader, int frame)
{
    return reader.pending + static_cast<size_t>(frame) * static_cast<size_t>(reader.outputChannels);
}

// Room for frames more pending frames after those already there.
bool reservePending(SongReader& reader, int frames)
{
    const int64_t needed = static_cast<int64_t>(reader.pendingStart) + reader.pendingCount + frames;
    if (needed <= reader.pendingCapacity) return true;
    if (needed > INT32_MAX / 8 / reader.outputChannels) return false;
    const size_t bytes = static_cast<size_t>(needed) * static_cast<size_t>(reader.outputChannels) * sizeof(float);
    void* grown = std::realloc(reader.pending, bytes);
    if (grown == nullptr) return false;
    reader.pending = static_cast<float*>(grown);
    reader.pendingCapacity = static_cast<int>(needed);
    return true;
}

// Runs input (or, with input null, the resampler's buffered tail) through the resampler into pending.
void appendResampled(SongReader& reader, const uint8_t* const* input, int inputFrames)
{
    const int room = swr_get_out_samples(reader.resampler, inputFrames);
    if (room == 0) return;  // nothing buffered to flush
    if (room < 0 || room > longestFrameSeconds * reader.outputRate || !reservePending(reader, room)) {
        ++reader.packetsSkipped;
        return;
    }
    uint8_t* out = reinterpret_cast<uint8_t*>(reader.pending) +
                   static_cast<size_t>(reader.pendingStart + reader.pendingCount) *
                       static_cast<size_t>(reader.outputChannels) * sizeof(float);
    const int made = swr_convert(reader.resampler, &out, room, const_cast<const uint8_t**>(input), inputFrames);
    if (made > 0) reader.pendingCount += made;
}

void flushResampler(SongReader& reader)
{
    if (reader.resampler != nullptr) appendResampled(reader, nullptr, 0);
}

bool resamplerFits(const SongReader& reader, const AVFrame& frame)
{
    const AVChannelLayout& layout = frame.ch_layout;
    const uint64_t mask = layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
    return reader.resampler != nullptr && frame.sample_rate == reader.inputRate &&
           frame.format == reader.inputFormat && layout.nb_channels == reader.inputChannels &&
           static_cast<int>(layout.order) == reader.inputOrder && mask == reader.inputMask;
}

void rememberInput(SongReader& reader, const AVFrame& frame)
{
    const AVChannelLayout& layout = frame.ch_layout;
    reader.inputRate = frame.sample_rate;
    reader.inputFormat = frame.format;
    reader.inputChannels = layout.nb_channels;
    reader.inputOrder = static_cast<int>(layout.order);
    reader.inputMask = layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
}

int configureResampler(SongReader& reader, const AVFrame& frame, AVChannelLayout& in)
{
    AVChannelLayout out{};
    av_channel_layout_default(&out, reader.outputChannels);
    int result = swr_alloc_set_opts2(&reader.resampler, &out, AV_SAMPLE_FMT_FLT, reader.outputRate, &in,
                                     static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&out);
    // Downmixes are scaled to stay within full scale: the samples feed the analysis and the AAC track.
    if (result >= 0) result = av_opt_set_double(reader.resampler, "rematrix_maxval", 1.0, 0);
    // A mono song plays at its own level on both sides, as players do, not 3 dB down.
    static const double monoToBoth[2] = {1.0, 1.0};
    if (result >= 0 && in.nb_channels == 1 && reader.outputChannels == 2)
        result = swr_set_matrix(reader.resampler, monoToBoth, 1);
    if (result >= 0) result = swr_init(reader.resampler);
    return result;
}

// Sets the resampler up for the frame's format, keeping the one there when the format is unchanged.
int prepareResampler(SongReader& reader, const AVFrame& frame)
{
    if (resamplerFits(reader, frame)) return 0;
    flushResampler(reader);
    swr_free(&reader.resampler);
    AVChannelLayout in{};
    int result = 0;
    // Without a known channel order the resampler cannot mix, so take the usual one for the count.
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE) result = av_channel_layout_copy(&in, &frame.ch_layout);
    else av_channel_layout_default(&in, frame.ch_layout.nb_channels);
    if (result >= 0) result = in.nb_channels > 0 ? configureResampler(reader, frame, in) : AVERROR_INVALIDDATA;
    av_channel_layout_uninit(&in);
    if (result < 0) {
        swr_free(&reader.resampler);
        return result;
    }
    rememberInput(reader, frame);
    return 0;
}

// A frame stamped ahead of the sound handed out so far follows lost data: silence fills the lost time.
void noteGap(SongReader& reader, const AVFrame& frame)
{
    const int64_t stamp = frame.best_effort_timestamp;
    if (stamp == AV_NOPTS_VALUE) return;
    if (reader.startTime == AV_NOPTS_VALUE) reader.startTime = stamp;
    const AVRational timeBase = reader.format->streams[reader.streamIndex]->time_base;
    const int64_t at = av_rescale_q(av_sat_sub64(stamp, reader.startTime), timeBase, AVRational{1, reader.outputRate});
    const int64_t next = reader.framesDelivered + reader.silenceOwed + reader.pendingCount +
                         swr_get_delay(reader.resampler, reader.outputRate);
    const int64_t gap = av_sat_sub64(at, next);
    if (gap <= reader.outputRate / gapsPerSecond) return;
    const int64_t latest = reader.endFrames >= 0 ? reader.endFrames + reader.outputRate
                                                 : next + int64_t(gapSecondsWhenEndUnknown) * reader.outputRate;
    if (at > latest) return;  // a stamp past the song's end is damage, not a gap
    reader.silenceOwed += gap;
}

void convertFrame(SongReader& reader)
{
    const AVFrame& frame = *reader.frame;
    if (frame.nb_samples <= 0 || prepareResampler(reader, frame) < 0) {
        ++reader.packetsSkipped;
        return;
    }
    noteGap(reader, frame);
    appendResampled(reader, frame.extended_data, frame.nb_samples);
}

void feedPacket(SongReader& reader)
{
    // The end, or a read error in the middle: either way the song ends with what was decoded.
    if (av_read_frame(reader.format, reader.packet) < 0) {
        reader.inputEnded = true;
        if (avcodec_send_packet(reader.decoder, nullptr) < 0) reader.drainErrors = maxDrainErrors;
        return;
    }
    // A packet the decoder rejects is dropped; the next frame's timestamp turns its time into silence.
    if (reader.packet->stream_index == reader.streamIndex && avcodec_send_packet(reader.decoder, reader.packet) < 0)
        ++reader.packetsSkipped;
    av_packet_unref(reader.packet);
}

// Moves decoding one step on: converts one decoded frame, feeds the decoder one packet, or ends the
// song once the decoder has given everything.
void decodeStep(SongReader& reader)
{
    const int received = avcodec_receive_frame(reader.decoder, reader.frame);
    if (received == 0) {
        convertFrame(reader);
        av_frame_unref(reader.frame);
        return;
    }
    if (received != AVERROR(EAGAIN) && received != AVERROR_EOF) ++reader.packetsSkipped;
    if (received == AVERROR_EOF || (reader.inputEnded && ++reader.drainErrors > maxDrainErrors)) {
        flushResampler(reader);
        reader.drained = true;
        return;
    }
    if (!reader.inputEnded) feedPacket(reader);
}

int handOutSilence(SongReader& reader, float* out, int frames)
{
    const int count = reader.silenceOwed < frames ? static_cast<int>(reader.silenceOwed) : frames;
    std::memset(out, 0, static_cast<size_t>(count) * static_cast<size_t>(reader.outputChannels) * sizeof(float));
    reader.silenceOwed -= count;
    return count;
}

int handOutPending(SongReader& reader, float* out, int frames)
{
    const int count = reader.pendingCount < frames ? reader.pendingCount : frames;
    std::memcpy(out, pendingAt(reader, reader.pendingStart),
                static_cast<size_t>(count) * static_cast<size_t>(reader.outputChannels) * sizeof(float));
    reader.pendingStart += count;
    reader.pendingCount -= count;
    if (reader.pendingCount == 0) reader.pendingStart = 0;
    return count;
}

}  // namespace

int openSongReader(const char* path, int outputRate, int outputChannels, SongReader& reader)
{
    closeSongReader(reader);
    if (outputRate <= 0 || outputChannels < 1 || outputChannels > 2)
        return failOpen(reader, path, codeBadOption, "unsupported output format");
    const int pathFault = checkSongPath(path, reader);
    if (pathFault != 0) return pathFault;
    if (openContainer(path, reader) < 0) return failOpen(reader, path, codeNotSound, "not a sound file");
    if (openDecoder(reader) < 0) return failOpen(reader, path, codeNoAudioStream, "no audio stream");
    reader.outputRate = outputRate;
    reader.outputChannels = outputChannels;
    noteSongTimes(reader);
    return 0;
}

int readSongFrames(SongReader& reader, float* interleaved, int frames)
{
    int filled = 0;
    while (filled < frames && reader.decoder != nullptr) {
        float* out = interleaved + static_cast<size_t>(filled) * static_cast<size_t>(reader.outputChannels);
        int count = 0;
        if (reader.silenceOwed > 0) count = handOutSilence(reader, out, frames - filled);
        else if (reader.pendingCount > 0) count = handOutPending(reader, out, frames - filled);
        else if (reader.drained) break;
        else decodeStep(reader);
        filled += count;
        reader.framesDelivered += count;
    }
    return filled;
}

int songSampleRate(const SongReader& reader)
{
    return reader.decoder != nullptr ? reader.decoder->sample_rate : 0;
}

int songChannelCount(const SongReader& reader)
{
    return reader.decoder != nullptr ? reader.decoder->ch_layout.nb_channels : 0;
}

double songDurationEstimate(const SongReader& reader)
{
    if (reader.format == nullptr) return -1.0;
    if (reader.format->duration != AV_NOPTS_VALUE && reader.format->duration >= 0)
        return static_cast<double>(reader.format->duration) / AV_TIME_BASE;
    if (reader.streamIndex < 0) return -1.0;
    const AVStream* stream = reader.format->streams[reader.streamIndex];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration >= 0)
        return static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    return -1.0;
}

void closeSongReader(SongReader& reader)
{
    avformat_close_input(&reader.format);
    avcodec_free_context(&reader.decoder);
    swr_free(&reader.resampler);
    av_packet_free(&reader.packet);
    av_frame_free(&reader.frame);
    std::free(reader.pending);
    reader = SongReader{};
}

void songTag(const SongReader& reader, const char* key, char* text, size_t capacity)
{
    if (capacity == 0) return;
    text[0] = '\0';
    if (reader.format == nullptr) return;
    const AVDictionaryEntry* entry = av_dict_get(reader.format->metadata, key, nullptr, 0);
    // Ogg and Opus keep their comments on the stream rather than the file.
    if (entry == nullptr && reader.streamIndex >= 0) {
        entry = av_dict_get(reader.format->streams[reader.streamIndex]->metadata, key, nullptr, 0);
    }
    if (entry != nullptr && entry->value != nullptr) std::snprintf(text, capacity, "%s", entry->value);
}

void silenceMediaMessages()
{
    av_log_set_level(AV_LOG_QUIET);
}
