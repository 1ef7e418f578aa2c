// Drawing surface of the image generator: an RGB pixel buffer with antialiased shape primitives.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

struct Colour {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One line of text painted on a canvas: its ink box and the height of its font's capitals.
struct PaintedText {
    Box ink;
    int capHeight = 0;
};

// Pixels are stored red, green, blue, rows top to bottom, no padding. The painted texts are kept so
// that the size of every text in an image can be checked.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    std::vector<PaintedText> texts;
};

Canvas makeCanvas(int width, int height, Colour background);
Colour pixelAt(const Canvas& canvas, int x, int y);
void setPixel(Canvas& canvas, int x, int y, Colour colour);
// Mixes colour into the pixel with the given coverage (0..1); outside the canvas nothing happens.
void blendPixel(Canvas& canvas, int x, int y, Colour colour, float coverage);
Colour mixColours(Colour from, Colour to, float t);

void fillBox(Canvas& canvas, Box box, Colour colour);
void strokeBox(Canvas& canvas, Box box, int thickness, Colour colour);
// Filled rectangle with rounded corners of the given radius, edges antialiased.
void fillRoundedBox(Canvas& canvas, Box box, float radius, Colour colour, float opacity);
void strokeRoundedBox(Canvas& canvas, Box box, float radius, float thickness, Colour colour);
void fillCircle(Canvas& canvas, float cx, float cy, float radius, Colour colour);
void strokeCircle(Canvas& canvas, float cx, float cy, float radius, float thickness, Colour colour);
// An arc of a circle from angle from to angle to (radians, counter-clockwise on screen from the
// positive x axis, from < to), with round ends.
void strokeArc(Canvas& canvas, float cx, float cy, float radius, float thickness, float from, float to,
               Colour colour);
// A line of the given thickness with round ends, antialiased.
void drawLine(Canvas& canvas, float x0, float y0, float x1, float y1, float thickness, Colour colour);
// A line ending in a filled arrow head at (x1, y1).
void drawArrow(Canvas& canvas, float x0, float y0, float x1, float y1, float thickness, Colour colour);
void fillTriangle(Canvas& canvas, const float xs[3], const float ys[3], Colour colour);

// Writes the pixels as raw blue-green-red bytes; returns 0 on success, 1 when the file cannot be written.
int writeRawImage(const Canvas& canvas, const char* path);
// Appends one line per painted text: the name, the cap height, then the ink box's x, y, width and
// height; returns 0 on success, 1 when the file cannot be written.
int appendPaintedTexts(const Canvas& canvas, const char* name, std::FILE* file);
