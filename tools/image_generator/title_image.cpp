// The title screen: fractal artwork, the logo, the key hints, the warning line and the label row
// that the program writes the sound source's name beside.
#include <algorithm>

#include "tools/image_generator/artwork.h"
#include "tools/image_generator/fractal.h"

namespace {

constexpr int titleWidth = 960;
constexpr int titleHeight = 540;
const Colour white{255, 255, 255};
const Colour frameGreen{34, 177, 76};

// Fractal art in the upper left and across the right middle, each fading out into the black.
void paintTitleArtwork(Canvas& canvas)
{
    FractalView spiral;
    spiral.fractalmode = 0;
    spiral.colormode = 3;
    spiral.maxIterations = 2400;
    spiral.threshold = 1000.0f;
    spiral.blend = 0.25f;
    spiral.cx = -0.8f;
    spiral.cy = 0.156f;
    spiral.unitsPerPixel = 0.0042f;
    spiral.theta = 0.5f;
    FadeShape corner{60.0f, 40.0f, 430.0f, 250.0f, 0.75f, 1.0f};
    paintFractal(canvas, Box{0, 0, 560, 300}, spiral, corner, 3);
    FractalView dragon = spiral;
    dragon.fractalmode = 1;
    dragon.colormode = 5;
    dragon.cx = -0.103549f;
    dragon.cy = 0.792413f;
    dragon.unitsPerPixel = 0.0048f;
    dragon.theta = -0.3f;
    FadeShape side{860.0f, 300.0f, 330.0f, 150.0f, 0.7f, 1.0f};
    paintFractal(canvas, Box{520, 140, 440, 310}, dragon, side, 3);
}

// The product's name in large letters filled with a fractal of its own, on a soft white glow.
void drawLogo(Canvas& canvas, FontSet& fonts)
{
    Canvas fill = makeCanvas(titleWidth, titleHeight, Colour{});
    FractalView view;
    view.fractalmode = 0;
    view.colormode = 0;
    view.maxIterations = 2400;
    view.threshold = 1000.0f;
    view.blend = 0.25f;
    view.cx = -0.8f;
    view.cy = 0.156f;
    view.unitsPerPixel = 0.0025f;
    FadeShape everywhere{480.0f, 270.0f, 5000.0f, 5000.0f, 0.1f, 1.0f};
    paintFractal(fill, Box{130, 80, 700, 120}, view, everywhere, 2);
    TextStyle style{fontSansBold, 96.0f, 1.05f, 4.0f, false};
    TextMask logo = renderText(fonts, style, "QUASARINE");
    int left = (titleWidth - logo.width) / 2, top = 88;
    TextMask glow = blurMask(logo, 6);
    drawMask(canvas, glow, left - 6, top - 6, Colour{40, 40, 60});
    drawMask(canvas, blurMask(logo, 1), left - 1, top - 1, white);
    drawMaskFrom(canvas, logo, left, top, fill);
}

// The demo track's title in a green frame, centred above the logo.
void drawDemoBox(Canvas& canvas, FontSet& fonts)
{
    const char* heading = "DEMO TRACK (SPACE):";
    const char* name = "\"Quasar Groove\"  -  118.5 bpm, A minor, 40 s";
    TextStyle label{fontSansBold, 14.0f, 1.0f, 1.0f, false};
    TextStyle plain{fontSans, 15.0f, 1.0f, 0.0f, false};
    int width = textAdvance(fonts, label, heading) + 10 + textAdvance(fonts, plain, name);
    Box frame{(titleWidth - width) / 2 - 22, 26, width + 44, 36};
    fillRoundedBox(canvas, frame, 8.0f, Colour{0, 0, 0}, 0.85f);
    strokeRoundedBox(canvas, frame, 8.0f, 2.0f, frameGreen);
    int pen = drawTextLine(canvas, fonts, label, heading, frame.x + 22, 49, frameGreen);
    drawTextLine(canvas, fonts, plain, name, pen + 10, 49, white);
}

void drawInstructions(Canvas& canvas, FontSet& fonts)
{
    TextStyle subtitle{fontSansBold, 22.0f, 1.0f, 6.0f, false};
    drawCentredText(canvas, fonts, subtitle, "STAND-ALONE VISUALIZER", 480, 222, white);
    TextStyle hint{fontSansBold, 17.0f, 1.0f, 1.0f, false};
    drawCentredText(canvas, fonts, hint, "~PUSH 'v' TO START/STOP VISUALIZATION~", 480, 298, white);
    drawCentredText(canvas, fonts, hint, "~PUSH 'c' TO TOGGLE THE CONTROLS GUIDE~", 480, 344, white);
    drawCentredText(canvas, fonts, hint, "~PUSH 'h' TO TOGGLE THE HELP SCREEN~", 480, 390, white);
}

// The top band right of x 649 and the label row belong to the program's own drawing: both black.
void clearReservedBands(Canvas& canvas)
{
    fillBox(canvas, Box{650, 0, titleWidth - 650, 18}, Colour{});
    fillBox(canvas, Box{0, 448, titleWidth, 32}, Colour{});
}

// The warning in the top band, rows 7 to 16: white words ending before x 829, where the program's
// blanks begin, then FLASHING LIGHTS from x 838 to at most 939 in rainbow colours.
void drawWarning(Canvas& canvas, FontSet& fonts)
{
    TextStyle style{fontSans, 12.0f, 1.0f, 0.0f, false};
    style.pixelSize = largestSize(fonts, style, "Epilepsy WARNING: FLASHING LIGHTS", 10);
    // Each part is widened on its own to fill its span; the two stretches differ by a few percent.
    TextStyle lastStyle = style;
    style.stretch = widestStretch(fonts, style, "Epilepsy WARNING:", 117);
    lastStyle.stretch = widestStretch(fonts, lastStyle, "FLASHING LIGHTS", 102);
    TextMask first = renderText(fonts, style, "Epilepsy WARNING:");
    TextMask last = renderText(fonts, lastStyle, "FLASHING LIGHTS");
    int baseline = 7 + std::max(first.ascent, last.ascent);
    drawMask(canvas, first, 829 - first.width, baseline - first.ascent, white);
    drawMaskRainbow(canvas, last, 838, baseline - last.ascent);
}

// "SOUND COMES FROM:" filling rows 455 to 473 between x 43 and 356 exactly.
void drawSourceLabel(Canvas& canvas, FontSet& fonts)
{
    TextStyle style{fontSansBold, 24.0f, 1.0f, 0.0f, false};
    TextMask label = fitText(fonts, style, "SOUND COMES FROM:", 314, 19);
    drawMask(canvas, label, 43, 455, white);
}

void drawFooter(Canvas& canvas, FontSet& fonts)
{
    TextStyle enjoy{fontSansBold, 26.0f, 1.0f, 3.0f, false};
    TextMask word = renderText(fonts, enjoy, "ENJOY!");
    drawMaskRainbow(canvas, word, (titleWidth - word.width) / 2, 487);
    TextStyle small{fontSans, 14.0f, 1.0f, 0.0f, false};
    Colour grey{170, 170, 170};
    drawTextLine(canvas, fonts, small, "Fractals drawn with Quasarine's own formulas", 8, 532, grey);
    drawCentredText(canvas, fonts, small, "Quasarine version 1.0", 480, 532, grey);
    int quitWidth = textAdvance(fonts, small, "PUSH 'ESC' TO QUIT");
    drawTextLine(canvas, fonts, small, "PUSH 'ESC' TO QUIT", titleWidth - 8 - quitWidth, 532, white);
}

}  // namespace

Canvas makeTitleImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(titleWidth, titleHeight, Colour{});
    paintTitleArtwork(canvas);
    drawLogo(canvas, fonts);
    drawInstructions(canvas, fonts);
    drawDemoBox(canvas, fonts);
    clearReservedBands(canvas);
    drawWarning(canvas, fonts);
    drawSourceLabel(canvas, fonts);
    drawFooter(canvas, fonts);
    return canvas;
}
