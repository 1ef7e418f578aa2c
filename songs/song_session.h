// The songs as the session's sound source: the list, the song playing, and the source to go back to.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_context.h"
#include "audio/sound_sources.h"
#include "songs/song_player.h"

constexpr uint32_t songNoticeMilliseconds = 5000;

struct SongSession {
    std::vector<std::string> paths;
    int current = -1;    // the song playing, counted from 0
    bool playing = false;  // the songs are the sound source
    bool paused = false;
    SongPlayer player;
    // The source before the songs: a selection, or the demo track, audible or muted.
    int returnSelection = noSource;
    bool returnToDemo = false;
    bool returnMuted = false;
    char label[sourceLabelCapacity] = {};   // the title screen's source line while songs play
    char notice[sourceLabelCapacity] = {};  // the last file that would not play
    uint32_t noticeUntil = 0;               // ticks until which the notice shows
};

// Appends a song to the list; the label follows the new count.
void addSong(SongSession& songs, const char* path);

// Plays the song at index, or the first one after it that opens; each that does not leaves its
// notice until now + songNoticeMilliseconds. False when none from index on plays: nothing runs then.
bool playSongFrom(SongSession& songs, int index, AudioContext& context, uint32_t now);

// Closes the song playing and empties the list; safe when there is none.
void closeSongs(SongSession& songs, AudioContext& context);

// Pauses or resumes the song playing.
void toggleSongPause(SongSession& songs);
