// CPU mirror of the shader geometry and of the escape test, for zooms and the morph guard.
#pragma once
#include "render/fractal_params.h"

// Window pixel (origin top left) to quad coordinates, undoing tilt and offsets; width, height >= 2.
Vec2 pixelToQuad(int px, int py, float alpha, float ws, float ad, int width, int height);

// Quad point to plane point, exactly as the vertex stage maps it.
Vec2 quadToPlane(Vec2 q, float theta, float zoom, Vec2 zitrans, Vec2 zftrans);

// Outer translation that keeps plane point a shown at quad point q for this rotation and zoom.
Vec2 pivotTranslation(Vec2 a, Vec2 q, float theta, float zoom);

// Escape test of the orbit of 0 under formula f(z) + p, with squared bailout 1e8, for count steps.
bool pointEscapes(Vec2 p, int count, int formula);
