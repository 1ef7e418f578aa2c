// Textures of the overlay screens, made once from the embedded images, and the selector's layout.
#include "session/overlays.h"

#include "assets/embedded_images.h"

namespace {

// Wraps the image's pixels (not copied) in a surface and uploads them; null when either step fails.
SDL_Texture* textureFromImage(SDL_Renderer* renderer, EmbeddedImage image)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceFrom(const_cast<unsigned char*>(image.pixels), image.width,
                                                    image.height, 24, 3 * image.width, 0xFF0000, 0xFF00,
                                                    0xFF, 0);
    if (surface == nullptr) {
        return nullptr;
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    return texture;
}

void destroyTexture(SDL_Texture*& texture)
{
    if (texture != nullptr) {
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
}

// trunc(extent x fraction), the product formed in double precision.
int32_t scaled(int32_t extent, float fraction)
{
    return static_cast<int32_t>(static_cast<double>(extent) * static_cast<double>(fraction));
}

}  // namespace

void createOverlayTextures(SDL_Renderer* renderer, OverlayTextures& textures)
{
    textures.titleTexture = textureFromImage(renderer, titleImage());
    textures.helpTexture = textureFromImage(renderer, helpImage());
    textures.controlsTexture = textureFromImage(renderer, controlsImage());
    textures.fontTexture = textureFromImage(renderer, fontStripImage());
    textures.arrowsNormal = textureFromImage(renderer, arrowsNormalImage());
    textures.arrowsNone = textureFromImage(renderer, arrowsNoneImage());
    textures.arrowsUpLit = textureFromImage(renderer, arrowsUpLitImage());
    textures.arrowsDownLit = textureFromImage(renderer, arrowsDownLitImage());
    textures.arrowsBottom = textureFromImage(renderer, arrowsBottomImage());
    textures.arrowsTop = textureFromImage(renderer, arrowsTopImage());
}

void destroyOverlayTextures(OverlayTextures& textures)
{
    destroyTexture(textures.titleTexture);
    destroyTexture(textures.helpTexture);
    destroyTexture(textures.controlsTexture);
    destroyTexture(textures.fontTexture);
    destroyTexture(textures.arrowsNormal);
    destroyTexture(textures.arrowsNone);
    destroyTexture(textures.arrowsUpLit);
    destroyTexture(textures.arrowsDownLit);
    destroyTexture(textures.arrowsBottom);
    destroyTexture(textures.arrowsTop);
}

SelectorRect layoutSelector(const DisplayState& display)
{
    SelectorRect rect;
    rect.x = scaled(display.drawableWidth, 0.38541666f);
    rect.y = scaled(display.drawableHeight, 0.8388889f);
    rect.height = scaled(display.drawableHeight, 0.044444446f);
    rect.width = rect.height / 2;
    return rect;
}
