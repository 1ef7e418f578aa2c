// Keeps the audio libraries' device-probe reports off the terminal; failures still reach the user
// through PortAudio's result codes and the program's error box.
#pragma once

// Around Pa_Initialize: the sound libraries beneath PortAudio report every device they probe and
// fail to find, which reads as a broken program although nothing is wrong. Outside the probe their
// messages print as the libraries would print them.
void beginQuietAudioProbe();
void endQuietAudioProbe();
