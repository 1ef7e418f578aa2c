// The sound-source selector and the two playback modes: the audible demo track and the screen saver.
#include "audio/sound_sources.h"
#include "input/input_actions.h"

namespace {
bool playbackMuted(const AudioContext& audio)
{
    return audio.streams.playbackMuted.load(std::memory_order_relaxed);
}

void setPlaybackMuted(AudioContext& audio, bool muted)
{
    audio.streams.playbackMuted.store(muted, std::memory_order_relaxed);
}

// Stops the demo track and re-opens the source that was active when playback began.
void leavePlayback(InputTargets& targets)
{
    targets.sources.setDemoPlayback(false, targets.audio);
    const int saved = targets.session.savedInputDeviceIndex;
    targets.inputDeviceIndex = targets.sources.selectInputSource(saved, targets.audio);
}

// Closes the capture stream before the playback stream opens, so that only one stream runs.
void enterPlayback(InputTargets& targets)
{
    SessionState& session = targets.session;
    session.demoPlaying = true;
    session.savedInputDeviceIndex = targets.inputDeviceIndex;
    targets.inputDeviceIndex = targets.sources.selectInputSource(noSource, targets.audio);
    if (targets.sources.setDemoPlayback(true, targets.audio)) {
        targets.session.visualizing = true;
        return;
    }
    session.demoPlaying = false;
    setPlaybackMuted(targets.audio, false);
    leavePlayback(targets);
}
// Where the selector stands: the source that runs, or the one last chosen when it could not be opened,
// so that a source which fails does not bar the way to those beyond it.
int selectorPosition(const InputTargets& targets)
{
    const SessionState& session = targets.session;
    if (targets.inputDeviceIndex == noSource && !session.demoPlaying) return session.failedSource;
    return targets.inputDeviceIndex;
}

// Opens a source the user stepped to; one that runs is remembered for the next start.
void chooseSource(InputTargets& targets, int selection)
{
    targets.inputDeviceIndex = targets.sources.selectInputSource(selection, targets.audio);
    targets.session.failedSource = targets.inputDeviceIndex == noSource ? selection : noSource;
    if (targets.inputDeviceIndex != noSource) {
        targets.sources.rememberChosenSource(targets.inputDeviceIndex);
    }
}
}  // namespace

void stepSelectorUp(InputTargets& targets)
{
    SessionState& session = targets.session;
    if (targets.songs.playing) leaveSongs(targets);
    const int from = selectorPosition(targets);
    if (!sourceIsAbove(topSource(targets.sources.countInputDevices()), from)) {
        return;
    }
    session.upArrowPressed = true;
    session.downArrowPressed = false;
    // While the demo track plays the selection is -2, so the step leads to the default device.
    if (session.demoPlaying) {
        targets.sources.setDemoPlayback(false, targets.audio);
        session.demoPlaying = false;
        setPlaybackMuted(targets.audio, false);
    }
    chooseSource(targets, sourceAbove(from));
}

void stepSelectorDown(InputTargets& targets)
{
    if (targets.songs.playing) {
        leaveSongs(targets);
        return;
    }
    const int from = selectorPosition(targets);
    if (from == noSource) {
        return;
    }
    targets.session.downArrowPressed = true;
    targets.session.upArrowPressed = false;
    chooseSource(targets, sourceBelow(from));
}

void toggleDemoMode(InputTargets& targets)
{
    SessionState& session = targets.session;
    if (targets.songs.playing) {
        // The demo track then returns to the source the songs replaced, as if it had started there.
        const int before = targets.songs.returnToDemo ? session.savedInputDeviceIndex : targets.songs.returnSelection;
        leaveSongs(targets);
        targets.inputDeviceIndex = before;
        enterPlayback(targets);
        return;
    }
    if (playbackMuted(targets.audio)) {
        // From the screen saver: the running stream turns audible and the track starts again.
        setPlaybackMuted(targets.audio, false);
        targets.sources.resetAnalysis(targets.audio);
        session.demoPlaying = true;
        targets.session.visualizing = true;
    } else if (!session.demoPlaying) {
        enterPlayback(targets);
    } else {
        session.demoPlaying = false;
        leavePlayback(targets);
    }
}

void toggleScreenSaverMode(InputTargets& targets)
{
    SessionState& session = targets.session;
    if (targets.songs.playing) {
        // Songs keep playing, heard or not, as the demo track does in the screen saver.
        setPlaybackMuted(targets.audio, !playbackMuted(targets.audio));
        return;
    }
    if (playbackMuted(targets.audio)) {
        setPlaybackMuted(targets.audio, false);
        session.demoPlaying = false;
        leavePlayback(targets);
    } else if (!session.demoPlaying) {
        // Muted before the stream opens, so that not one buffer is heard.
        setPlaybackMuted(targets.audio, true);
        enterPlayback(targets);
    } else {
        // From the audible demo track: the stream keeps running, only its output falls silent.
        setPlaybackMuted(targets.audio, true);
        targets.session.visualizing = true;
    }
}
