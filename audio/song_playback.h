// The playback stream of a song: the default output device fed from a song ring.
#pragma once
#include "audio/audio_context.h"
#include "audio/song_ring.h"

// Opens and starts the stream on the default output device with onSongBuffer reading ring. False
// when there is no output device or it does not open; no stream then runs.
bool openSongPlayback(SongRing& ring, AudioContext& context);

// Stops and closes the stream (resetting the analysis it fed) and lets go of the ring; safe when
// none runs.
void closeSongPlayback(AudioContext& context);
