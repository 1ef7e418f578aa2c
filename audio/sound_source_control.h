// The sound-source controls over the machine's real devices and streams.
#pragma once
#include "audio/sound_sources.h"

// PortAudio's devices, the capture and playback streams, the speakers' capture, the analysis reset
// and the settings that remember the chosen source.
extern const SoundSourceControl audioSoundSources;
