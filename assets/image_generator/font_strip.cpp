// The bitmap font: DejaVu Sans Mono rendered in one-bit mode, one glyph per 32 x 32 cell.
#include <algorithm>

#include "assets/image_generator/artwork.h"

const char fontCellOrder[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!@#$%^&*(),.<>?/\\;:'\"{}[]|+-=_";

namespace {

// Widened a little so that the square cells the program draws them into do not look sparse.
TextStyle glyphStyle()
{
    TextStyle style;
    style.font = fontMono;
    style.pixelSize = 27.0f;
    style.stretch = 1.3f;
    style.mono = true;
    return style;
}

// The baseline row: ascenders and descenders of the whole set sit centred in the cell.
int commonBaseline(FontSet& fonts, const TextStyle& style)
{
    int highest = 0, lowest = 0;
    for (const char* ch = fontCellOrder; *ch != '\0'; ++ch) {
        const char text[2] = {*ch, '\0'};
        TextMask mask = renderText(fonts, style, text);
        highest = std::max(highest, mask.ascent);
        lowest = std::max(lowest, mask.height - mask.ascent);
    }
    return (fontCellSize - highest - lowest) / 2 + highest;
}

}  // namespace

Canvas makeFontStrip(FontSet& fonts)
{
    TextStyle style = glyphStyle();
    Canvas strip = makeCanvas(fontCellCount * fontCellSize, fontCellSize, Colour{0, 0, 0});
    int baseline = commonBaseline(fonts, style);
    for (int cell = 0; fontCellOrder[cell] != '\0'; ++cell) {
        const char text[2] = {fontCellOrder[cell], '\0'};
        TextMask mask = renderText(fonts, style, text);
        int left = cell * fontCellSize + (fontCellSize - mask.width) / 2;
        drawMask(strip, mask, left, baseline - mask.ascent, Colour{255, 255, 255});
    }
    return strip;
}
