// An SDL surface over one of the embedded images, for the window icon and the overlays' textures.
#pragma once
#include <SDL.h>

#include "assets/embedded_images.h"

// A 24-bit surface that reads the image's pixels in place; null when SDL cannot make one. Free it with
// SDL_FreeSurface before the pixels could go (they are embedded, so never).
SDL_Surface* surfaceFromImage(const EmbeddedImage& image);
