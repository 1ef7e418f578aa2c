// Camera moves: the user's zooms, the return to the home view and the automatic dives.
#pragma once
#include "platform/display_state.h"
#include "audio/audio_context.h"
#include "render/fractal_params.h"
#include "state/animation_state.h"
#include "state/session_state.h"

// Runs the first of the six branches whose condition holds.
void updateCamera(AnimationState& animation, FractalParams& params, const SessionState& session,
                  const DisplayState& display, const AudioContext& audio);
