// CPU mirror of the vertex stage's plane mapping and of the escape test used to guard morphs.
#include "render/plane_mapping.h"

#include <cmath>

namespace {

// The single-precision value of e: exponentials are powers of it, as on the GPU.
constexpr double floatE = 2.7182817459106445;
constexpr double squaredBailout = 1e8;

// One axis of the window in normalised device units; a window one pixel across has only its centre.
float normalisedAxis(int position, int extent)
{
    if (extent < 2) {
        return 0.0f;
    }
    return static_cast<float>(2.0 * position / (extent - 1) - 1.0);
}

// Rotation by theta scaled by zoom, applied to (x, y), in double precision.
void rotateScale(double x, double y, float theta, float zoom, double& rx, double& ry)
{
    const double cosine = std::cos(static_cast<double>(theta));
    const double sine = std::sin(static_cast<double>(theta));
    rx = cosine * zoom * x - sine * zoom * y;
    ry = sine * zoom * x + cosine * zoom * y;
}

struct Complex {
    float x;
    float y;
};

// Each power is rounded to single precision, as the shader stores it.
Complex square(Complex z)
{
    const double x = z.x;
    const double y = z.y;
    return {static_cast<float>(x * x - y * y), static_cast<float>(2.0 * x * y)};
}

Complex times(Complex a, Complex b)
{
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    return {static_cast<float>(ax * bx - ay * by), static_cast<float>(ax * by + ay * bx)};
}

struct Wide {
    double x;
    double y;
};

Wide expOf(Complex q)
{
    const double magnitude = std::pow(floatE, static_cast<double>(q.x));
    return {magnitude * std::cos(static_cast<double>(q.y)), magnitude * std::sin(static_cast<double>(q.y))};
}

// cosh (plus) or sinh (minus) of q from the two exponentials, term by term as the shader forms them.
Wide hyperbolicOf(Complex q, bool cosine)
{
    const double u = q.x;
    const double v = q.y;
    const double up = std::pow(floatE, u);
    const double down = std::pow(floatE, -u);
    if (cosine) {
        return {0.5 * (up * std::cos(v) + down * std::cos(-v)), 0.5 * (up * std::sin(v) + down * std::sin(-v))};
    }
    return {0.5 * (up * std::cos(v) - down * std::cos(-v)), 0.5 * (up * std::sin(v) + down * std::sin(v))};
}

Complex plus(Wide w, Vec2 p)
{
    return {static_cast<float>(w.x + p.x), static_cast<float>(w.y + p.y)};
}

// The polynomial powers are already floats; a float sum rounds exactly as the double sum rounded to
// float would (double carries more than twice the float's digits), and it is shorter.
Complex plus(Complex w, Vec2 p)
{
    return {w.x + p.x, w.y + p.y};
}

// One iteration z -> f(z) + p; every formula number outside 0..6 iterates sinh(z^2).
template <int formula>
Complex iterate(Complex z, Vec2 p)
{
    if constexpr (formula == 0) {
        return plus(square(z), p);
    } else if constexpr (formula == 1) {
        return plus(times(square(z), z), p);
    } else if constexpr (formula == 2) {
        return plus(square(square(z)), p);
    } else if constexpr (formula == 3) {
        return plus(expOf(square(z)), p);
    } else if constexpr (formula == 4) {
        return plus(expOf(times(square(z), z)), p);
    } else if constexpr (formula == 5) {
        return plus(expOf(square(square(z))), p);
    } else {
        return plus(hyperbolicOf(square(z), formula == 6), p);
    }
}

// The formula is fixed for the whole orbit, so each one gets a loop of its own.
template <int formula>
bool orbitEscapes(Vec2 p, int count)
{
    Complex z{0.0f, 0.0f};
    for (int i = 0; i < count; ++i) {
        const double x = z.x;
        const double y = z.y;
        // A not-a-number iterate fails this comparison and so never counts as escaped.
        if (x * x + y * y > squaredBailout) {
            return true;
        }
        z = iterate<formula>(z, p);
    }
    return false;
}

}  // namespace

Vec2 pixelToQuad(int px, int py, float alpha, float ws, float ad, int width, int height)
{
    const float nx = normalisedAxis(px, width);
    const float ny = normalisedAxis(height - 1 - py, height);
    Vec2 q;
    q.x = nx - ad;
    q.y = static_cast<float>((static_cast<double>(ny) + 1.0) / std::cos(static_cast<double>(alpha)) - 1.0 - ws);
    return q;
}

Vec2 quadToPlane(Vec2 q, float theta, float zoom, Vec2 zitrans, Vec2 zftrans)
{
    const float px = q.x + zitrans.x;
    const float py = q.y + zitrans.y;
    double rx = 0.0;
    double ry = 0.0;
    rotateScale(px, py, theta, zoom, rx, ry);
    return {static_cast<float>(rx + zftrans.x), static_cast<float>(ry + zftrans.y)};
}

Vec2 pivotTranslation(Vec2 a, Vec2 q, float theta, float zoom)
{
    const float sx = a.x + q.x;
    const float sy = a.y + q.y;
    double rx = 0.0;
    double ry = 0.0;
    rotateScale(sx, sy, theta, zoom, rx, ry);
    return {static_cast<float>(a.x - rx), static_cast<float>(a.y - ry)};
}

bool pointEscapes(Vec2 p, int count, int formula)
{
    switch (formula) {
    case 0: return orbitEscapes<0>(p, count);
    case 1: return orbitEscapes<1>(p, count);
    case 2: return orbitEscapes<2>(p, count);
    case 3: return orbitEscapes<3>(p, count);
    case 4: return orbitEscapes<4>(p, count);
    case 5: return orbitEscapes<5>(p, count);
    case 6: return orbitEscapes<6>(p, count);
    default: return orbitEscapes<7>(p, count);
    }
}
