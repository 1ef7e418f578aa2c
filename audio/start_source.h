// The sound source the audio stage opens first, and the user's choices kept for the next run.
#pragma once
#include "audio/audio_context.h"

// Opens the first source of the run: the speakers when speakersFirst (the command line's wish), else the source remembered from the
// last run, else the default recording device; a remembered source that is gone or does not open falls
// back to the default. Returns the selection that runs, or noSource.
int openStartSource(AudioContext& context, bool speakersFirst);

// Keeps a selection the user chose (the default device, the speakers or a device) for the next run.
void rememberChosenSource(int selection);
