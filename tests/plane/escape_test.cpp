// Tests of the escape test of the orbit of 0: bailout, budget, formulas and not-a-number orbits.
#include <gtest/gtest.h>

#include "render/plane_mapping.h"

namespace {

// Smallest budget at which the orbit is reported as escaping, or 0 when it does not within limit.
int escapeBudget(Vec2 p, int formula, int limit)
{
    for (int count = 1; count <= limit; ++count) {
        if (pointEscapes(p, count, formula)) {
            return count;
        }
    }
    return 0;
}

TEST(PointEscapes, SquareOrbitOfOneEscapesAtItsSeventhTest)
{
    // Orbit 0, 1, 2, 5, 26, 677, 458330: the iterate 458330 is the first beyond the bailout and
    // is tested by the seventh step.
    EXPECT_FALSE(pointEscapes({1.0f, 0.0f}, 6, 0));
    EXPECT_TRUE(pointEscapes({1.0f, 0.0f}, 7, 0));
}

TEST(PointEscapes, BoundedOrbitsNeverEscape)
{
    for (int count : {1, 2, 3, 10, 1000, 100000}) {
        EXPECT_FALSE(pointEscapes({-1.0f, 0.0f}, count, 0)) << count;  // cycles 0, -1
        EXPECT_FALSE(pointEscapes({0.0f, 0.0f}, count, 7)) << count;   // sinh(0) = 0
    }
}

TEST(PointEscapes, NotANumberIterateNeverEscapes)
{
    // exp(z^2) from 0 runs 0, 1, e, about 1618.18, then an infinite real part times sin(0).
    for (int count : {4, 5, 6, 100, 100000}) {
        EXPECT_FALSE(pointEscapes({0.0f, 0.0f}, count, 3)) << count;
    }
}

TEST(PointEscapes, BailoutIsStrictlyGreater)
{
    // Iterate 1 is 10000, whose square is exactly 1e8: not beyond; iterate 2 is.
    EXPECT_FALSE(pointEscapes({10000.0f, 0.0f}, 2, 0));
    EXPECT_TRUE(pointEscapes({10000.0f, 0.0f}, 3, 0));
}

TEST(PointEscapes, NoBudgetMeansNoStep)
{
    // This point is beyond the bailout as soon as one step has been taken and tested.
    EXPECT_TRUE(pointEscapes({20000.0f, 0.0f}, 2, 0));
    EXPECT_FALSE(pointEscapes({20000.0f, 0.0f}, 1, 0));
    EXPECT_FALSE(pointEscapes({20000.0f, 0.0f}, 0, 0));
    EXPECT_FALSE(pointEscapes({20000.0f, 0.0f}, -3, 0));
}

TEST(PointEscapes, EachFormulaFollowsItsOwnOrbit)
{
    // From p = 1: z^3 runs 0, 1, 2, 9, 730, 3.9e8; z^4 runs 0, 1, 2, 17, 83522.
    EXPECT_EQ(escapeBudget({1.0f, 0.0f}, 1, 50), 6);
    EXPECT_EQ(escapeBudget({1.0f, 0.0f}, 2, 50), 5);
    // From p = 0: exp(z^3) and exp(z^4) run 0, 1, e, then e^20.1 = 5.3e8 and e^54.6 = 5e23;
    // cosh(z^2) runs 0, 1, 1.543, 5.45, 4e12.
    EXPECT_EQ(escapeBudget({0.0f, 0.0f}, 4, 50), 4);
    EXPECT_EQ(escapeBudget({0.0f, 0.0f}, 5, 50), 4);
    EXPECT_EQ(escapeBudget({0.0f, 0.0f}, 6, 50), 5);
    // From p = 1, exp(z^4) runs 0, 2, 1 + e^16 = 8.9e6.
    EXPECT_EQ(escapeBudget({1.0f, 0.0f}, 5, 50), 3);
}

TEST(PointEscapes, FormulasBeyondSixIterateTheHyperbolicSine)
{
    // This constant escapes under sinh(z^2) after many steps but stays bounded under cosh(z^2).
    const Vec2 p{-0.5f, 0.6f};
    const int sinhBudget = escapeBudget(p, 7, 2000);
    ASSERT_GT(sinhBudget, 10);
    EXPECT_EQ(escapeBudget(p, 6, 2000), 0);
    EXPECT_EQ(escapeBudget(p, 8, 2000), sinhBudget);
    EXPECT_EQ(escapeBudget(p, -1, 2000), sinhBudget);
}

TEST(PointEscapes, PeriodTwoBulbStaysBoundedForTheFullBudget)
{
    // |c + 1| < 1/4 lies in the period-2 bulb of z^2 + c, so the orbit converges to a 2-cycle.
    EXPECT_FALSE(pointEscapes({-0.92f, 0.1f}, 1000000, 0));
    // Just outside the main body of the set along the real axis.
    EXPECT_TRUE(pointEscapes({0.26f, 0.0f}, 1000000, 0));
}

}  // namespace
