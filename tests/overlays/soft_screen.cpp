// Software-rendered screens and coded textures for reading back what the overlays drew.
#include "tests/overlays/soft_screen.h"

#include "assets/font_cells.h"

namespace {

// Cell k of the coded font: red 100 + k, green 37, blue 200 - k.
uint32_t cellColour(int cell)
{
    return (static_cast<uint32_t>(100 + cell) << 16) | (37u << 8) | static_cast<uint32_t>(200 - cell);
}

char characterOfColour(uint32_t colour)
{
    int cell = static_cast<int>(colour >> 16) - 100;
    if (cell < 0 || cell >= fontCellCount || cellColour(cell) != colour) {
        return '#';
    }
    return cell == blankFontCell ? ' ' : fontCellOrder[cell];
}

uint32_t readPixel(SDL_Surface* surface, int x, int y)
{
    const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    uint32_t value = reinterpret_cast<const uint32_t*>(row)[x];
    uint8_t r = 0, g = 0, b = 0;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

}  // namespace

bool openSoftScreen(SoftScreen& screen, int width, int height, uint32_t fill)
{
    screen.surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
    screen.renderer = screen.surface != nullptr ? SDL_CreateSoftwareRenderer(screen.surface) : nullptr;
    screen.display.renderer = screen.renderer;
    screen.display.drawableWidth = width;
    screen.display.drawableHeight = height;
    if (screen.renderer == nullptr) {
        closeSoftScreen(screen);
        return false;
    }
    fillSoftScreen(screen, fill);
    return true;
}

void closeSoftScreen(SoftScreen& screen)
{
    if (screen.renderer != nullptr) {
        SDL_DestroyRenderer(screen.renderer);
        screen.renderer = nullptr;
        screen.display.renderer = nullptr;
    }
    if (screen.surface != nullptr) {
        SDL_FreeSurface(screen.surface);
        screen.surface = nullptr;
    }
}

void fillSoftScreen(SoftScreen& screen, uint32_t fill)
{
    SDL_RenderFlush(screen.renderer);
    SDL_FillRect(screen.surface, nullptr, SDL_MapRGB(screen.surface->format, fill >> 16, (fill >> 8) & 0xFF, fill & 0xFF));
}

uint32_t pixelAt(SoftScreen& screen, int x, int y)
{
    SDL_RenderFlush(screen.renderer);
    return readPixel(screen.surface, x, y);
}

bool rectIs(SoftScreen& screen, SDL_Rect rect, uint32_t colour)
{
    SDL_RenderFlush(screen.renderer);
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            if (readPixel(screen.surface, x, y) != colour) {
                return false;
            }
        }
    }
    return true;
}

int inkIn(SoftScreen& screen, SDL_Rect rect)
{
    SDL_RenderFlush(screen.renderer);
    int ink = 0;
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
            ink += readPixel(screen.surface, x, y) != 0 ? 1 : 0;
        }
    }
    return ink;
}

SDL_Texture* solidTexture(SDL_Renderer* renderer, int width, int height, uint32_t colour)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
    if (surface == nullptr) {
        return nullptr;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    return texture;
}

SDL_Texture* codedFontTexture(SDL_Renderer* renderer)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, fontCellSize * fontCellCount, fontCellSize, 24,
                                                          SDL_PIXELFORMAT_RGB24);
    if (surface == nullptr) {
        return nullptr;
    }
    for (int cell = 0; cell < fontCellCount; ++cell) {
        uint32_t c = cellColour(cell);
        SDL_Rect square{32 * cell, 0, 32, 32};
        SDL_FillRect(surface, &square, SDL_MapRGB(surface->format, c >> 16, (c >> 8) & 0xFF, c & 0xFF));
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    return texture;
}

std::string readCodedText(SoftScreen& screen, int left, int top, int size, int count)
{
    std::string text;
    for (int j = 0; j < count; ++j) {
        uint32_t colour = pixelAt(screen, left + j * size, top);
        bool flat = rectIs(screen, SDL_Rect{left + j * size, top, size, size}, colour);
        text += flat ? characterOfColour(colour) : '#';
    }
    return text;
}
