// The audio stage of start-up: the FFT configuration, the AudioContext and the first sound source.
#pragma once
#include "audio/audio_context.h"
#include "audio/sound_sources.h"

// The analysis record and the selection that feeds it (see sound_sources.h).
struct AudioStage {
    AudioContext context;
    int inputDeviceIndex = noSource;
};

// The analysis alone, fed by its owner rather than by a stream (a song rendered into a video):
// allocates the FFT configuration and prepares the record. Returns 0, or 2 after its error box.
int openAnalysis(AudioContext& context);

// Frees the FFT configuration; safe when it is not there. No stream may be feeding the record.
void closeAnalysis(AudioContext& context);

// Allocates the FFT configuration, prepares the record and opens the first source: the speakers when
// speakersFirst, else the remembered source or the default device (noSource in the selection when none
// opens). Returns 0, or 2 after its error box when the FFT configuration cannot be allocated.
int openAudioStage(AudioStage& stage, bool speakersFirst);

// Closes both streams, then frees the FFT configuration. Safe on a half-built record.
void closeAudioStage(AudioStage& stage);
