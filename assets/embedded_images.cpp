// Access to the embedded images, whose pixels the assembler placed in read-only data at build time.
#include "assets/embedded_images.h"

extern "C" {
extern const unsigned char quasarineIconPixels[];
extern const unsigned char quasarineTitlePixels[];
extern const unsigned char quasarineHelpPixels[];
extern const unsigned char quasarineControlsPixels[];
extern const unsigned char quasarineFontStripPixels[];
extern const unsigned char quasarineArrowsNormalPixels[];
extern const unsigned char quasarineArrowsNonePixels[];
extern const unsigned char quasarineArrowsTopPixels[];
extern const unsigned char quasarineArrowsBottomPixels[];
extern const unsigned char quasarineArrowsDownLitPixels[];
extern const unsigned char quasarineArrowsUpLitPixels[];
}

EmbeddedImage iconImage()
{
    return EmbeddedImage{quasarineIconPixels, 16, 16};
}

EmbeddedImage titleImage()
{
    return EmbeddedImage{quasarineTitlePixels, 960, 540};
}

EmbeddedImage helpImage()
{
    return EmbeddedImage{quasarineHelpPixels, 1920, 1080};
}

EmbeddedImage controlsImage()
{
    return EmbeddedImage{quasarineControlsPixels, 960, 540};
}

EmbeddedImage fontStripImage()
{
    return EmbeddedImage{quasarineFontStripPixels, 2976, 32};
}

EmbeddedImage arrowsNormalImage()
{
    return EmbeddedImage{quasarineArrowsNormalPixels, 32, 66};
}

EmbeddedImage arrowsNoneImage()
{
    return EmbeddedImage{quasarineArrowsNonePixels, 32, 66};
}

EmbeddedImage arrowsTopImage()
{
    return EmbeddedImage{quasarineArrowsTopPixels, 32, 66};
}

EmbeddedImage arrowsBottomImage()
{
    return EmbeddedImage{quasarineArrowsBottomPixels, 32, 66};
}

EmbeddedImage arrowsDownLitImage()
{
    return EmbeddedImage{quasarineArrowsDownLitPixels, 32, 66};
}

EmbeddedImage arrowsUpLitImage()
{
    return EmbeddedImage{quasarineArrowsUpLitPixels, 32, 66};
}
