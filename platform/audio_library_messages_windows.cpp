// Audio library messages on Windows: PortAudio's host APIs there print nothing while probing.
#include "platform/audio_library_messages.h"

void beginQuietAudioProbe()
{
}

void endQuietAudioProbe()
{
}
