// The songs as the sound source: starting them from the command line or a drop, stepping through
// them, and going back to the source the session had before them once the last has played.
#include "input/input_actions.h"
#include "state/session_clock.h"

namespace {

// What the song steps change: the session's source state, the streams and the list.
struct SongTargets {
    SessionState& session;
    AudioContext& audio;
    const SoundSourceControl& sources;
    int& inputDeviceIndex;
    SongSession& songs;
};

SongTargets songTargetsOf(InputTargets& targets)
{
    return {targets.session, targets.audio, targets.sources, targets.inputDeviceIndex, targets.songs};
}

void setMuted(AudioContext& audio, bool muted)
{
    audio.streams.playbackMuted.store(muted, std::memory_order_relaxed);
}

// Keeps the source that runs now and closes it, since only one stream may feed the analysis.
void setSourceAside(SongTargets& targets)
{
    SongSession& songs = targets.songs;
    songs.returnToDemo = targets.session.demoPlaying;
    songs.returnMuted = targets.audio.streams.playbackMuted.load(std::memory_order_relaxed);
    songs.returnSelection = targets.inputDeviceIndex;
    if (targets.session.demoPlaying) {
        targets.sources.setDemoPlayback(false, targets.audio);
        targets.session.demoPlaying = false;
    } else {
        targets.inputDeviceIndex = targets.sources.selectInputSource(noSource, targets.audio);
    }
    setMuted(targets.audio, false);
}

// The demo track as it was (audible or the screen saver), or the selection that ran before.
void returnToSourceAside(SongTargets& targets)
{
    SongSession& songs = targets.songs;
    closeSongs(songs, targets.audio);
    setMuted(targets.audio, false);
    if (songs.returnToDemo) {
        setMuted(targets.audio, songs.returnMuted);
        targets.session.demoPlaying = targets.sources.setDemoPlayback(true, targets.audio);
        if (targets.session.demoPlaying) return;
        setMuted(targets.audio, false);
        targets.inputDeviceIndex =
            targets.sources.selectInputSource(targets.session.savedInputDeviceIndex, targets.audio);
        return;
    }
    targets.inputDeviceIndex = targets.sources.selectInputSource(songs.returnSelection, targets.audio);
}

void playFrom(SongTargets& targets, int index)
{
    if (!playSongFrom(targets.songs, index, targets.audio, currentTicks())) returnToSourceAside(targets);
}

// Songs start with the visualization on, as the demo track does.
void startSongsAt(SongTargets& targets, int index)
{
    setSourceAside(targets);
    playFrom(targets, index);
    if (targets.songs.playing) targets.session.visualizing = true;
}

}  // namespace

void dropSong(const char* path, InputTargets& targets)
{
    SongTargets songTargets = songTargetsOf(targets);
    addSong(targets.songs, path);
    if (!targets.songs.playing) startSongsAt(songTargets, static_cast<int>(targets.songs.paths.size()) - 1);
}

void startSongs(SessionState& session, AudioContext& audio, const SoundSourceControl& sources,
                int& inputDeviceIndex, SongSession& songs)
{
    SongTargets targets{session, audio, sources, inputDeviceIndex, songs};
    if (!songs.paths.empty()) startSongsAt(targets, 0);
}

void nextSong(InputTargets& targets)
{
    SongTargets songTargets = songTargetsOf(targets);
    if (targets.songs.playing) playFrom(songTargets, targets.songs.current + 1);
}

void previousSong(InputTargets& targets)
{
    SongTargets songTargets = songTargetsOf(targets);
    if (targets.songs.playing) playFrom(songTargets, targets.songs.current > 0 ? targets.songs.current - 1 : 0);
}

void toggleSongPaused(InputTargets& targets)
{
    toggleSongPause(targets.songs);
}

void leaveSongs(InputTargets& targets)
{
    closeSongs(targets.songs, targets.audio);
    setMuted(targets.audio, false);
    // Like the demo track, the songs sit at the bottom of the selector: steps go on from there.
    targets.session.failedSource = noSource;
}

void followSongs(SessionState& session, AudioContext& audio, const SoundSourceControl& sources,
                 int& inputDeviceIndex, SongSession& songs)
{
    if (!songs.playing || !songPlayerFinished(songs.player)) return;
    SongTargets targets{session, audio, sources, inputDeviceIndex, songs};
    playFrom(targets, songs.current + 1);
}
