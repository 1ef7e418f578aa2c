// A director scene for the tests: the records the director works on, started with scripted draws.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

#include "platform/display_state.h"
#include "audio/analysis_results.h"
#include "director/presets.h"
#include "director/second_chances.h"
#include "render/fractal_params.h"
#include "state/animation_state.h"
#include "state/session_state.h"

struct Scene {
    AnimationState animation;
    FractalParams params;
    SessionState session;
    DisplayState display;
    AnalysisResults audio;
};

// A 1920 by 1080 scene whose director was started at tick start with the draws: theta 0, 10000
// iterations, preset `initial`, colour mode 3, next preset `initial` + 1. No band has a peak, the
// analysis reports silence, and the script is empty afterwards.
std::unique_ptr<Scene> startScene(uint32_t start, int initial = 5);

// startScene, then the first frame 16 ms later (start must leave that within the same second),
// whose scene change draws `preset` (not 5, the start preset) and `next` (not `preset`).
std::unique_ptr<Scene> settledScene(uint32_t start, int preset, int next);

// Sets the clock and runs one updateAnimation.
void runFrame(Scene& scene, uint32_t now);

void setBand(Scene& scene, int band, float level, float peak);

// Scripts the first draws of the once-per-second chances: every chance fails except the listed ones,
// which succeed and are followed by their listed extra draws.
struct ChanceWin {
    SecondChance chance;
    std::initializer_list<int> extraDraws;
};
void scriptSecond(std::initializer_list<ChanceWin> wins);
