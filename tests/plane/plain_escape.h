// The escape test as a plain loop over the whole budget, without the repeat check: the reference
// that pointEscapes must agree with, and its cost before the check, for the benchmarks.
#pragma once
#include "render/escape_orbit.h"

template <int formula>
bool plainOrbitEscapes(Vec2 p, int count)
{
    orbit::Complex z{0.0f, 0.0f};
    for (int i = 0; i < count; ++i) {
        if (orbit::squaredMagnitude(z) > orbit::squaredBailout) {
            return true;
        }
        z = orbit::step<formula>(z, p);
    }
    return false;
}

inline bool plainPointEscapes(Vec2 p, int count, int formula)
{
    return orbit::forFormula(formula, [=](auto f) { return plainOrbitEscapes<decltype(f)::value>(p, count); });
}
