// Audio library messages elsewhere: PortAudio's host APIs there print nothing while probing.
#include "app/audio_library_messages.h"

void beginQuietAudioProbe()
{
}

void endQuietAudioProbe()
{
}
