// Scripted stand-ins for the stream control and the analysis reset, logging every call without allocating.
#pragma once
#include <cstdint>
#include <string>

#include "audio/sound_sources.h"

enum class StreamCall { selectSource, demoPlayback, resetAnalysis };

struct StreamCallRecord {
    StreamCall call;
    int argument;
    int result;
};

// A machine with some input devices and perhaps an output device. selectInputSource and
// setDemoPlayback answer as the real ones would on it.
struct StreamScript {
    int inputDevices = 3;
    uint32_t brokenSelections = 0;  // bit (n + 1) set: selection n cannot be opened
    bool outputDevice = true;       // the default output device exists and plays
    bool speakers = true;           // what the default output plays can be captured
    int captureSelection = -2;      // what the capture stream is open on, -2 none
    bool playbackRunning = false;
    bool mutedWhenStarted = false;  // playbackMuted as the last setDemoPlayback(true) found it
    int countCalls = 0;
    int remembered = -2;  // the last selection passed to rememberChosenSource
    static constexpr int logCapacity = 64;
    StreamCallRecord log[logCapacity];
    int logCount = 0;
};

extern StreamScript streamScript;

// The controls that answer from streamScript and log each stream call.
extern const SoundSourceControl scriptedStreams;

void resetStreamScript();

// The log as text such as "select(-2)=-2 play(1)=1 reset", for readable expectations.
std::string streamLog();
void clearStreamLog();
