// The controls guide: a black panel framed by fractal artwork, listing the keys and the options.
#include <algorithm>
#include <iterator>

#include "tools/image_generator/artwork.h"
#include "tools/image_generator/fractal.h"

namespace {

constexpr int guideWidth = 960;
constexpr int guideHeight = 540;
const Colour white{255, 255, 255};
const Colour keyBlue{90, 170, 255};
const Colour panelEdge{60, 110, 200};

struct Binding {
    const char* keys;
    const char* action;
};

const Binding controlRows[] = {
    {"Left Mouse", "Highlight Zoom"},
    {"Right Mouse", "Cursor Zoom"},
    {"Middle Mouse", "Show/Hide Cursor in Fullscreen"},
    {"Mouse Wheel", "Crossblend Control"},
    {"Space Bar", "Toggle Demo Mode"},
    {"Tab", "Toggle Screensaver Mode"},
    {"WADS", "Camera Strafing"},
    {"O", "Center Camera & Zoom Out"},
    {"M", "Morph Fractal"},
    {"UP/DOWN", "Fractal Tilt Control"},
    {"RIGHT/LEFT", "Fractal Rotate Control"},
    {"F", "Toggle Fullscreen Mode"},
    {"Shift+F", "Fullscreen on Next Monitor"},
    {"L", "Frame Rate Cap (Off/60/30)"},
    {"PGUP/PGDN", "Previous/Next Song"},
    {"P", "Pause/Resume Song"},
    {"F12", "Save Screenshot"},
};

const Binding optionRows[] = {
    {"-v or --viz", "Automatically Start Visualization"},
    {"-f or --fullscreen", "Start in Fullscreen Mode"},
    {"-s or --speakers", "Start with the Speakers Source"},
    {"--display N", "Open on Monitor N"},
    {"--fps N", "Cap the Frame Rate at N"},
    {"SONG...", "Play Song Files (or Drop Them on the Window)"},
};

void paintFrameArtwork(Canvas& canvas)
{
    FractalView view;
    view.fractalmode = 2;
    view.colormode = 5;
    view.maxIterations = 1500;
    view.threshold = 1000.0f;
    view.blend = 0.25f;
    view.cx = -0.502019f;
    view.cy = 0.480687f;
    view.unitsPerPixel = 0.0021f;
    FadeShape everywhere{480.0f, 270.0f, 5000.0f, 5000.0f, 0.1f, 1.0f};
    paintFractal(canvas, Box{0, 0, guideWidth, guideHeight}, view, everywhere, 2);
}

// A heading centred on the panel with a line under it.
void drawHeading(Canvas& canvas, FontSet& fonts, const char* text, float size, int baseline)
{
    TextStyle style{fontSansBold, size, 1.0f, 2.0f, false};
    TextMask mask = renderText(fonts, style, text);
    int left = (guideWidth - mask.width) / 2;
    drawMask(canvas, mask, left, baseline - mask.ascent, white);
    fillBox(canvas, Box{left, baseline + 6, mask.width, 2}, white);
}

// Rows of "keys : action" with the colons of the group in one column, the whole group centred.
void drawBindings(Canvas& canvas, FontSet& fonts, const Binding* rows, int count, float size, int baseline,
                  int spacing)
{
    TextStyle style{fontSansBold, size, 1.0f, 0.0f, false};
    int widestKeys = 0, widestAction = 0;
    for (int i = 0; i < count; ++i) {
        widestKeys = std::max(widestKeys, textAdvance(fonts, style, rows[i].keys));
        widestAction = std::max(widestAction, textAdvance(fonts, style, rows[i].action));
    }
    int colonWidth = textAdvance(fonts, style, " : ");
    int colonX = (guideWidth - widestKeys - colonWidth - widestAction) / 2 + widestKeys;
    for (int i = 0; i < count; ++i) {
        int y = baseline + i * spacing;
        int keysWidth = textAdvance(fonts, style, rows[i].keys);
        drawTextLine(canvas, fonts, style, rows[i].keys, colonX - keysWidth, y, keyBlue);
        int pen = drawTextLine(canvas, fonts, style, " : ", colonX, y, keyBlue);
        drawTextLine(canvas, fonts, style, rows[i].action, pen, y, keyBlue);
    }
}

}  // namespace

Canvas makeControlsImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(guideWidth, guideHeight, Colour{});
    paintFrameArtwork(canvas);
    // The panel spans all but 10 rows at the top and bottom of the artwork.
    Box panel{150, 10, guideWidth - 300, guideHeight - 20};
    fillRoundedBox(canvas, panel, 18.0f, Colour{0, 0, 0}, 1.0f);
    strokeRoundedBox(canvas, panel, 18.0f, 2.0f, panelEdge);
    // The rows are set closer than the headings so that every key and option fits the panel in one
    // column, at sizes still legible when the guide is shown at 683 x 384 (capitals of 11 rows here,
    // 8 there); the last option's descenders end a dozen rows above the panel's lower edge.
    constexpr int titleBaseline = 46, firstKey = 78, rowSpacing = 18, headingGap = 29;
    constexpr float titleSize = 30.0f, headingSize = 22.0f, rowSize = 15.0f;
    const int keyCount = static_cast<int>(std::size(controlRows));
    const int optionCount = static_cast<int>(std::size(optionRows));
    drawHeading(canvas, fonts, "CONTROLS", titleSize, titleBaseline);
    drawBindings(canvas, fonts, controlRows, keyCount, rowSize, firstKey, rowSpacing);
    const int optionsHeading = firstKey + (keyCount - 1) * rowSpacing + headingGap;
    drawHeading(canvas, fonts, "Command Line Options", headingSize, optionsHeading);
    drawBindings(canvas, fonts, optionRows, optionCount, rowSize, optionsHeading + headingGap, rowSpacing);
    return canvas;
}
