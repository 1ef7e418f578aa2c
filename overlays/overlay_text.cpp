// The bitmap font: glyph cells of the font strip and square-glyph text drawn with the 2D renderer.
#include <cstdint>
#include <cstring>

#include "assets/font_cells.h"
#include "overlays/overlays.h"
#include "overlays/screen_pixels.h"

namespace {

// Number of characters to draw: up to the first stop character, if there is one.
size_t drawnLength(const char* text, char stop)
{
    const char* cut = stop != '\0' ? std::strchr(text, stop) : nullptr;
    return cut != nullptr ? static_cast<size_t>(cut - text) : std::strlen(text);
}

}  // namespace

SDL_Rect glyphCell(unsigned char ch)
{
    const char* found = ch != 0 ? std::strchr(fontCellOrder, ch) : nullptr;
    int cell = found != nullptr ? static_cast<int>(found - fontCellOrder) : blankFontCell;
    return SDL_Rect{cell * fontCellSize, 0, fontCellSize, fontCellSize};
}

void drawText(const char* text, SDL_Texture* font, char stop, const DisplayState& display, float xf,
              float yf, float sf, float rf)
{
    if (xf >= rf || font == nullptr || text == nullptr) {
        return;
    }
    size_t count = drawnLength(text, stop);
    int32_t size = 0, top = 0, left = 0, limit = 0;
    bool scaled = fractionToPixels(display.drawableHeight, sf, size) &&
                  fractionToPixels(display.drawableHeight, yf, top) &&
                  fractionToPixels(display.drawableWidth, xf, left) &&
                  fractionToPixels(display.drawableWidth, rf, limit);
    if (count == 0 || !scaled || size <= 0) {
        return;
    }
    for (size_t j = 0; j < count; ++j) {
        int64_t x = left + static_cast<int64_t>(j) * size;
        if (x + size > limit) {
            return;
        }
        SDL_Rect source = glyphCell(static_cast<unsigned char>(text[j]));
        SDL_Rect square{static_cast<int>(x), top, size, size};
        if (SDL_RenderCopy(display.renderer, font, &source, &square) != 0) {
            return;
        }
    }
}
