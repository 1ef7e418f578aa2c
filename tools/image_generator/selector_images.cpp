// The selector's two arrows: exact isosceles triangles in flat colours, no antialiasing.
#include "tools/image_generator/artwork.h"

namespace {

constexpr int selectorWidth = 32;
constexpr int selectorHeight = 66;
constexpr int centreColumn = 15;
constexpr int halfBase = 8;     // the base runs over columns 7 to 23
constexpr int upApexRow = 6;
constexpr int upBaseRow = 24;
constexpr int downBaseRow = 41;
constexpr int downApexRow = 59;

Colour arrowColour(ArrowLook look)
{
    switch (look) {
    case arrowEnabled: return Colour{34, 177, 76};
    case arrowDisabled: return Colour{195, 195, 195};
    default: return Colour{0, 255, 0};
    }
}

// One row of a triangle, as wide as its distance from the apex allows (rounded to whole pixels).
void fillTriangleRow(Canvas& canvas, int row, int stepsFromApex, Colour colour)
{
    int span = upBaseRow - upApexRow;
    int half = (stepsFromApex * halfBase * 2 + span) / (2 * span);
    fillBox(canvas, Box{centreColumn - half, row, 2 * half + 1, 1}, colour);
}

}  // namespace

Canvas makeSelectorImage(ArrowLook up, ArrowLook down)
{
    Canvas canvas = makeCanvas(selectorWidth, selectorHeight, Colour{0, 0, 0});
    for (int row = upApexRow; row <= upBaseRow; ++row) {
        fillTriangleRow(canvas, row, row - upApexRow, arrowColour(up));
    }
    for (int row = downBaseRow; row <= downApexRow; ++row) {
        fillTriangleRow(canvas, row, downApexRow - row, arrowColour(down));
    }
    return canvas;
}
