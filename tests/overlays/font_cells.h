// The font strip's cells as the title screen's text uses them: the listed characters, then the blank.
#pragma once

inline constexpr char listedCellOrder[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!@#$%^&*(),.<>?/\\;:'\"{}[]|+-=_";
inline constexpr int blankCellIndex = 92;
inline constexpr int fontCellTotal = 93;
