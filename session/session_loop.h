// The visualizer's main loop.
#pragma once
#include <string>
#include <vector>

#include "platform/display_state.h"
#include "audio/audio_context.h"
#include "audio/sound_sources.h"
#include "render/shader_bindings.h"

// Runs frame after frame until the user quits, starting on the title screen or, with visualizing, in
// the visualization. The selector and the title screen work the sound sources through sources. Songs
// given play first, in order, and the source that ran before them follows the last. A frame-rate cap
// above 0 sleeps out the rest of each frame's share of a second.
void runSession(DisplayState& display, const ShaderBindings& bindings, AudioContext& audio,
                const SoundSourceControl& sources, int& inputDeviceIndex, bool visualizing,
                const std::vector<std::string>& songPaths = {}, int frameRateCap = 0);
