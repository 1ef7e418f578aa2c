// The images that the generator makes, one function per image of the embedded set.
#pragma once
#include "tools/image_generator/canvas.h"
#include "tools/image_generator/text.h"

enum ArrowLook { arrowEnabled, arrowDisabled, arrowLit };

Canvas makeIconImage();
Canvas makeTitleImage(FontSet& fonts);
Canvas makeHelpImage(FontSet& fonts);
Canvas makeControlsImage(FontSet& fonts);
Canvas makeFontStrip(FontSet& fonts);
Canvas makeSelectorImage(ArrowLook up, ArrowLook down);
