// The songs' decoding thread, the ring it fills and the playback stream that empties it.
#include "songs/song_player.h"

#include <chrono>
#include <cstdlib>

#include "audio/song_playback.h"

namespace {

constexpr int streamRate = 44100;
constexpr uint32_t ringFrames = 3 * streamRate;  // how far ahead of the stream the thread decodes
constexpr int chunkFrames = 4096;

// Decodes one chunk into the ring; false once the song has ended.
bool decodeChunk(SongPlayer& player)
{
    const int frames = readSongFrames(player.reader, player.chunk, chunkFrames);
    if (frames > 0) putSongFrames(player.ring, player.chunk, static_cast<uint32_t>(frames));
    if (frames == chunkFrames) return true;
    player.ring.inputEnded.store(true, std::memory_order_release);
    return false;
}

bool chunkFits(const SongPlayer& player)
{
    return songRingSpace(player.ring) >= static_cast<uint32_t>(chunkFrames);
}

// How long the stream takes to make room for a chunk when space frames are free: the thread sleeps
// that long rather than waking every few milliseconds to find the ring still full.
std::chrono::milliseconds timeUntilChunkFits(uint32_t space)
{
    return std::chrono::milliseconds(1 + (static_cast<uint32_t>(chunkFrames) - space) * 1000 / streamRate);
}

// Keeps the ring full until the song ends or the next takes its place.
void runDecoder(SongPlayer* player)
{
    while (!player->stopRequested.load(std::memory_order_relaxed)) {
        const uint32_t space = songRingSpace(player->ring);
        if (space < static_cast<uint32_t>(chunkFrames)) {
            std::this_thread::sleep_for(timeUntilChunkFits(space));
        } else if (!decodeChunk(*player)) {
            return;
        }
    }
}

// Ends the song before: its thread stops and what it left in the ring is dropped.
void endSongBefore(SongPlayer& player)
{
    player.stopRequested.store(true);
    if (player.decoder.joinable()) player.decoder.join();
    closeSongReader(player.reader);
    player.title[0] = '\0';
    player.artist[0] = '\0';
    if (player.ring.samples != nullptr) dropSongFramesWritten(player.ring);
    player.ring.inputEnded.store(true, std::memory_order_release);
}

bool prepareRing(SongPlayer& player)
{
    if (player.chunk == nullptr) {
        player.chunk = static_cast<float*>(std::malloc(sizeof(float) * chunkFrames * songRingChannels));
    }
    return player.chunk != nullptr && (player.ring.samples != nullptr || createSongRing(player.ring, ringFrames));
}

}  // namespace

int openSongPlayer(const char* path, AudioContext& context, SongPlayer& player)
{
    silenceMediaMessages();
    endSongBefore(player);
    const int code = openSongReader(path, streamRate, songRingChannels, player.reader);
    if (code != 0) return code;
    if (!prepareRing(player)) return songNoOutput;
    songTag(player.reader, "title", player.title, sizeof player.title);
    songTag(player.reader, "artist", player.artist, sizeof player.artist);
    player.ring.paused.store(false);
    player.ring.inputEnded.store(false);
    // As much as fits goes in before the thread starts, so that a device filling its buffer in one
    // burst at the start finds sound rather than a gap.
    bool more = true;
    while (more && chunkFits(player)) more = decodeChunk(player);
    player.stopRequested.store(false);
    if (more) player.decoder = std::thread(runDecoder, &player);
    if (!player.streaming) player.streaming = openSongPlayback(player.ring, context);
    if (!player.streaming) {
        closeSongPlayer(player, context);
        return songNoOutput;
    }
    return 0;
}

void closeSongPlayer(SongPlayer& player, AudioContext& context)
{
    // The stream goes first: its callback reads the ring that is freed below.
    if (player.streaming) closeSongPlayback(context);
    player.streaming = false;
    endSongBefore(player);
    destroySongRing(player.ring);
    std::free(player.chunk);
    player.chunk = nullptr;
}

bool songPlayerFinished(const SongPlayer& player)
{
    return player.streaming && songRingFinished(player.ring);
}

void pauseSongPlayer(SongPlayer& player, bool paused)
{
    player.ring.paused.store(paused, std::memory_order_relaxed);
}
