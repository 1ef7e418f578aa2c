// The table of presets the director picks scenes from, and the limits of each formula.
#pragma once
#include "render/fractal_params.h"
#include "state/animation_state.h"

struct Preset {
    Vec2 c;                // Julia constant
    Vec2 diveTargets[4];   // plane points the automatic dives zoom into
};

extern const Preset presetTable[presetCount];

// Iteration formula of a preset, from its index.
int presetFormula(int presetIndex);

// Upper bound of max_iterations and smallest zzoom for a formula.
int iterationCeilingFor(int fractalmode);
float zoomFloorFor(int fractalmode);
