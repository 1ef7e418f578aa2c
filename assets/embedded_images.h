// The images built into the program: raw 24-bit pixels, rows top to bottom, blue-green-red, no padding.
#pragma once

struct EmbeddedImage {
    const unsigned char* pixels;
    int width;
    int height;
};

// One accessor per row of the image list: iconImage(), titleImage(), ... arrowsUpLitImage().
#define QUASARINE_IMAGE(name, symbol, file, width, height) EmbeddedImage name##Image();
#include "assets/image_list.h"
#undef QUASARINE_IMAGE
