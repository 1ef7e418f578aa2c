// The visualizer's main loop.
#pragma once
#include "platform/display_state.h"
#include "audio/audio_context.h"
#include "render/shader_bindings.h"

// Runs frame after frame until the user quits, starting on the title screen or, with visualizing, in
// the visualization.
void runSession(DisplayState& display, const ShaderBindings& bindings, AudioContext& audio,
                int& inputDeviceIndex, bool visualizing);
