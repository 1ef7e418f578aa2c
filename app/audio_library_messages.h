// Keeps the audio libraries' own diagnostics off the terminal; failures still reach the user through
// PortAudio's result codes and the program's error box.
#pragma once

// Before Pa_Initialize: the sound libraries beneath PortAudio report every device they probe and
// fail to find, which reads as a broken program although nothing is wrong.
void silenceAudioLibraryMessages();
