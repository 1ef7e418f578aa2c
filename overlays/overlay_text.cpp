// The bitmap font: glyph cells of the font strip and square-glyph text drawn with the 2D renderer.
#include <cstdint>
#include <cstring>

#include "assets/font_cells.h"
#include "overlays/overlays.h"
#include "overlays/screen_pixels.h"

namespace {

// Where drawing ends: at the first stop character, if there is one.
const char* drawnEnd(const char* text, char stop)
{
    const char* cut = stop != '\0' ? std::strchr(text, stop) : nullptr;
    return cut != nullptr ? cut : text + std::strlen(text);
}

// The Latin-1 letters U+00C0 to U+00FF without their accents; '\0' where there is no plain letter.
constexpr char latinLetters[] = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";

char plainCharacter(uint32_t code)
{
    if (code >= 0x20 && code < 0x7F) return static_cast<char>(code);
    if (code >= 0xC0 && code <= 0xFF) return latinLetters[code - 0xC0];
    if (code >= 0x2010 && code <= 0x2015) return '-';
    if (code == 0x2018 || code == 0x2019) return '\'';
    if (code == 0x201C || code == 0x201D) return '"';
    return '\0';
}

// The bytes a UTF-8 sequence starting with lead takes, or 1 for a byte that starts none.
int sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    return lead >= 0xC0 ? 2 : 1;
}

}  // namespace

char nextDrawnCharacter(const char*& text)
{
    const unsigned char lead = static_cast<unsigned char>(*text++);
    const int length = sequenceLength(lead);
    if (length == 1) return lead < 0x80 ? plainCharacter(lead) : '\0';
    uint32_t code = lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(*text);
        // A cut or broken sequence stands for one blank; the byte that broke it starts the next.
        if ((next & 0xC0) != 0x80) return '\0';
        code = (code << 6) | (next & 0x3Fu);
        ++text;
    }
    return plainCharacter(code);
}

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
    const char* end = drawnEnd(text, stop);
    int32_t size = 0, top = 0, left = 0, limit = 0;
    bool scaled = fractionToPixels(display.drawableHeight, sf, size) &&
                  fractionToPixels(display.drawableHeight, yf, top) &&
                  fractionToPixels(display.drawableWidth, xf, left) &&
                  fractionToPixels(display.drawableWidth, rf, limit);
    if (text == end || !scaled || size <= 0) {
        return;
    }
    for (int64_t x = left; text < end; x += size) {
        if (x + size > limit) {
            return;
        }
        SDL_Rect source = glyphCell(static_cast<unsigned char>(nextDrawnCharacter(text)));
        SDL_Rect square{static_cast<int>(x), top, size, size};
        if (SDL_RenderCopy(display.renderer, font, &source, &square) != 0) {
            return;
        }
    }
}
