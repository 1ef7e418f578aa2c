// Per-buffer analysis: FFT, seven band energies, their history, beats and silence.
#pragma once
#include "audio/audio_context.h"

// Analyses the frames just copied into the sample window; does nothing without a context or without
// its FFT configuration.
void analyseBuffer(unsigned int frameCount, AudioContext* context);

// First FFT bin of each band, from the band edge table.
void fillBandBins(uint32_t bins[bandCountFixed]);
