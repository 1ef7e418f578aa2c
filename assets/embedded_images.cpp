// Access to the embedded images, whose pixels the assembler placed in read-only data at build time.
#include "assets/embedded_images.h"

extern "C" {
#define QUASARINE_IMAGE(name, symbol, file, width, height) extern const unsigned char quasarine##symbol##Pixels[];
#include "assets/image_list.h"
#undef QUASARINE_IMAGE
}

#define QUASARINE_IMAGE(name, symbol, file, width, height) \
    EmbeddedImage name##Image() { return EmbeddedImage{quasarine##symbol##Pixels, width, height}; }
#include "assets/image_list.h"
#undef QUASARINE_IMAGE
