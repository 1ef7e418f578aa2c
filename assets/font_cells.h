// The bitmap font strip's layout, shared by the image generator that draws it, the text drawing that
// reads it and the tests: which character sits in which square cell.
#pragma once

// Characters in the order of their cells; every other byte uses the blank cell after the last one.
inline constexpr char fontCellOrder[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!@#$%^&*(),.<>?/\\;:'\"{}[]|+-=_";
inline constexpr int blankFontCell = sizeof(fontCellOrder) - 1;
inline constexpr int fontCellCount = blankFontCell + 1;
inline constexpr int fontCellSize = 32;
