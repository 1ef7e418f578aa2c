// Scripted sound-source controls: the device count and the stream control answer as the script's
// machine would, and the title screen's queries find no default device and no names.
#include "tests/session/stream_script.h"

#include "audio/audio_context.h"

StreamScript streamScript;

namespace {
void record(StreamCall call, int argument, int result)
{
    if (streamScript.logCount < StreamScript::logCapacity) {
        streamScript.log[streamScript.logCount++] = StreamCallRecord{call, argument, result};
    }
}

bool openable(int selection)
{
    if (selection == speakersSource) return streamScript.speakers;
    // The default recording device exists only where some device can record.
    if (selection < -1 || selection >= streamScript.inputDevices || streamScript.inputDevices == 0) {
        return false;
    }
    return (streamScript.brokenSelections & (1u << (selection + 1))) == 0;
}
}  // namespace

void resetStreamScript()
{
    streamScript = StreamScript{};
}

void clearStreamLog()
{
    streamScript.logCount = 0;
}

std::string streamLog()
{
    std::string text;
    for (int i = 0; i < streamScript.logCount; ++i) {
        const StreamCallRecord& entry = streamScript.log[i];
        text += text.empty() ? "" : " ";
        if (entry.call == StreamCall::resetAnalysis) {
            text += "reset";
            continue;
        }
        text += entry.call == StreamCall::selectSource ? "select(" : "play(";
        text += std::to_string(entry.argument) + ")=" + std::to_string(entry.result);
    }
    return text;
}

namespace {
int countInputDevices()
{
    ++streamScript.countCalls;
    return streamScript.inputDevices;
}

bool hasDefaultRecordingDevice()
{
    return false;
}

bool inputDeviceIdentity(int, char*, char*, size_t)
{
    return false;
}

int selectInputSource(int selection, AudioContext&)
{
    const int result = openable(selection) ? selection : -2;
    streamScript.captureSelection = result;
    record(StreamCall::selectSource, selection, result);
    return result;
}

bool setDemoPlayback(bool on, AudioContext& context)
{
    if (on) {
        streamScript.mutedWhenStarted = context.streams.playbackMuted.load();
    }
    streamScript.playbackRunning = on && streamScript.outputDevice;
    record(StreamCall::demoPlayback, on ? 1 : 0, streamScript.playbackRunning ? 1 : 0);
    return streamScript.playbackRunning;
}

void logAnalysisReset(AudioContext&)
{
    record(StreamCall::resetAnalysis, 0, 0);
}

void rememberChosenSource(int selection)
{
    streamScript.remembered = selection;
}

void speakersDeviceName(char* name, size_t capacity)
{
    if (capacity > 0) name[0] = '\0';
}

bool captureIsLost()
{
    return false;
}
}  // namespace

const SoundSourceControl scriptedStreams = {
    countInputDevices, hasDefaultRecordingDevice, inputDeviceIdentity, speakersDeviceName,
    captureIsLost,     selectInputSource,         setDemoPlayback,     logAnalysisReset,
    rememberChosenSource,
};
