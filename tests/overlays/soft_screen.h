// A software SDL renderer drawing into a memory surface, standing in for the window in overlay tests.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/display_state.h"

// The surface, the renderer on it and the DisplayState that hands the renderer to the overlays.
struct SoftScreen {
    SDL_Surface* surface = nullptr;
    SDL_Renderer* renderer = nullptr;
    DisplayState display;
};

// Opens a screen of the given size filled with the colour 0xRRGGBB; false when SDL refuses.
bool openSoftScreen(SoftScreen& screen, int width, int height, uint32_t fill);
void closeSoftScreen(SoftScreen& screen);
void fillSoftScreen(SoftScreen& screen, uint32_t fill);

// The colour 0xRRGGBB of one pixel; the renderer's queued drawing is flushed first.
uint32_t pixelAt(SoftScreen& screen, int x, int y);
// Whether every pixel of the rectangle has the colour.
bool rectIs(SoftScreen& screen, SDL_Rect rect, uint32_t colour);
// Number of pixels of the rectangle that are not black.
int inkIn(SoftScreen& screen, SDL_Rect rect);

// A texture of one flat colour, opaque like the program's images.
SDL_Texture* solidTexture(SDL_Renderer* renderer, int width, int height, uint32_t colour);
// A font strip whose 93 cells are flat colours that name the cell, so drawn glyphs can be read back.
SDL_Texture* codedFontTexture(SDL_Renderer* renderer);
// Reads count square glyphs of the coded font from left to right: the character of each cell, a
// space for the blank, '#' for a square that is not one flat cell colour.
std::string readCodedText(SoftScreen& screen, int left, int top, int size, int count);
