// The controls screen.
#include "assets/image_generator/artwork.h"

Canvas makeControlsImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(960, 540, Colour{0, 0, 0});
    TextStyle style;
    drawCentredText(canvas, fonts, style, "Controls", 960 / 2, 540 / 2, Colour{255, 255, 255});
    return canvas;
}
