// Escape-time colouring exactly as the fragment shader does it, in single precision.
#include "tools/image_generator/fractal.h"

#include <algorithm>
#include <cmath>

namespace {

struct Complex {
    float x;
    float y;
};

Complex square(Complex z)
{
    return Complex{z.x * z.x - z.y * z.y, 2.0f * z.x * z.y};
}

Complex multiply(Complex a, Complex b)
{
    return Complex{a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x};
}

Complex exponential(Complex z)
{
    float scale = std::exp(z.x);
    return Complex{scale * std::cos(z.y), scale * std::sin(z.y)};
}

Complex formulaStep(int mode, Complex z)
{
    if (mode == 0) {
        return square(z);
    }
    Complex q = square(z);
    switch (mode) {
    case 1: return multiply(q, z);
    case 2: return square(q);
    case 3: return exponential(q);
    case 4: return exponential(multiply(q, z));
    case 5: return exponential(square(q));
    default: break;
    }
    Complex up = exponential(q);
    Complex down = exponential(Complex{-q.x, -q.y});
    float sign = mode == 6 ? 1.0f : -1.0f;
    return Complex{0.5f * (up.x + sign * down.x), 0.5f * (up.y + sign * down.y)};
}

int nibble(int value, int index)
{
    return (value >> (4 * index)) & 0xF;
}

int nibblePair(int value, int high, int low)
{
    return (nibble(value, high) << 4) | nibble(value, low);
}

// Splits a 24-bit value into red, green and blue bytes by colour mode.
void splitColour(int mode, int v, int out[3])
{
    int r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
    switch (mode) {
    case 0: out[0] = r, out[1] = g, out[2] = b; return;
    case 1: out[0] = b, out[1] = r, out[2] = g; return;
    case 2: out[0] = g, out[1] = b, out[2] = r; return;
    case 3: out[0] = nibblePair(v, 2, 5), out[1] = nibblePair(v, 0, 3), out[2] = nibblePair(v, 4, 1); return;
    case 4: out[0] = nibblePair(v, 4, 1), out[1] = nibblePair(v, 2, 5), out[2] = nibblePair(v, 0, 3); return;
    case 5: out[0] = nibblePair(v, 0, 3), out[1] = nibblePair(v, 4, 1), out[2] = nibblePair(v, 2, 5); return;
    default: out[0] = nibblePair(v, 1, 2), out[1] = nibblePair(v, 3, 4), out[2] = nibblePair(v, 5, 0); return;
    }
}

}  // namespace

ShadeColour shadeFractal(const FractalView& view, float x, float y)
{
    Complex start{x, y}, z = start, background = start;
    int n = 0;
    auto distance = [&start](Complex p) {
        return (p.x - start.x) * (p.x - start.x) + (p.y - start.y) * (p.y - start.y);
    };
    while (distance(z) < view.threshold && n <= view.maxIterations) {
        Complex w = formulaStep(view.fractalmode, z);
        z = Complex{w.x + view.cx, w.y + view.cy};
        n += 1;
        background = n == 4 ? z : background;
    }
    if (n > view.maxIterations) {
        return ShadeColour{};
    }
    float d = distance(background);
    float fracbg = 1.0f - std::fabs(d - view.threshold) / (d + view.threshold);
    int colour[3], colourbg[3];
    splitColour(view.colormode, static_cast<int>(float(n) / float(view.maxIterations) * 16777215.0f), colour);
    splitColour(view.colormode, static_cast<int>(fracbg * 16777215.0f), colourbg);
    auto mix = [&view](int a, int b) { return a / 255.0f * (1.0f - view.blend) + b / 255.0f * view.blend; };
    return ShadeColour{mix(colour[0], colourbg[0]), mix(colour[1], colourbg[1]), mix(colour[2], colourbg[2])};
}

float fadeAt(const FadeShape& shape, float x, float y)
{
    float dx = (x - shape.centreX) / shape.radiusX;
    float dy = (y - shape.centreY) / shape.radiusY;
    float reach = std::sqrt(dx * dx + dy * dy);
    float t = std::clamp((1.0f - reach) / std::max(shape.softness, 1e-3f), 0.0f, 1.0f);
    return shape.brightness * t * t * (3.0f - 2.0f * t);
}

// Mean shader colour of a pixel over samples x samples points of the plane.
static ShadeColour samplePixel(const FractalView& view, float px, float py, int samples)
{
    float cosine = std::cos(view.theta), sine = std::sin(view.theta);
    ShadeColour sum;
    for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
            float u = (px + (sx + 0.5f) / samples) * view.unitsPerPixel;
            float v = -(py + (sy + 0.5f) / samples) * view.unitsPerPixel;
            ShadeColour c = shadeFractal(view, view.centreX + cosine * u - sine * v,
                                         view.centreY + sine * u + cosine * v);
            sum.r += c.r, sum.g += c.g, sum.b += c.b;
        }
    }
    float count = static_cast<float>(samples * samples);
    return ShadeColour{sum.r / count, sum.g / count, sum.b / count};
}

void paintFractal(Canvas& canvas, Box box, const FractalView& view, const FadeShape& shape, int samples)
{
    for (int y = std::max(box.y, 0); y < std::min(box.y + box.height, canvas.height); ++y) {
        for (int x = std::max(box.x, 0); x < std::min(box.x + box.width, canvas.width); ++x) {
            float fade = fadeAt(shape, x + 0.5f, y + 0.5f);
            if (fade <= 0.0f) {
                continue;
            }
            float cx = box.x + box.width * 0.5f, cy = box.y + box.height * 0.5f;
            ShadeColour c = samplePixel(view, x - cx, y - cy, samples);
            Colour old = pixelAt(canvas, x, y);
            auto level = [fade](float v, uint8_t was) {
                return std::max(was, static_cast<uint8_t>(std::clamp(v * fade, 0.0f, 1.0f) * 255.0f));
            };
            setPixel(canvas, x, y, Colour{level(c.r, old.r), level(c.g, old.g), level(c.b, old.b)});
        }
    }
}
