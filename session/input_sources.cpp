// The sound-source selector and the two playback modes: the audible demo track and the screen saver.
#include "audio/audio_devices.h"
#include "session/input_actions.h"

namespace {
bool playbackMuted(const AudioContext& audio)
{
    return audio.playbackMuted.load(std::memory_order_relaxed);
}

void setPlaybackMuted(AudioContext& audio, bool muted)
{
    audio.playbackMuted.store(muted, std::memory_order_relaxed);
}

// Stops the demo track and re-opens the source that was active when playback began.
void leavePlayback(InputTargets& targets)
{
    setDemoPlayback(false, targets.audio);
    targets.inputDeviceIndex = selectInputSource(targets.session.savedInputDeviceIndex, targets.audio);
}

// Closes the capture stream before the playback stream opens, so that only one stream runs.
void enterPlayback(InputTargets& targets)
{
    SessionState& session = targets.session;
    session.demoPlaying = true;
    session.savedInputDeviceIndex = targets.inputDeviceIndex;
    targets.inputDeviceIndex = selectInputSource(-2, targets.audio);
    if (setDemoPlayback(true, targets.audio)) {
        targets.display.visualizing = true;
        return;
    }
    session.demoPlaying = false;
    setPlaybackMuted(targets.audio, false);
    leavePlayback(targets);
}
}  // namespace

void stepSelectorUp(InputTargets& targets)
{
    SessionState& session = targets.session;
    if (targets.inputDeviceIndex >= countInputDevices() - 1) {
        return;
    }
    session.upArrowPressed = true;
    session.downArrowPressed = false;
    // While the demo track plays the selection is -2, so the step leads to the default device.
    if (session.demoPlaying) {
        setDemoPlayback(false, targets.audio);
        session.demoPlaying = false;
        setPlaybackMuted(targets.audio, false);
    }
    targets.inputDeviceIndex = selectInputSource(targets.inputDeviceIndex + 1, targets.audio);
}

void stepSelectorDown(InputTargets& targets)
{
    if (targets.inputDeviceIndex < -1) {
        return;
    }
    targets.session.downArrowPressed = true;
    targets.session.upArrowPressed = false;
    targets.inputDeviceIndex = selectInputSource(targets.inputDeviceIndex - 1, targets.audio);
}

void toggleDemoMode(InputTargets& targets)
{
    SessionState& session = targets.session;
    if (playbackMuted(targets.audio)) {
        // From the screen saver: the running stream turns audible and the track starts again.
        setPlaybackMuted(targets.audio, false);
        resetAnalysis(targets.audio);
        session.demoPlaying = true;
        targets.display.visualizing = true;
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
        targets.display.visualizing = true;
    }
}
