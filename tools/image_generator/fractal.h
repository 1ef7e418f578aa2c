// Fractal artwork of the image generator: the visualizer's own iteration formulas and colour modes.
#pragma once
#include "tools/image_generator/canvas.h"

// One view of an escape-time fractal, with the values the fragment shader takes as uniforms.
struct FractalView {
    int fractalmode = 0;
    int colormode = 0;
    int maxIterations = 100;
    float threshold = 4.0f;   // squared escape distance from the start point
    float blend = 0.0f;       // weight of the background colour
    float cx = 0.0f;          // Julia constant
    float cy = 0.0f;
    float centreX = 0.0f;     // plane point at the centre of the layer
    float centreY = 0.0f;
    float unitsPerPixel = 0.005f;
    float theta = 0.0f;       // rotation of the plane
};

struct ShadeColour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// How brightly the layer shows at each pixel: full inside an ellipse, fading out to nothing beyond it.
struct FadeShape {
    float centreX = 0.0f;
    float centreY = 0.0f;
    float radiusX = 1.0f;
    float radiusY = 1.0f;
    float softness = 0.5f;   // fraction of the radius over which the layer fades
    float brightness = 1.0f;
};

// The fragment shader's colour (fade 1) for the plane point (x, y).
ShadeColour shadeFractal(const FractalView& view, float x, float y);
float fadeAt(const FadeShape& shape, float x, float y);
// Renders the view into the box, samples x samples per pixel, lightening what is already there.
void paintFractal(Canvas& canvas, Box box, const FractalView& view, const FadeShape& shape, int samples);
