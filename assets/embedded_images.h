// The images built into the program: raw 24-bit pixels, rows top to bottom, blue-green-red, no padding.
#pragma once

struct EmbeddedImage {
    const unsigned char* pixels;
    int width;
    int height;
};

EmbeddedImage iconImage();           // 16 x 16
EmbeddedImage titleImage();          // 960 x 540
EmbeddedImage helpImage();           // 1920 x 1080
EmbeddedImage controlsImage();       // 960 x 540
EmbeddedImage fontStripImage();      // 2976 x 32
EmbeddedImage arrowsNormalImage();   // 32 x 66 each
EmbeddedImage arrowsNoneImage();
EmbeddedImage arrowsTopImage();
EmbeddedImage arrowsBottomImage();
EmbeddedImage arrowsDownLitImage();
EmbeddedImage arrowsUpLitImage();
