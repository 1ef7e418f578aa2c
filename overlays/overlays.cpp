// Textures of the overlay screens, made once from the embedded images, and the selector's layout.
#include "overlays/overlays.h"

#include "assets/embedded_images.h"
#include "overlays/screen_pixels.h"
#include "platform/image_surface.h"

namespace {

// Wraps the image's pixels (not copied) in a surface and uploads them; null when either step fails.
SDL_Texture* textureFromImage(SDL_Renderer* renderer, EmbeddedImage image)
{
    SDL_Surface* surface = surfaceFromImage(image);
    if (surface == nullptr) {
        return nullptr;
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    return texture;
}

// The full-window pictures are stretched by any factor, so they are filtered rather than sampled: the
// small text of the artwork stays legible at window sizes that are no multiple of the image's.
SDL_Texture* smoothTextureFromImage(SDL_Renderer* renderer, EmbeddedImage image)
{
    SDL_Texture* texture = textureFromImage(renderer, image);
    if (texture != nullptr) {
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    }
    return texture;
}

void destroyTexture(SDL_Texture*& texture)
{
    if (texture != nullptr) {
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
}

}  // namespace

void createOverlayTextures(SDL_Renderer* renderer, OverlayTextures& textures)
{
    textures.titleTexture = smoothTextureFromImage(renderer, titleImage());
    textures.helpTexture = smoothTextureFromImage(renderer, helpImage());
    textures.controlsTexture = smoothTextureFromImage(renderer, controlsImage());
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
    // Fractions below 1 of a drawable extent always convert, so no result needs checking.
    SelectorRect rect;
    fractionToPixels(display.drawableWidth, 0.38541666f, rect.x);
    fractionToPixels(display.drawableHeight, 0.8388889f, rect.y);
    fractionToPixels(display.drawableHeight, 0.044444446f, rect.height);
    rect.width = rect.height / 2;
    return rect;
}
