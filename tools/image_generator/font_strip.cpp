// The bitmap font: DejaVu Sans Mono Bold rendered in one-bit mode, one glyph per 32 x 32 cell.
#include <algorithm>

#include "assets/font_cells.h"
#include "tools/image_generator/artwork.h"

namespace {

constexpr int widestInk = 28;  // leaves a black margin of two pixels on each side

// Widened so that text drawn in square cells reads as words rather than as spaced-out letters.
TextStyle glyphStyle()
{
    TextStyle style;
    style.font = fontMonoBold;
    style.pixelSize = 27.0f;
    style.stretch = 1.85f;
    style.mono = true;
    return style;
}

// One glyph at the common stretch, narrowed where a wide letter would not fit its cell.
TextMask glyphMask(FontSet& fonts, TextStyle style, char ch)
{
    const char text[2] = {ch, '\0'};
    TextMask mask = renderText(fonts, style, text);
    if (mask.width > widestInk) {
        style.stretch = widestStretch(fonts, style, text, widestInk);
        mask = renderText(fonts, style, text);
    }
    return mask;
}

// The baseline row: ascenders and descenders of the whole set sit centred in the cell.
int commonBaseline(FontSet& fonts, const TextStyle& style)
{
    int highest = 0, lowest = 0;
    for (const char* ch = fontCellOrder; *ch != '\0'; ++ch) {
        TextMask mask = glyphMask(fonts, style, *ch);
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
        TextMask mask = glyphMask(fonts, style, fontCellOrder[cell]);
        int left = cell * fontCellSize + (fontCellSize - mask.width) / 2;
        drawMask(strip, mask, left, baseline - mask.ascent, Colour{255, 255, 255});
    }
    return strip;
}
