// Audio library messages on Linux: drops ALSA's and JACK's reports through their own hooks.
#include "app/audio_library_messages.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <cstdlib>

namespace {

// ALSA reports every card, plug-in and configuration entry it cannot resolve while PortAudio lists
// devices, even where another one (the PulseAudio plug-in) serves the program well.
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}

// JACK reports that no server runs, once for PortAudio's own probe and again for ALSA's JACK plug-in.
void dropJackMessage(const char*)
{
}

}  // namespace

void silenceAudioLibraryMessages()
{
    snd_lib_error_set_handler(dropAlsaMessage);
    jack_set_error_function(dropJackMessage);
    jack_set_info_function(dropJackMessage);
    // A probe must not launch a JACK server the user never asked for; a user's own setting stands.
    setenv("JACK_NO_START_SERVER", "1", 0);
}
