// CPU mirror of the vertex stage's plane mapping and of the escape test used to guard morphs.
#include "render/plane_mapping.h"

#include <cmath>
#include <cstdint>

#include "render/escape_orbit.h"

namespace {

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

// The orbit of 0 under formula f(z) + p. A map that returns to an earlier iterate exactly repeats
// that stretch forever, and every iterate of it has already passed the test: such an orbit never
// escapes, whatever is left of the budget. The iterate compared with is re-saved at steps that
// double (Brent), so a cycle is found within a few times its length after it is entered.
template <int formula>
bool orbitEscapes(Vec2 p, int count)
{
    orbit::Complex z{0.0f, 0.0f};
    orbit::Complex saved = z;
    int64_t nextSave = 1;
    for (int i = 0; i < count; ++i) {
        // Beyond the bailout the orbit escapes. Not a number fails every comparison: it stays not a
        // number at every later step, so the orbit never escapes.
        const double squared = orbit::squaredMagnitude(z);
        if (!(squared <= orbit::squaredBailout)) {
            return squared > orbit::squaredBailout;
        }
        z = orbit::step<formula>(z, p);
        if (z == saved) {
            return false;
        }
        if (i + 1 == nextSave) {
            saved = z;
            nextSave *= 2;
        }
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
    return orbit::forFormula(formula, [=](auto f) { return orbitEscapes<decltype(f)::value>(p, count); });
}
