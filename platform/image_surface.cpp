// An SDL surface over one of the embedded images.
#include "platform/image_surface.h"

SDL_Surface* surfaceFromImage(const EmbeddedImage& image)
{
    // The pixels are blue-green-red in memory, which SDL's masks on a little-endian 24-bit pixel read
    // as red 0xFF0000, green 0xFF00, blue 0xFF.
    return SDL_CreateRGBSurfaceFrom(const_cast<unsigned char*>(image.pixels), image.width, image.height, 24,
                                    3 * image.width, 0xFF0000, 0xFF00, 0xFF, 0);
}
