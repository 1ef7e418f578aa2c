// The sound source the audio stage opens first, and the user's choices kept for the next run.
#pragma once
#include "audio/audio_context.h"

// Asks the audio stage to start with the speakers whatever was remembered (the command line's wish).
void requestSpeakersAtStart();

// Opens the first source of the run: the speakers when requested, else the source remembered from the
// last run, else the default recording device; a remembered source that is gone or does not open falls
// back to the default. Returns the selection that runs, or -2.
int openStartSource(AudioContext& context);

// Keeps a selection the user chose (the default device, the speakers or a device) for the next run.
void rememberChosenSource(int selection);
