// Audio library messages on Linux: ALSA's and JACK's reports dropped through their own hooks while
// PortAudio probes the devices.
#include "app/audio_library_messages.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

// JACK may report from its own threads.
std::atomic<bool> probing{false};

// ALSA reports every card, plug-in and configuration entry it cannot resolve while PortAudio lists
// devices, even where another one (the PulseAudio plug-in) serves the program well.
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}

// JACK reports that no server runs, once for PortAudio's own probe and again for ALSA's JACK plug-in.
// JACK offers no way back to its own printer, so outside the probe this one prints as it does.
void reportJackMessageOutsideTheProbe(const char* message)
{
    if (!probing.load(std::memory_order_relaxed)) {
        std::fprintf(stderr, "%s\n", message);
    }
}

}  // namespace

void beginQuietAudioProbe()
{
    probing.store(true, std::memory_order_relaxed);
    snd_lib_error_set_handler(dropAlsaMessage);
    jack_set_error_function(reportJackMessageOutsideTheProbe);
    jack_set_info_function(reportJackMessageOutsideTheProbe);
    // A probe must not launch a JACK server the user never asked for; a user's own setting stands.
    setenv("JACK_NO_START_SERVER", "1", 0);
}

void endQuietAudioProbe()
{
    snd_lib_error_set_handler(nullptr);
    probing.store(false, std::memory_order_relaxed);
}
