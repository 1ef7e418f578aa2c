// The playback stream of a song, opened on the default output device like the demo track's.
#include "audio/song_playback.h"

#include "audio/started_stream.h"

namespace {

// Held from a successful open until closed.
PaStream* songStream = nullptr;

}  // namespace

bool openSongPlayback(SongRing& ring, AudioContext& context)
{
    closeSongPlayback(context);
    PaStreamParameters output;
    if (!defaultOutputParameters(output)) return false;
    context.streams.songRing = &ring;
    if (openStartedStream(songStream, nullptr, &output, onSongBuffer, context)) return true;
    context.streams.songRing = nullptr;
    return false;
}

void closeSongPlayback(AudioContext& context)
{
    closeHeldStream(songStream, context);
    context.streams.songRing = nullptr;
}
