// The window icon: a small Julia set in warm and cool bands, fading into black at the corners.
#include "tools/image_generator/artwork.h"
#include "tools/image_generator/fractal.h"

Canvas makeIconImage()
{
    Canvas icon = makeCanvas(16, 16, Colour{0, 0, 0});
    FractalView view;
    view.fractalmode = 0;
    view.colormode = 4;
    // Few iterations keep the bands broad enough to read at 16 pixels.
    view.maxIterations = 33;
    view.threshold = 4.0f;
    view.cx = -0.4f;
    view.cy = 0.6f;
    view.unitsPerPixel = 0.13f;
    view.theta = 0.4f;
    FadeShape disc{8.0f, 8.0f, 8.5f, 8.5f, 0.35f, 1.0f};
    paintFractal(icon, Box{0, 0, 16, 16}, view, disc, 6);
    return icon;
}
