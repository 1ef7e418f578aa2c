// CPU model of the fractal program, written from the description of the two shader stages.
#include "tests/render/fractal_reference.h"

#include <cmath>

namespace {

// For each colour mode, the nibbles (high, low) that make the red, green and blue bytes;
// nibble 0 holds bits 0-3 of the 24-bit value.
const int channelNibbles[7][3][2] = {
    {{5, 4}, {3, 2}, {1, 0}},
    {{1, 0}, {5, 4}, {3, 2}},
    {{3, 2}, {1, 0}, {5, 4}},
    {{2, 5}, {0, 3}, {4, 1}},
    {{4, 1}, {2, 5}, {0, 3}},
    {{0, 3}, {4, 1}, {2, 5}},
    {{1, 2}, {3, 4}, {5, 0}},
};

int modeRow(int colormode)
{
    return (colormode >= 0 && colormode <= 5) ? colormode : 6;
}

Vec2 square(Vec2 z)
{
    return {z.x * z.x - z.y * z.y, 2.0f * z.x * z.y};
}

Vec2 multiply(Vec2 a, Vec2 b)
{
    return {a.x * b.x - a.y * b.y, a.x * b.y + a.y * b.x};
}

Vec2 exponential(Vec2 u)
{
    float magnitude = std::exp(u.x);
    return {magnitude * std::cos(u.y), magnitude * std::sin(u.y)};
}

Vec2 iterate(Vec2 z, int fractalmode)
{
    Vec2 q = square(z);
    Vec2 minusQ = {-q.x, -q.y};
    switch (fractalmode) {
    case 0: return q;
    case 1: return multiply(q, z);
    case 2: return square(q);
    case 3: return exponential(q);
    case 4: return exponential(multiply(q, z));
    case 5: return exponential(square(q));
    case 6: {
        Vec2 a = exponential(q), b = exponential(minusQ);
        return {0.5f * (a.x + b.x), 0.5f * (a.y + b.y)};
    }
    default: {
        Vec2 a = exponential(q), b = exponential(minusQ);
        return {0.5f * (a.x - b.x), 0.5f * (a.y - b.y)};
    }
    }
}

float squaredDistance(Vec2 a, Vec2 b)
{
    float dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// An overflowed fourth iterate takes the limit of the formula for a growing distance, 0.
float backgroundFraction(float d, float threshold)
{
    if (!std::isfinite(d)) return 0.0f;
    return 1.0f - std::fabs(d - threshold) / (d + threshold);
}

int32_t toColorValue(float fraction)
{
    return static_cast<int32_t>(fraction * 16777215.0f);
}

void blendColors(const FrameSpec& frame, ShadedFragment& out)
{
    const FractalParams& p = frame.params;
    int count[3], background[3];
    splitColorValue(out.countValue, p.colormode, count);
    splitColorValue(out.backgroundValue, p.colormode, background);
    for (int i = 0; i < 3; ++i) {
        out.rgb[i] = p.fade * (count[i] / 255.0f * (1.0f - p.bgfractalblend) +
                               background[i] / 255.0f * p.bgfractalblend);
    }
}

bool insideRect(const FrameSpec& frame, Vec2 pxl)
{
    const int32_t* r = frame.rect;
    return frame.highlight && float(r[0]) <= pxl.x && pxl.x <= float(r[2]) &&
           float(r[1]) <= pxl.y && pxl.y <= float(r[3]);
}

}  // namespace

FragmentInputs interpolateAtPixel(const FrameSpec& frame, int column, int row)
{
    const FractalParams& p = frame.params;
    // Normalised device position of the pixel centre, then back through the placement to v.
    double x = (2.0 * column + 1.0) / frame.width - 1.0;
    double y = (2.0 * row + 1.0) / frame.height - 1.0;
    double vx = x - p.ad;
    double vy = (y + 1.0 - p.ws) / std::cos(double(p.alpha)) - 1.0;
    double px = vx + p.zitrans.x, py = vy + p.zitrans.y;
    double ct = std::cos(double(p.theta)), st = std::sin(double(p.theta));
    FragmentInputs in;
    in.z0.x = float(ct * p.zzoom * px - st * p.zzoom * py + p.zftrans.x);
    in.z0.y = float(st * p.zzoom * px + ct * p.zzoom * py + p.zftrans.y);
    in.pxl.x = float((x + 1.0) * 0.5 * (frame.width - 1.0));
    in.pxl.y = float((y + 1.0) * 0.5 * (frame.height - 1.0));
    return in;
}

ShadedFragment shadeFragment(const FrameSpec& frame, FragmentInputs inputs)
{
    const FractalParams& p = frame.params;
    ShadedFragment out;
    Vec2 z = inputs.z0, zbg = inputs.z0;
    int n = 0;
    while (squaredDistance(z, inputs.z0) < p.divergence_thresh2 && n <= p.max_iterations) {
        Vec2 w = iterate(z, p.fractalmode);
        z = {w.x + p.c.x, w.y + p.c.y};
        n = n + 1;
        if (n == 4) zbg = z;
    }
    out.iterations = n;
    out.interior = n > p.max_iterations;
    if (!out.interior) {
        out.countValue = toColorValue(float(n) / float(p.max_iterations));
        float d = squaredDistance(zbg, inputs.z0);
        out.backgroundValue = toColorValue(backgroundFraction(d, p.divergence_thresh2));
        blendColors(frame, out);
    }
    if (insideRect(frame, inputs.pxl)) {
        for (float& channel : out.rgb) channel = 1.0f - channel;
    }
    return out;
}

void splitColorValue(int32_t value, int colormode, int bytes[3])
{
    const int(*nibbles)[2] = channelNibbles[modeRow(colormode)];
    for (int i = 0; i < 3; ++i) {
        int high = (value >> (4 * nibbles[i][0])) & 15;
        int low = (value >> (4 * nibbles[i][1])) & 15;
        bytes[i] = high * 16 + low;
    }
}

int32_t joinColorBytes(const int bytes[3], int colormode)
{
    const int(*nibbles)[2] = channelNibbles[modeRow(colormode)];
    int32_t value = 0;
    for (int i = 0; i < 3; ++i) {
        value |= ((bytes[i] >> 4) & 15) << (4 * nibbles[i][0]);
        value |= (bytes[i] & 15) << (4 * nibbles[i][1]);
    }
    return value;
}
