// FreeType text lines as coverage masks, and the ways the generator paints them onto a canvas.
#include "tools/image_generator/text.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const char* const fontPaths[fontCount] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
};

// Next code point of a UTF-8 string; advances the cursor past it.
unsigned long nextCodePoint(const char*& cursor)
{
    auto byte = [&cursor]() { return static_cast<unsigned char>(*cursor++); };
    unsigned long lead = byte();
    int followers = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    unsigned long code = followers == 0 ? lead : lead & (0x3F >> followers);
    for (int i = 0; i < followers && (*cursor & 0xC0) == 0x80; ++i) {
        code = (code << 6) | (byte() & 0x3F);
    }
    return code;
}

// Loads and renders one glyph with the pen's fraction as a sub-pixel shift; 0 on success.
int loadGlyph(FT_Face face, const TextStyle& style, unsigned long code, float penFraction)
{
    FT_Matrix matrix{static_cast<FT_Fixed>(style.stretch * 65536.0f), 0, 0, 0x10000};
    FT_Vector delta{static_cast<FT_Pos>(penFraction * 64.0f), 0};
    FT_Set_Transform(face, &matrix, &delta);
    FT_Int32 flags = FT_LOAD_RENDER | (style.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    return FT_Load_Char(face, code, flags) == 0 ? 0 : 1;
}

// Rows of the capital H as the style renders it: the measure of how large the letters look.
int capitalHeight(FT_Face face, const TextStyle& style)
{
    return loadGlyph(face, style, 'H', 0.0f) == 0 ? static_cast<int>(face->glyph->bitmap.rows) : 0;
}

uint8_t bitmapCoverage(const FT_Bitmap& bitmap, unsigned int col, unsigned int row)
{
    const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        return (line[col / 8] & (0x80 >> (col % 8))) != 0 ? 255 : 0;
    }
    return line[col];
}

void blitGlyph(TextMask& mask, const FT_GlyphSlot slot, int left, int top)
{
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned int row = 0; row < bitmap.rows; ++row) {
        for (unsigned int col = 0; col < bitmap.width; ++col) {
            int x = left + static_cast<int>(col);
            int y = top + static_cast<int>(row);
            if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) {
                continue;
            }
            uint8_t& cell = mask.coverage[static_cast<size_t>(y) * mask.width + x];
            cell = std::max(cell, bitmapCoverage(bitmap, col, row));
        }
    }
}

// Cuts the mask down to its inked rows and columns, keeping bearing and ascent consistent.
void trimMask(TextMask& mask, int penStart, int baseline)
{
    int left = mask.width, right = -1, top = mask.height, bottom = -1;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            if (mask.coverage[static_cast<size_t>(y) * mask.width + x] != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    TextMask trimmed;
    trimmed.advance = mask.advance;
    if (right >= 0) {
        trimmed.width = right - left + 1;
        trimmed.height = bottom - top + 1;
        trimmed.bearing = left - penStart;
        trimmed.ascent = baseline - top;
        for (int y = top; y <= bottom; ++y) {
            const uint8_t* row = &mask.coverage[static_cast<size_t>(y) * mask.width];
            trimmed.coverage.insert(trimmed.coverage.end(), row + left, row + right + 1);
        }
    }
    mask = trimmed;
}

void recordText(Canvas& canvas, const TextMask& mask, int x, int y)
{
    if (mask.capHeight > 0 && mask.width > 0) {
        canvas.texts.push_back(PaintedText{Box{x, y, mask.width, mask.height}, mask.capHeight});
    }
}

float maskAt(const TextMask& mask, int x, int y)
{
    return mask.coverage[static_cast<size_t>(y) * mask.width + x] / 255.0f;
}

// A fully saturated colour; hue 0 is red, 1/3 green, 2/3 blue.
Colour hueColour(float hue)
{
    float h = (hue - std::floor(hue)) * 6.0f;
    auto channel = [h](float offset) {
        float k = std::fmod(offset + h, 6.0f);
        float v = 1.0f - std::clamp(std::min(k, 4.0f - k), 0.0f, 1.0f);
        return static_cast<uint8_t>(std::lround(255.0f * v));
    };
    return Colour{channel(5.0f), channel(3.0f), channel(1.0f)};
}

}  // namespace

int openFonts(FontSet& fonts)
{
    if (FT_Init_FreeType(&fonts.library) != 0) {
        fonts.library = nullptr;
        return 1;
    }
    for (int i = 0; i < fontCount; ++i) {
        if (FT_New_Face(fonts.library, fontPaths[i], 0, &fonts.faces[i]) != 0) {
            fonts.faces[i] = nullptr;
            closeFonts(fonts);
            return 1;
        }
    }
    return 0;
}

void closeFonts(FontSet& fonts)
{
    for (FT_Face& face : fonts.faces) {
        if (face != nullptr) {
            FT_Done_Face(face);
            face = nullptr;
        }
    }
    if (fonts.library != nullptr) {
        FT_Done_FreeType(fonts.library);
        fonts.library = nullptr;
    }
}

TextMask renderText(FontSet& fonts, const TextStyle& style, const char* text)
{
    FT_Face face = fonts.faces[style.font];
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(style.pixelSize * 64.0f), 72, 72);
    int margin = static_cast<int>(style.pixelSize) + 4;
    int baseline = static_cast<int>(style.pixelSize * 1.4f) + 2;
    TextMask mask;
    mask.width = textAdvance(fonts, style, text) + 2 * margin;
    mask.height = static_cast<int>(style.pixelSize * 2.2f) + 4;
    mask.coverage.assign(static_cast<size_t>(mask.width) * mask.height, 0);
    float pen = static_cast<float>(margin);
    for (const char* cursor = text; *cursor != '\0';) {
        unsigned long code = nextCodePoint(cursor);
        float whole = std::floor(pen);
        if (loadGlyph(face, style, code, pen - whole) == 0) {
            FT_GlyphSlot slot = face->glyph;
            blitGlyph(mask, slot, static_cast<int>(whole) + slot->bitmap_left, baseline - slot->bitmap_top);
            pen += slot->advance.x / 64.0f + style.tracking;
        }
    }
    mask.advance = static_cast<int>(std::lround(pen)) - margin;
    trimMask(mask, margin, baseline);
    mask.capHeight = capitalHeight(face, style);
    return mask;
}

int textAdvance(FontSet& fonts, const TextStyle& style, const char* text)
{
    FT_Face face = fonts.faces[style.font];
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(style.pixelSize * 64.0f), 72, 72);
    float pen = 0.0f;
    for (const char* cursor = text; *cursor != '\0';) {
        unsigned long code = nextCodePoint(cursor);
        if (loadGlyph(face, style, code, 0.0f) == 0) {
            pen += face->glyph->advance.x / 64.0f + style.tracking;
        }
    }
    return static_cast<int>(std::ceil(pen));
}

float widestStretch(FontSet& fonts, TextStyle style, const char* text, int inkWidth)
{
    float narrow = 0.2f, wide = 4.0f;
    for (int i = 0; i < 40; ++i) {
        style.stretch = 0.5f * (narrow + wide);
        (renderText(fonts, style, text).width <= inkWidth ? narrow : wide) = style.stretch;
    }
    return narrow;
}

float largestSize(FontSet& fonts, TextStyle style, const char* text, int inkHeight)
{
    float low = 2.0f, high = 400.0f;
    for (int i = 0; i < 40; ++i) {
        style.pixelSize = 0.5f * (low + high);
        (renderText(fonts, style, text).height <= inkHeight ? low : high) = style.pixelSize;
    }
    return low;
}

TextMask fitText(FontSet& fonts, TextStyle style, const char* text, int inkWidth, int inkHeight)
{
    style.pixelSize = largestSize(fonts, style, text, inkHeight);
    style.stretch = widestStretch(fonts, style, text, inkWidth);
    return renderText(fonts, style, text);
}

void drawMask(Canvas& canvas, const TextMask& mask, int x, int y, Colour colour)
{
    recordText(canvas, mask, x, y);
    for (int row = 0; row < mask.height; ++row) {
        for (int col = 0; col < mask.width; ++col) {
            blendPixel(canvas, x + col, y + row, colour, maskAt(mask, col, row));
        }
    }
}

void drawMaskRainbow(Canvas& canvas, const TextMask& mask, int x, int y)
{
    recordText(canvas, mask, x, y);
    for (int col = 0; col < mask.width; ++col) {
        Colour colour = hueColour(0.8f * col / std::max(mask.width - 1, 1));
        for (int row = 0; row < mask.height; ++row) {
            blendPixel(canvas, x + col, y + row, colour, maskAt(mask, col, row));
        }
    }
}

void drawMaskFrom(Canvas& canvas, const TextMask& mask, int x, int y, const Canvas& source)
{
    recordText(canvas, mask, x, y);
    for (int row = 0; row < mask.height; ++row) {
        for (int col = 0; col < mask.width; ++col) {
            int sx = std::clamp(x + col, 0, source.width - 1);
            int sy = std::clamp(y + row, 0, source.height - 1);
            blendPixel(canvas, x + col, y + row, pixelAt(source, sx, sy), maskAt(mask, col, row));
        }
    }
}

TextMask blurMask(const TextMask& mask, int radius)
{
    TextMask wide = mask;
    wide.width = mask.width + 2 * radius;
    wide.height = mask.height + 2 * radius;
    wide.bearing = mask.bearing - radius;
    wide.ascent = mask.ascent + radius;
    wide.capHeight = 0;
    wide.coverage.assign(static_cast<size_t>(wide.width) * wide.height, 0);
    for (int y = 0; y < wide.height; ++y) {
        for (int x = 0; x < wide.width; ++x) {
            float sum = 0.0f;
            for (int dy = -radius; dy <= radius; ++dy) {
                for (int dx = -radius; dx <= radius; ++dx) {
                    int sx = x + dx - radius, sy = y + dy - radius;
                    bool inside = sx >= 0 && sy >= 0 && sx < mask.width && sy < mask.height;
                    sum += inside ? maskAt(mask, sx, sy) : 0.0f;
                }
            }
            float side = 2.0f * radius + 1.0f;
            float level = std::min(1.0f, 2.5f * sum / (side * side));
            wide.coverage[static_cast<size_t>(y) * wide.width + x] = static_cast<uint8_t>(level * 255.0f);
        }
    }
    return wide;
}

int drawTextLine(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text, int x,
                 int baseline, Colour colour)
{
    TextMask mask = renderText(fonts, style, text);
    drawMask(canvas, mask, x + mask.bearing, baseline - mask.ascent, colour);
    return x + mask.advance;
}

void drawCentredText(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text,
                     int cx, int baseline, Colour colour)
{
    TextMask mask = renderText(fonts, style, text);
    int left = cx - textAdvance(fonts, style, text) / 2 + mask.bearing;
    TextMask halo = blurMask(mask, 3);
    drawMask(canvas, halo, left - 3, baseline - mask.ascent - 3, Colour{0, 0, 0});
    drawMask(canvas, mask, left, baseline - mask.ascent, colour);
}

void drawTextCentredOn(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text, int cx,
                       int baseline, Colour colour)
{
    drawTextLine(canvas, fonts, style, text, cx - textAdvance(fonts, style, text) / 2, baseline, colour);
}

int drawWrappedText(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text, int x,
                    int baseline, int width, int lineHeight, Colour colour)
{
    std::string line, word;
    auto flushLine = [&]() {
        drawTextLine(canvas, fonts, style, line.c_str(), x, baseline, colour);
        baseline += lineHeight;
        line.clear();
    };
    for (const char* cursor = text;; ++cursor) {
        if (*cursor != ' ' && *cursor != '\0') {
            word += *cursor;
            continue;
        }
        std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && textAdvance(fonts, style, longer.c_str()) > width) {
            flushLine();
            longer = word;
        }
        line = longer;
        word.clear();
        if (*cursor == '\0') {
            break;
        }
    }
    flushLine();
    return baseline;
}
