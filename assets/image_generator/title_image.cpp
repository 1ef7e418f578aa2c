// The title screen.
#include "assets/image_generator/artwork.h"

Canvas makeTitleImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(960, 540, Colour{0, 0, 0});
    TextStyle style;
    drawCentredText(canvas, fonts, style, "Title", 960 / 2, 540 / 2, Colour{255, 255, 255});
    return canvas;
}
