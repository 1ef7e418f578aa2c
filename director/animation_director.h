// The animation director: once per frame, sound, clock and chance become the shader parameters.
#pragma once
#include <cstdint>

#include "platform/display_state.h"
#include "audio/analysis_results.h"
#include "render/fractal_params.h"
#include "state/animation_state.h"
#include "state/session_state.h"

// Start values of the director's state and of the parameters; makes the session's first draws.
void initAnimation(AnimationState& animation, FractalParams& params, uint32_t startTicks);

// The per-frame update, ending with the camera moves. Reads the clock itself.
void updateAnimation(AnimationState& animation, FractalParams& params, SessionState& session,
                     const DisplayState& display, const AnalysisResults& audio);
