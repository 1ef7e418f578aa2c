// Camera moves: the user's zooms, the return to the home view and the automatic dives.
#pragma once
#include "director/director_steps.h"
#include "platform/display_state.h"
#include "render/fractal_params.h"
#include "state/animation_state.h"
#include "state/session_state.h"

// Moves the camera by the first move under way: a rectangle zoom, a click zoom, a zoom toward the
// pointer, the return home after it, a dive; without one, the home view.
void updateCamera(AnimationState& animation, FractalParams& params, const SessionState& session,
                  const DisplayState& display, const director::BandSnapshot& bands);
