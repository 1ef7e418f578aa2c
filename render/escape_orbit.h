// One step of the orbit that the escape test follows, in its precision rules; the test's own loop
// and the plain loop that checks it share this step.
#pragma once
#include <cmath>
#include <type_traits>

#include "render/fractal_params.h"

namespace orbit {

// The single-precision value of e: exponentials are powers of it, as on the GPU.
constexpr double floatE = 2.7182817459106445;
constexpr double squaredBailout = 1e8;

struct Complex {
    float x;
    float y;
};

inline bool operator==(Complex a, Complex b)
{
    return a.x == b.x && a.y == b.y;
}

// A not-a-number iterate makes this not a number too, which no comparison passes.
inline double squaredMagnitude(Complex z)
{
    const double x = z.x;
    const double y = z.y;
    return x * x + y * y;
}

// Each power is rounded to single precision, as the shader stores it.
inline Complex square(Complex z)
{
    const double x = z.x;
    const double y = z.y;
    return {static_cast<float>(x * x - y * y), static_cast<float>(2.0 * x * y)};
}

inline Complex times(Complex a, Complex b)
{
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    return {static_cast<float>(ax * bx - ay * by), static_cast<float>(ax * by + ay * bx)};
}

struct Wide {
    double x;
    double y;
};

inline Wide expOf(Complex q)
{
    const double magnitude = std::pow(floatE, static_cast<double>(q.x));
    return {magnitude * std::cos(static_cast<double>(q.y)), magnitude * std::sin(static_cast<double>(q.y))};
}

// cosh (plus) or sinh (minus) of q from the two exponentials, term by term as the shader forms them.
inline Wide hyperbolicOf(Complex q, bool cosine)
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

inline Complex plus(Wide w, Vec2 p)
{
    return {static_cast<float>(w.x + p.x), static_cast<float>(w.y + p.y)};
}

// The polynomial powers are already floats; a float sum rounds exactly as the double sum rounded to
// float would (double carries more than twice the float's digits), and it is shorter.
inline Complex plus(Complex w, Vec2 p)
{
    return {w.x + p.x, w.y + p.y};
}

// One iteration z -> f(z) + p; every formula number outside 0..6 iterates sinh(z^2).
template <int formula>
Complex step(Complex z, Vec2 p)
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

// Calls body with the formula number as a compile-time constant, so that each formula, fixed for a
// whole orbit, gets a loop of its own; numbers outside 0..6 take formula 7.
template <typename Body>
bool forFormula(int formula, Body body)
{
    switch (formula) {
    case 0: return body(std::integral_constant<int, 0>());
    case 1: return body(std::integral_constant<int, 1>());
    case 2: return body(std::integral_constant<int, 2>());
    case 3: return body(std::integral_constant<int, 3>());
    case 4: return body(std::integral_constant<int, 4>());
    case 5: return body(std::integral_constant<int, 5>());
    case 6: return body(std::integral_constant<int, 6>());
    default: return body(std::integral_constant<int, 7>());
    }
}

}  // namespace orbit
