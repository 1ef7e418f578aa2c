// Helpers of the media tests: a temporary folder, the ffmpeg tool making inputs, whole-file reads
// through the song reader, and measurements of sampled sine waves.
#pragma once
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include "media/song_reader.h"

extern char** environ;

// A folder under /tmp, removed with everything in it at the end of its scope.
struct TempFolder {
    std::string path;
    TempFolder()
    {
        char name[] = "/tmp/quasarine_media_XXXXXX";
        if (mkdtemp(name) != nullptr) path = name;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// The libraries' own messages about damaged input and encoder statistics only clutter the test log.
inline void quietFfmpeg()
{
    av_log_set_level(AV_LOG_FATAL);
}

// Runs the ffmpeg tool with the given arguments after its quiet, non-interactive ones; returns its exit status.
inline int runFfmpeg(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {QUASARINE_FFMPEG_TOOL, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Makes a song from an aevalsrc expression list ("left|right" and so on) with the given extra arguments
// (codec, channel layout) into path; true when ffmpeg succeeded.
inline bool makeSong(const std::string& path, const std::string& source, std::vector<std::string> extra = {})
{
    std::vector<std::string> args = {"-f", "lavfi", "-i", "aevalsrc=" + source};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(path);
    return runFfmpeg(args) == 0;
}

inline std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

inline bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// One song read to its end in chunks of chunkFrames, as the caller would.
struct ReadSong {
    int opened = -1;
    std::vector<float> samples;  // interleaved
    int channels = 0;
    int64_t packetsSkipped = 0;
    size_t frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
};

inline ReadSong readWholeSong(const std::string& path, int rate, int channels, int chunkFrames = 4096,
                              size_t maxFrames = SIZE_MAX)
{
    ReadSong song;
    song.channels = channels;
    SongReader reader;
    song.opened = openSongReader(path.c_str(), rate, channels, reader);
    if (song.opened != 0) return song;
    std::vector<float> chunk(size_t(chunkFrames) * size_t(channels));
    int got;
    while ((got = readSongFrames(reader, chunk.data(), chunkFrames)) > 0 && song.frames() <= maxFrames)
        song.samples.insert(song.samples.end(), chunk.begin(), chunk.begin() + ptrdiff_t(got) * channels);
    song.packetsSkipped = reader.packetsSkipped;
    closeSongReader(reader);
    return song;
}

// Upward zero crossings of one channel between two times: a sine's frequency times the span.
inline int upwardCrossings(const ReadSong& song, int channel, int rate, double from, double to)
{
    const size_t first = size_t(from * rate), last = std::min(song.frames(), size_t(to * rate));
    int count = 0;
    for (size_t i = first + 1; i < last; ++i) {
        const float before = song.samples[(i - 1) * size_t(song.channels) + size_t(channel)];
        const float now = song.samples[i * size_t(song.channels) + size_t(channel)];
        count += before < 0.0f && now >= 0.0f ? 1 : 0;
    }
    return count;
}

inline float peakOf(const ReadSong& song, int channel, int rate, double from, double to)
{
    const size_t first = size_t(from * rate), last = std::min(song.frames(), size_t(to * rate));
    float peak = 0.0f;
    for (size_t i = first; i < last; ++i)
        peak = std::max(peak, std::fabs(song.samples[i * size_t(song.channels) + size_t(channel)]));
    return peak;
}
