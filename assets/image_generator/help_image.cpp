// The help screen.
#include "assets/image_generator/artwork.h"

Canvas makeHelpImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(1920, 1080, Colour{0, 0, 0});
    TextStyle style;
    drawCentredText(canvas, fonts, style, "Help", 1920 / 2, 1080 / 2, Colour{255, 255, 255});
    return canvas;
}
