// Keeps the audio libraries' reports off the terminal; failures still reach the user through
// PortAudio's result codes, the program's error box and the source shown on the title screen.
#pragma once

// Around Pa_Initialize: the sound libraries beneath PortAudio report every device they probe and
// fail to find, which reads as a broken program although nothing is wrong. From the probe on, ALSA's
// reports and PortAudio's reports of failed calls are dropped for the whole run, since the program
// recovers by itself from a device or sound server that fails under a stream; JACK's print again
// once the probe ends.
void beginQuietAudioProbe();
void endQuietAudioProbe();
