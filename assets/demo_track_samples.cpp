// Access to the embedded demo track for the audio callbacks.
#include "assets/demo_track.h"

// Defined by demo_track.S: the generated block, interleaved stereo floats.
extern "C" const float quasarineDemoTrackData[];

const float* demoTrackSamples()
{
    return quasarineDemoTrackData;
}
