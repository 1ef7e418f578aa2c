// Positions and sizes on the 2D screens: a fraction of a drawable extent in whole pixels.
#pragma once
#include <cstdint>

// trunc(extent x fraction), the product formed in double precision. False, with pixels left as it
// was, when the product is not a number, infinite, or truncates to a value beyond 32 bits: converting
// any of those to an integer would be undefined.
inline bool fractionToPixels(int32_t extent, float fraction, int32_t& pixels)
{
    const double product = static_cast<double>(extent) * static_cast<double>(fraction);
    if (!(product > -2147483649.0 && product < 2147483648.0)) {
        return false;
    }
    pixels = static_cast<int32_t>(product);
    return true;
}
