// The escape test with its repeat check against the plain loop over the whole budget: the same
// answer for the preset constants and for grids of constants over each formula's bounded set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/plane_mapping.h"
#include "director/presets.h"
#include "state/animation_state.h"
#include "tests/plane/plain_escape.h"

namespace {

// Budgets where an off-by-one in the repeat check shows (every budget up to 64, so also 0, 1, 6
// and 7), a negative one, 1000, and the formula's ceiling, the budget the morph guard uses.
std::vector<int> budgetsFor(int formula)
{
    std::vector<int> budgets = {-3, 1000, iterationCeilingFor(formula)};
    for (int count = 0; count <= 64; ++count) budgets.push_back(count);
    return budgets;
}

std::string describe(Vec2 p, int count, int formula)
{
    return "c (" + std::to_string(p.x) + ", " + std::to_string(p.y) + "), budget " +
           std::to_string(count) + ", formula " + std::to_string(formula);
}

// Fails on the first disagreement of each constant; returns how many constants the plain loop
// finds bounded at the formula's ceiling.
int expectSameAsPlainLoop(const std::vector<Vec2>& constants, int formula)
{
    const int ceiling = iterationCeilingFor(formula);
    int bounded = 0;
    for (Vec2 p : constants) {
        for (int count : budgetsFor(formula)) {
            const bool plain = plainPointEscapes(p, count, formula);
            bounded += count == ceiling && !plain;
            const bool checked = pointEscapes(p, count, formula);
            if (checked != plain) {
                ADD_FAILURE() << describe(p, count, formula) << ": " << checked << " against " << plain;
                break;
            }
        }
    }
    return bounded;
}

// Every preset under every formula, not only its own: under their own formula the presets escape
// within a few steps, under the others many stay bounded.
TEST(EscapeRepeatCheck, PresetConstantsUnderEveryFormulaGiveThePlainResult)
{
    std::vector<Vec2> constants;
    for (int index = 0; index < presetCount; ++index) constants.push_back(presetTable[index].c);
    for (int formula = 0; formula <= 7; ++formula) expectSameAsPlainLoop(constants, formula);
}

// A box around the constants whose orbit of 0 stays bounded, per formula (found on a coarse
// grid); the exponential formulas are bounded over most of the plane near the origin.
struct ConstantBox {
    float x0, x1, y0, y1;
};

const ConstantBox boundedBoxes[8] = {
    {-2.1f, 0.6f, -1.2f, 1.2f},  {-0.8f, 0.8f, -1.3f, 1.3f}, {-1.4f, 0.9f, -1.1f, 1.1f},
    {-3.0f, 3.0f, -3.0f, 3.0f},  {-3.0f, 3.0f, -3.0f, 3.0f}, {-3.0f, 3.0f, -3.0f, 3.0f},
    {-2.6f, 0.2f, -1.8f, 1.8f},  {-1.1f, 0.5f, -1.5f, 1.5f},
};

std::vector<Vec2> gridOver(ConstantBox box, int steps)
{
    std::vector<Vec2> constants;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            constants.push_back({box.x0 + (box.x1 - box.x0) * i / steps, box.y0 + (box.y1 - box.y0) * j / steps});
        }
    }
    return constants;
}

TEST(EscapeRepeatCheck, GridsOverEveryFormulasBoundedSetGiveThePlainResult)
{
    for (int formula = 0; formula <= 7; ++formula) {
        SCOPED_TRACE("formula " + std::to_string(formula));
        const std::vector<Vec2> constants = gridOver(boundedBoxes[formula], 16);
        const int bounded = expectSameAsPlainLoop(constants, formula);
        // Both outcomes must be well represented, or the grid misses the set or its outside.
        EXPECT_GT(bounded, static_cast<int>(constants.size()) / 10);
        EXPECT_LT(bounded, static_cast<int>(constants.size()) * 9 / 10);
    }
}

TEST(EscapeRepeatCheck, FormulasOutsideTheTableCheckLikeSinh)
{
    const std::vector<Vec2> constants = gridOver(boundedBoxes[7], 12);
    for (int formula : {8, -1}) {
        const int ceiling = iterationCeilingFor(formula);
        for (Vec2 p : constants) {
            EXPECT_EQ(pointEscapes(p, ceiling, formula), plainPointEscapes(p, ceiling, 7)) << describe(p, ceiling, formula);
        }
    }
}

}  // namespace
