// The visualizer once SDL and PortAudio run: window, renderer, audio and session, composed in one place.
#pragma once
#include "app/options.h"

// Opens the window, the fractal renderer and the audio stage, runs the session, then closes them in
// reverse order. Returns 0, or the code of the stage that failed to open (after its error box), with
// everything opened before it closed.
int runVisualizer(const StartOptions& options);
