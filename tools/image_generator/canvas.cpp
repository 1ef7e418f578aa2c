// Pixel buffer and shape primitives of the image generator; shapes are antialiased by signed distance.
#include "tools/image_generator/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Coverage of a pixel whose centre lies at signed distance d from a shape's edge (negative inside).
float edgeCoverage(float d)
{
    return std::clamp(0.5f - d, 0.0f, 1.0f);
}

float roundedBoxDistance(float px, float py, Box box, float radius)
{
    float hx = box.width * 0.5f;
    float hy = box.height * 0.5f;
    float qx = std::fabs(px - (box.x + hx)) - (hx - radius);
    float qy = std::fabs(py - (box.y + hy)) - (hy - radius);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float segmentDistance(float px, float py, float x0, float y0, float x1, float y1)
{
    float dx = x1 - x0;
    float dy = y1 - y0;
    float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / lengthSquared : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

// Largest signed distance of the point to the three edge lines: negative inside the triangle.
float triangleDistance(float px, float py, const float xs[3], const float ys[3])
{
    float area = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (ys[1] - ys[0]) * (xs[2] - xs[0]);
    float orientation = area < 0.0f ? -1.0f : 1.0f;
    float worst = -1e30f;
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        float ex = xs[j] - xs[i];
        float ey = ys[j] - ys[i];
        float length = std::max(std::hypot(ex, ey), 1e-6f);
        float side = ((px - xs[i]) * ey - (py - ys[i]) * ex) * orientation / length;
        worst = std::max(worst, side);
    }
    return worst;
}

// Distance from a point to an arc: to the ring within the arc's angles, else to the nearer end.
float arcDistance(float px, float py, float cx, float cy, float radius, float from, float to)
{
    float angle = std::atan2(cy - py, px - cx);
    while (angle < from) {
        angle += 6.2831853f;
    }
    if (angle <= to) {
        return std::fabs(std::hypot(px - cx, py - cy) - radius);
    }
    float d0 = std::hypot(px - (cx + radius * std::cos(from)), py - (cy - radius * std::sin(from)));
    float d1 = std::hypot(px - (cx + radius * std::cos(to)), py - (cy - radius * std::sin(to)));
    return std::min(d0, d1);
}

}  // namespace

Canvas makeCanvas(int width, int height, Colour background)
{
    Canvas canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < canvas.rgb.size(); i += 3) {
        canvas.rgb[i] = background.r;
        canvas.rgb[i + 1] = background.g;
        canvas.rgb[i + 2] = background.b;
    }
    return canvas;
}

Colour pixelAt(const Canvas& canvas, int x, int y)
{
    size_t at = (static_cast<size_t>(y) * canvas.width + x) * 3;
    return Colour{canvas.rgb[at], canvas.rgb[at + 1], canvas.rgb[at + 2]};
}

void setPixel(Canvas& canvas, int x, int y, Colour colour)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) {
        return;
    }
    size_t at = (static_cast<size_t>(y) * canvas.width + x) * 3;
    canvas.rgb[at] = colour.r;
    canvas.rgb[at + 1] = colour.g;
    canvas.rgb[at + 2] = colour.b;
}

Colour mixColours(Colour from, Colour to, float t)
{
    auto channel = [t](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::lround(a + (b - a) * std::clamp(t, 0.0f, 1.0f)));
    };
    return Colour{channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

void blendPixel(Canvas& canvas, int x, int y, Colour colour, float coverage)
{
    if (coverage <= 0.0f || x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) {
        return;
    }
    setPixel(canvas, x, y, mixColours(pixelAt(canvas, x, y), colour, coverage));
}

void fillBox(Canvas& canvas, Box box, Colour colour)
{
    for (int y = box.y; y < box.y + box.height; ++y) {
        for (int x = box.x; x < box.x + box.width; ++x) {
            setPixel(canvas, x, y, colour);
        }
    }
}

void strokeBox(Canvas& canvas, Box box, int thickness, Colour colour)
{
    fillBox(canvas, Box{box.x, box.y, box.width, thickness}, colour);
    fillBox(canvas, Box{box.x, box.y + box.height - thickness, box.width, thickness}, colour);
    fillBox(canvas, Box{box.x, box.y, thickness, box.height}, colour);
    fillBox(canvas, Box{box.x + box.width - thickness, box.y, thickness, box.height}, colour);
}

void fillRoundedBox(Canvas& canvas, Box box, float radius, Colour colour, float opacity)
{
    for (int y = box.y - 1; y <= box.y + box.height; ++y) {
        for (int x = box.x - 1; x <= box.x + box.width; ++x) {
            float d = roundedBoxDistance(x + 0.5f, y + 0.5f, box, radius);
            blendPixel(canvas, x, y, colour, edgeCoverage(d) * opacity);
        }
    }
}

void strokeRoundedBox(Canvas& canvas, Box box, float radius, float thickness, Colour colour)
{
    int reach = static_cast<int>(thickness) + 2;
    for (int y = box.y - reach; y <= box.y + box.height + reach; ++y) {
        for (int x = box.x - reach; x <= box.x + box.width + reach; ++x) {
            float d = roundedBoxDistance(x + 0.5f, y + 0.5f, box, radius);
            blendPixel(canvas, x, y, colour, edgeCoverage(std::fabs(d) - thickness * 0.5f));
        }
    }
}

void fillCircle(Canvas& canvas, float cx, float cy, float radius, Colour colour)
{
    for (int y = static_cast<int>(cy - radius) - 1; y <= static_cast<int>(cy + radius) + 1; ++y) {
        for (int x = static_cast<int>(cx - radius) - 1; x <= static_cast<int>(cx + radius) + 1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius;
            blendPixel(canvas, x, y, colour, edgeCoverage(d));
        }
    }
}

void strokeCircle(Canvas& canvas, float cx, float cy, float radius, float thickness, Colour colour)
{
    float reach = radius + thickness;
    for (int y = static_cast<int>(cy - reach) - 1; y <= static_cast<int>(cy + reach) + 1; ++y) {
        for (int x = static_cast<int>(cx - reach) - 1; x <= static_cast<int>(cx + reach) + 1; ++x) {
            float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius) - thickness * 0.5f;
            blendPixel(canvas, x, y, colour, edgeCoverage(d));
        }
    }
}

void strokeArc(Canvas& canvas, float cx, float cy, float radius, float thickness, float from, float to,
               Colour colour)
{
    float reach = radius + thickness;
    for (int y = static_cast<int>(cy - reach) - 1; y <= static_cast<int>(cy + reach) + 1; ++y) {
        for (int x = static_cast<int>(cx - reach) - 1; x <= static_cast<int>(cx + reach) + 1; ++x) {
            float d = arcDistance(x + 0.5f, y + 0.5f, cx, cy, radius, from, to) - thickness * 0.5f;
            blendPixel(canvas, x, y, colour, edgeCoverage(d));
        }
    }
}

void drawLine(Canvas& canvas, float x0, float y0, float x1, float y1, float thickness, Colour colour)
{
    float half = thickness * 0.5f;
    int left = static_cast<int>(std::min(x0, x1) - half) - 1;
    int right = static_cast<int>(std::max(x0, x1) + half) + 1;
    int top = static_cast<int>(std::min(y0, y1) - half) - 1;
    int bottom = static_cast<int>(std::max(y0, y1) + half) + 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            float d = segmentDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1) - half;
            blendPixel(canvas, x, y, colour, edgeCoverage(d));
        }
    }
}

void drawArrow(Canvas& canvas, float x0, float y0, float x1, float y1, float thickness, Colour colour)
{
    float length = std::max(std::hypot(x1 - x0, y1 - y0), 1e-3f);
    float ux = (x1 - x0) / length;
    float uy = (y1 - y0) / length;
    float head = thickness * 3.5f;
    float baseX = x1 - ux * head * 1.3f;
    float baseY = y1 - uy * head * 1.3f;
    drawLine(canvas, x0, y0, baseX + ux * 2.0f, baseY + uy * 2.0f, thickness, colour);
    const float xs[3] = {x1, baseX - uy * head, baseX + uy * head};
    const float ys[3] = {y1, baseY + ux * head, baseY - ux * head};
    fillTriangle(canvas, xs, ys, colour);
}

void fillTriangle(Canvas& canvas, const float xs[3], const float ys[3], Colour colour)
{
    int left = static_cast<int>(std::min({xs[0], xs[1], xs[2]})) - 1;
    int right = static_cast<int>(std::max({xs[0], xs[1], xs[2]})) + 1;
    int top = static_cast<int>(std::min({ys[0], ys[1], ys[2]})) - 1;
    int bottom = static_cast<int>(std::max({ys[0], ys[1], ys[2]})) + 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            blendPixel(canvas, x, y, colour, edgeCoverage(triangleDistance(x + 0.5f, y + 0.5f, xs, ys)));
        }
    }
}

int writeRawImage(const Canvas& canvas, const char* path)
{
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return 1;
    }
    std::vector<uint8_t> bgr(canvas.rgb.size());
    for (size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i] = canvas.rgb[i + 2];
        bgr[i + 1] = canvas.rgb[i + 1];
        bgr[i + 2] = canvas.rgb[i];
    }
    size_t written = std::fwrite(bgr.data(), 1, bgr.size(), file);
    int closed = std::fclose(file);
    return written == bgr.size() && closed == 0 ? 0 : 1;
}

int appendPaintedTexts(const Canvas& canvas, const char* name, std::FILE* file)
{
    int failures = 0;
    for (const PaintedText& text : canvas.texts) {
        const Box& ink = text.ink;
        int written = std::fprintf(file, "%s %d %d %d %d %d\n", name, text.capHeight, ink.x, ink.y, ink.width,
                                   ink.height);
        failures += written > 0 ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
