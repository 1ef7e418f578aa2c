// Helpers of the audio tests that drive the PulseAudio tools: child processes, command output, WAV
// files, and polling with a deadline.
#pragma once
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// Starts a program found on PATH with its output discarded; returns its pid, or -1.
inline pid_t spawnQuiet(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

inline int waitForExit(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string commandOutput(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char chunk[512];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    pclose(pipe);
    return out;
}

inline int lineCount(const std::string& text)
{
    int lines = 0;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    return lines;
}

template <typename Condition>
bool waitUntil(Condition condition, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Waits until a counter has moved the given number of times, polling every millisecond.
template <typename Reading>
bool waitForSteps(Reading read, int steps, double seconds)
{
    auto last = read();
    int seen = 0;
    return waitUntil(
        [&] {
            const auto now = read();
            seen += now != last ? 1 : 0;
            last = now;
            return seen >= steps;
        },
        seconds);
}

// True when a reading keeps one value through the whole wait, read every millisecond: a ring position
// compared only at both ends could have come round to where it was.
template <typename Reading>
bool staysUnchanged(Reading read, double seconds)
{
    const auto first = read();
    return !waitUntil([&] { return read() != first; }, seconds);
}

inline void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

inline void putWord(FILE* file, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) std::fputc(int((value >> (8 * i)) & 0xff), file);
}

// A 16-bit stereo WAV at 44100 Hz holding a sine of the given amplitude in both channels.
inline bool writeToneWav(const std::string& path, double hz, double amplitude, double seconds)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const uint32_t frames = uint32_t(seconds * 44100.0);
    std::fputs("RIFF", file);
    putWord(file, 36 + frames * 4, 4);
    std::fputs("WAVEfmt ", file);
    putWord(file, 16, 4);
    putWord(file, 1, 2);  // PCM
    putWord(file, 2, 2);
    putWord(file, 44100, 4);
    putWord(file, 44100 * 4, 4);
    putWord(file, 4, 2);
    putWord(file, 16, 2);
    std::fputs("data", file);
    putWord(file, frames * 4, 4);
    for (uint32_t n = 0; n < frames; ++n) {
        const double x = amplitude * std::sin(2.0 * 3.141592653589793 * hz * n / 44100.0);
        const auto level = uint32_t(int32_t(std::lround(x * 32767.0)) & 0xffff);
        putWord(file, level, 2);
        putWord(file, level, 2);
    }
    return std::fclose(file) == 0;
}
