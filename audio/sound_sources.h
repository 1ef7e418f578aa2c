// The values of the sound-source selection, the order in which the selector steps through them, the
// controls the selector works through, and the name the title screen shows for each.
#pragma once
#include <cstddef>

struct AudioContext;

// A selection value n >= 0 is the n-th input-capable device.
constexpr int noSource = -2;             // nothing, or the demo track while it plays
constexpr int defaultDeviceSource = -1;  // the default recording device
constexpr int speakersSource = -3;       // what the default output device plays

// The selector's entries from the bottom up: nothing, the default device, the speakers, the devices.
// Below the bottom stays at the bottom; above the last device is past the list (the caller checks).
int sourceAbove(int selection);
int sourceBelow(int selection);

// The top entry of the selector with this many input-capable devices.
int topSource(int deviceCount);

// True when a is further up the selector than b.
bool sourceIsAbove(int a, int b);

// The device queries and stream control that the selector and the title screen work through. The
// audio library gives the one over the real devices (audioSoundSources); a test may give its own.
struct SoundSourceControl {
    int (*countInputDevices)();
    bool (*hasDefaultRecordingDevice)();
    // The n-th input device's name and host API, cut to capacity - 1 bytes; false when there is none.
    bool (*inputDeviceIdentity)(int n, char* name, char* hostApi, size_t capacity);
    // The output device the speakers capture; empty when unknown.
    void (*speakersDeviceName)(char* name, size_t capacity);
    // True while the chosen device's capture waits for its device or sound server to come back.
    bool (*captureIsLost)();
    // Opens the selection's capture; the selection when it runs, otherwise noSource.
    int (*selectInputSource)(int selection, AudioContext& context);
    // Closes a running playback stream; with on, opens a new one. True when it runs afterwards.
    bool (*setDemoPlayback)(bool on, AudioContext& context);
    void (*resetAnalysis)(AudioContext& context);
    // Keeps a chosen selection for the next run.
    void (*rememberChosenSource)(int selection);
};

constexpr size_t sourceLabelCapacity = 160;

// What the title screen shows for the sound source: the text (null: nothing) and the character at
// which the label row stops reading it ('\0' for none; host APIs append their driver in parentheses).
struct SourceLabel {
    const char* text = nullptr;
    char stop = '\0';
};

// The label for the selection. A device's name and the speakers' output device are written into
// buffer; a capture that has lost its device shows as none while it waits for the device.
SourceLabel sourceLabel(const SoundSourceControl& sources, int selection, bool demoPlaying,
                        bool playbackMuted, char (&buffer)[sourceLabelCapacity]);
