// The help screen: how to let Quasarine record what the speakers play, on Linux and on Windows, in
// steps, sketches and a note, over a dark blue fractal; every letter large enough to read at half size.
#include "assets/image_generator/artwork.h"
#include "assets/image_generator/fractal.h"
#include "assets/image_generator/help_sketches.h"

namespace {

constexpr int helpWidth = 1920;
constexpr int helpHeight = 1080;
const Colour white{255, 255, 255};
const Colour heading{255, 214, 96};
const Colour noteGreen{60, 220, 90};
const Colour wayBlue{140, 210, 255};
constexpr int lineHeight = 38;
constexpr int columnTop = 218;  // baseline of the two columns' headings

// A fractal of the visualizer, toned down to a dark blue so that text stays readable on it.
void paintBackground(Canvas& canvas)
{
    FractalView view;
    view.fractalmode = 0;
    view.colormode = 4;
    view.maxIterations = 3000;
    view.threshold = 1000.0f;
    view.blend = 0.25f;
    view.cx = -0.222327f;
    view.cy = -0.728141f;
    view.unitsPerPixel = 0.0019f;
    view.theta = 0.35f;
    FadeShape everywhere{960.0f, 540.0f, 9000.0f, 9000.0f, 0.1f, 1.0f};
    paintFractal(canvas, Box{0, 0, helpWidth, helpHeight}, view, everywhere, 1);
    for (size_t i = 0; i < canvas.rgb.size(); i += 3) {
        float level = (canvas.rgb[i] + canvas.rgb[i + 1] + canvas.rgb[i + 2]) / 765.0f;
        canvas.rgb[i] = static_cast<uint8_t>(4 + 40 * level);
        canvas.rgb[i + 1] = static_cast<uint8_t>(10 + 70 * level);
        canvas.rgb[i + 2] = static_cast<uint8_t>(36 + 160 * level);
    }
}

void drawHeadline(Canvas& canvas, FontSet& fonts)
{
    TextStyle style{fontSansBold, 40.0f, 1.0f, 0.0f, false};
    drawCentredText(canvas, fonts, style, "To visualize the speakers, let Quasarine record what they play:", 960, 58,
                    white);
}

// The paragraphs' letters, a little larger than the sketches' labels.
TextStyle bodyText()
{
    return TextStyle{fontSans, 29.0f, 1.0f, 0.0f, false};
}

// Text broken into lines of the column's width; returns the baseline below the last line.
int drawParagraph(Canvas& canvas, FontSet& fonts, const char* text, int x, int baseline, int width)
{
    return drawWrappedText(canvas, fonts, bodyText(), text, x, baseline, width, lineHeight, white);
}

// A numbered step: the badge at the left, the text wrapped beside it; returns the next baseline.
int drawStep(Canvas& canvas, FontSet& fonts, int number, const char* text, int x, int baseline, int width)
{
    drawStepBadge(canvas, fonts, x + 23.0f, baseline - 10.0f, number);
    return drawParagraph(canvas, fonts, text, x + 60, baseline, width - 60);
}

void drawColumnHeading(Canvas& canvas, FontSet& fonts, const char* title, int x, int baseline)
{
    TextStyle style{fontSansBold, 36.0f, 1.0f, 1.0f, false};
    drawTextLine(canvas, fonts, style, title, x, baseline, heading);
    fillBox(canvas, Box{x, baseline + 10, textAdvance(fonts, style, title), 3}, heading);
}

// A lead-in in bold before a way of doing it; returns the baseline of the next line.
int drawWayTitle(Canvas& canvas, FontSet& fonts, const char* title, int x, int baseline)
{
    TextStyle style{fontSansBold, 30.0f, 1.0f, 0.0f, false};
    drawTextLine(canvas, fonts, style, title, x, baseline, wayBlue);
    return baseline + lineHeight + 2;
}

// Commands in a dark console box whose top is at y, one line each; returns the box's bottom.
int drawTerminal(Canvas& canvas, FontSet& fonts, const char* const* lines, int count, int x, int y, int width)
{
    Box box{x, y, width, 20 + count * lineHeight};
    fillRoundedBox(canvas, box, 10.0f, Colour{12, 14, 20}, 0.95f);
    strokeRoundedBox(canvas, box, 10.0f, 2.0f, Colour{120, 130, 150});
    TextStyle mono{fontMono, 28.0f, 1.0f, 0.0f, false};
    for (int i = 0; i < count; ++i) {
        drawTextLine(canvas, fonts, mono, lines[i], x + 16, y + 38 + i * lineHeight, Colour{120, 230, 120});
    }
    return box.y + box.height;
}

void drawLinuxColumn(Canvas& canvas, FontSet& fonts)
{
    const int x = 40, width = 940;
    drawColumnHeading(canvas, fonts, "LINUX  (PulseAudio or PipeWire)", x, columnTop);
    int y = drawWayTitle(canvas, fonts, "The easy way", x, columnTop + 52);
    y = drawParagraph(canvas, fonts,
                      "Start Quasarine with its menu entry's action \"Visualize the speakers\", or run in a "
                      "terminal:", x, y, width);
    const char* command[1] = {"env PULSE_SOURCE=@DEFAULT_MONITOR@ quasarine --viz"};
    y = drawTerminal(canvas, fonts, command, 1, x, y - 24, width);
    y = drawParagraph(canvas, fonts,
                      "It records what the speakers play and leaves the default recording device as it is.", x,
                      y + 38, width);
    y = drawWayTitle(canvas, fonts, "Or make the monitor the default recording device", x, y + 16);
    y = drawStep(canvas, fonts, 1, "In pavucontrol's Input Devices tab (Show: All Input Devices), tick the monitor:",
                 x, y, width);
    drawVolumeControlSketch(canvas, fonts, Box{x + 60, y - 16, width - 170, 196}, 1);
    y = drawStep(canvas, fonts, 2, "Or run (sink names: pactl list short sinks):", x, y + 222, width);
    const char* pactl[1] = {"pactl set-default-source <sink>.monitor"};
    drawTerminal(canvas, fonts, pactl, 1, x + 60, y - 24, width - 60);
}

// The Sound dialog at the left, the steps in words at the right; returns Stereo Mix's level bar.
Point drawWindowsColumn(Canvas& canvas, FontSet& fonts)
{
    const int x = 1010, textX = 1566, textWidth = 334;
    drawColumnHeading(canvas, fonts, "WINDOWS  (Stereo Mix)", x, columnTop);
    Point meter = drawSoundDialogSketch(canvas, fonts, Box{x + 20, columnTop + 38, 510, 580});
    int y = drawStep(canvas, fonts, 1, "Run mmsys.cpl, tab Recording.", textX, columnTop + 84, textWidth);
    y = drawStep(canvas, fonts, 2, "Right-click: Show Disabled Devices.", textX, y + 12, textWidth);
    y = drawStep(canvas, fonts, 3, "Right-click Stereo Mix: Enable.", textX, y + 12, textWidth);
    y = drawStep(canvas, fonts, 4, "Set Default.", textX, y + 12, textWidth);
    drawStep(canvas, fonts, 5, "OK.", textX, y + 12, textWidth);
    return meter;
}

// The green-framed note at the bottom right, with the green arrow from the level bar to it.
void drawNote(Canvas& canvas, FontSet& fonts, Point meter)
{
    Box note{1230, 850, 670, 218};
    drawArrow(canvas, meter.x + 14.0f, meter.y + 8.0f, 1640.0f, note.y - 6.0f, 6.0f, noteGreen);
    fillRoundedBox(canvas, note, 12.0f, Colour{6, 20, 12}, 0.92f);
    strokeRoundedBox(canvas, note, 12.0f, 4.0f, noteGreen);
    TextStyle title{fontSansBold, 30.0f, 1.0f, 0.0f, false};
    drawTextCentredOn(canvas, fonts, title, "Push 'h' to exit help screen", note.x + note.width / 2, note.y + 44,
                      noteGreen);
    drawParagraph(canvas, fonts,
                  "The level bar should light green while the speakers play. If not, set its level to 100, "
                  "or try headphones or analog speakers.",
                  note.x + 24, note.y + 92, note.width - 48);
}

}  // namespace

Canvas makeHelpImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(helpWidth, helpHeight, Colour{});
    paintBackground(canvas);
    drawHeadline(canvas, fonts);
    drawSoundRoad(canvas, fonts, Box{40, 88, 1840, 70});
    drawLinuxColumn(canvas, fonts);
    Point meter = drawWindowsColumn(canvas, fonts);
    drawNote(canvas, fonts, meter);
    drawParagraph(canvas, fonts, "Then pick \"Default Recording Device\" on the title screen and push 'v'.", 40,
                  1018, 1180);
    drawTextCentredOn(canvas, fonts, sketchText(), "Quasarine version 1.0", 960, 1068, Colour{190, 200, 230});
    return canvas;
}
