// The director's once-per-second chances, named in the order they are drawn, and the odds of each.
#pragma once

enum class SecondChance {
    morph,
    reversal,
    strobe,
    colourMode,
    iterationPickRule,
    iterationAddRule,
    thresholdPickRule,
    thresholdAddRule,
    dive,
    tiltStart,
    tiltHoldRelease,
    blendStart,
    blendHoldRelease,
    userZoomRelease,
    count
};

constexpr int secondChanceCount = static_cast<int>(SecondChance::count);

// Each chance succeeds once in this many draws.
constexpr int secondChanceOdds[secondChanceCount] = {10, 30, 20, 8, 20, 20, 20, 20, 20, 20, 20, 40, 10, 2};
