// Tests of the conversion of a fraction of the drawable to whole pixels, ordinary and faulty inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "overlays/screen_pixels.h"

namespace {

struct Factors {
    int32_t extent;
    float fraction;
};

struct Conversion {
    int32_t extent;
    float fraction;
    int32_t pixels;
};

TEST(FractionToPixels, TruncatesTheDoubleProductTowardZero)
{
    // The first two products lie just below a whole number, where rounding would give one more.
    const Conversion conversions[] = {
        {1920, 0.38541666f, 739}, {1080, 0.8388889f, 905}, {1080, 0.044444446f, 48},
        {960, 0.1f, 96},          {-3, 0.5f, -1},          {-1079, 0.8388889f, -905},
        {0, 0.5f, 0},             {540, 0.0f, 0},
    };
    for (const Conversion& c : conversions) {
        int32_t pixels = 77;
        EXPECT_TRUE(fractionToPixels(c.extent, c.fraction, pixels)) << c.extent << " x " << c.fraction;
        EXPECT_EQ(pixels, c.pixels) << c.extent << " x " << c.fraction;
    }
}

TEST(FractionToPixels, ReachesBothEndsOfTheThirtyTwoBitRange)
{
    int32_t pixels = 0;
    EXPECT_TRUE(fractionToPixels(std::numeric_limits<int32_t>::max(), 1.0f, pixels));
    EXPECT_EQ(pixels, std::numeric_limits<int32_t>::max());
    EXPECT_TRUE(fractionToPixels(std::numeric_limits<int32_t>::min(), 1.0f, pixels));
    EXPECT_EQ(pixels, std::numeric_limits<int32_t>::min());
}

TEST(FractionToPixels, RefusesProductsBeyondThirtyTwoBitsAndNonNumbersLeavingThePixels)
{
    const float justAboveOne = std::nextafter(1.0f, 2.0f);
    const float infinity = std::numeric_limits<float>::infinity();
    const Factors refused[] = {
        {std::numeric_limits<int32_t>::max(), justAboveOne},
        {std::numeric_limits<int32_t>::min(), justAboveOne},
        {1080, 3e9f},
        {-1080, 3e9f},
        {1080, infinity},
        {1080, -infinity},
        {0, infinity},
        {1080, std::numeric_limits<float>::quiet_NaN()},
    };
    for (const Factors& c : refused) {
        int32_t pixels = 77;
        EXPECT_FALSE(fractionToPixels(c.extent, c.fraction, pixels)) << c.extent << " x " << c.fraction;
        EXPECT_EQ(pixels, 77) << c.extent << " x " << c.fraction;
    }
}

}  // namespace
