// Text rendering of the image generator: FreeType lines of DejaVu text as coverage masks.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

#include "tools/image_generator/canvas.h"

enum FontId { fontSans, fontSansBold, fontMono, fontMonoBold, fontCount };

struct FontSet {
    FT_Library library = nullptr;
    FT_Face faces[fontCount] = {};
};

struct TextStyle {
    FontId font = fontSans;
    float pixelSize = 16.0f;
    float stretch = 1.0f;   // horizontal scale of every glyph
    float tracking = 0.0f;  // extra pixels after each glyph
    bool mono = false;      // one bit per pixel: pure ink or nothing
};

// The inked pixels of one line of text, trimmed to their bounding box.
struct TextMask {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // 0..255 per pixel, rows top to bottom
    int bearing = 0;   // from the pen's start to the first inked column
    int ascent = 0;    // from the first inked row down to the baseline
    int advance = 0;   // width of the pen's travel
    int capHeight = 0; // rows of the font's capital H at this size; 0 for masks that hold no text
};

// Opens the four DejaVu faces; 0 on success, 1 when FreeType or a face cannot be opened.
int openFonts(FontSet& fonts);
void closeFonts(FontSet& fonts);

// Renders UTF-8 text; an empty mask for text without ink.
TextMask renderText(FontSet& fonts, const TextStyle& style, const char* text);
// Finds the size and stretch whose ink box comes closest to, without exceeding, the given box.
TextMask fitText(FontSet& fonts, TextStyle style, const char* text, int inkWidth, int inkHeight);
// The largest size at the style's stretch whose ink is no taller than inkHeight.
float largestSize(FontSet& fonts, TextStyle style, const char* text, int inkHeight);
// The widest stretch at the style's size whose ink is no wider than inkWidth.
float widestStretch(FontSet& fonts, TextStyle style, const char* text, int inkWidth);
// Width in pixels of the pen's travel over the text.
int textAdvance(FontSet& fonts, const TextStyle& style, const char* text);

// Each of the three painters records a mask that holds text in the canvas's painted texts.
// Paints the mask with its ink box's top-left corner at (x, y).
void drawMask(Canvas& canvas, const TextMask& mask, int x, int y, Colour colour);
// Paints the mask in colours running through the hues from left to right.
void drawMaskRainbow(Canvas& canvas, const TextMask& mask, int x, int y);
// Paints the mask with the source canvas's pixels at the same positions.
void drawMaskFrom(Canvas& canvas, const TextMask& mask, int x, int y, const Canvas& source);
// A copy of the mask widened by radius pixels on every side and blurred, for halos and shadows; no
// text of its own.
TextMask blurMask(const TextMask& mask, int radius);

// Draws a line with its pen starting at x on the baseline y; returns the pen's end.
int drawTextLine(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text, int x,
                 int baseline, Colour colour);
// Draws a line centred on the column cx.
void drawTextCentredOn(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text, int cx,
                       int baseline, Colour colour);
// Draws text broken into lines at spaces so that none is wider than width; returns the baseline
// below the last line.
int drawWrappedText(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text, int x,
                    int baseline, int width, int lineHeight, Colour colour);
// Draws a line centred on the column cx with a dark halo that keeps it readable over artwork.
void drawCentredText(Canvas& canvas, FontSet& fonts, const TextStyle& style, const char* text,
                     int cx, int baseline, Colour colour);
