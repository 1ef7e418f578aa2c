// The songs playing in the window: each decoded on a thread of its own a few seconds ahead of the
// playback stream, which only copies from the ring between them and stays open from song to song.
#pragma once
#include <atomic>
#include <cstddef>
#include <thread>

#include "audio/audio_context.h"
#include "audio/song_ring.h"
#include "media/song_reader.h"

constexpr size_t songTagCapacity = 256;

// The result of an open when the song is readable but no output device plays it.
constexpr int songNoOutput = -1;

struct SongPlayer {
    SongReader reader;       // the song playing now
    SongRing ring;
    float* chunk = nullptr;  // the decoding thread's own buffer
    std::thread decoder;
    std::atomic<bool> stopRequested{false};
    bool streaming = false;  // the playback stream runs
    char title[songTagCapacity] = {};
    char artist[songTagCapacity] = {};
};

// Drops what is left of the song before, opens this one, reads its tags, decodes its first part
// and starts its decoding thread; the stream opens with the first song. Returns 0, a song reader's
// code (platform/exit_codes.h) or songNoOutput. After a failure nothing more plays, and the stream
// and ring stay for the next song.
int openSongPlayer(const char* path, AudioContext& context, SongPlayer& player);

// Stops the stream, then the thread, and frees everything; safe on a half-built or closed record.
void closeSongPlayer(SongPlayer& player, AudioContext& context);

// True once the stream has played the song's last frame (or, after a failed open, what was left).
bool songPlayerFinished(const SongPlayer& player);

// Paused, the stream plays silence and keeps its place.
void pauseSongPlayer(SongPlayer& player, bool paused);
