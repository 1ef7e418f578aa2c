// The help screen: how to let the default recording device hear what the speakers play, on Linux
// and on Windows, in steps, sketches and a note, over a dark blue fractal.
#include "assets/image_generator/artwork.h"
#include "assets/image_generator/fractal.h"
#include "assets/image_generator/help_sketches.h"

namespace {

constexpr int helpWidth = 1920;
constexpr int helpHeight = 1080;
const Colour white{255, 255, 255};
const Colour heading{255, 214, 96};
const Colour noteGreen{60, 220, 90};

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
    TextStyle style{fontSansBold, 38.0f, 1.0f, 0.0f, false};
    drawCentredText(canvas, fonts, style,
                    "To let Quasarine visualize the sound going to the speakers, make the default", 960, 56, white);
    drawCentredText(canvas, fonts, style,
                    "recording device hear what the speakers play. Follow the steps for your system!", 960, 104,
                    white);
}

// A numbered step: the badge at the left, the text wrapped beside it; returns the next baseline.
int drawStep(Canvas& canvas, FontSet& fonts, int number, const char* text, int x, int baseline, int width)
{
    drawStepBadge(canvas, fonts, x + 19.0f, baseline - 9.0f, number);
    TextStyle style{fontSans, 23.0f, 1.0f, 0.0f, false};
    return drawWrappedText(canvas, fonts, style, text, x + 52, baseline, width - 52, 31, white);
}

void drawColumnHeading(Canvas& canvas, FontSet& fonts, const char* title, int x, int baseline)
{
    TextStyle style{fontSansBold, 32.0f, 1.0f, 1.0f, false};
    drawTextLine(canvas, fonts, style, title, x, baseline, heading);
    fillBox(canvas, Box{x, baseline + 10, textAdvance(fonts, style, title), 3}, heading);
}

// The commands that do the same from a terminal, in a dark console box.
void drawTerminal(Canvas& canvas, FontSet& fonts, Box box)
{
    fillRoundedBox(canvas, box, 10.0f, Colour{12, 14, 20}, 0.95f);
    strokeRoundedBox(canvas, box, 10.0f, 2.0f, Colour{120, 130, 150});
    TextStyle mono{fontMono, 20.0f, 1.0f, 0.0f, false};
    Colour command{120, 230, 120}, comment{150, 160, 180};
    int pen = drawTextLine(canvas, fonts, mono, "$ pactl list short sinks", box.x + 20, box.y + 34, command);
    drawTextLine(canvas, fonts, mono, "   # the outputs' names", pen, box.y + 34, comment);
    drawTextLine(canvas, fonts, mono, "$ pactl set-default-source <sink>.monitor", box.x + 20, box.y + 64, command);
    pen = drawTextLine(canvas, fonts, mono, "$ pactl get-default-source", box.x + 20, box.y + 94, command);
    drawTextLine(canvas, fonts, mono, " # to check", pen, box.y + 94, comment);
}

void drawLinuxColumn(Canvas& canvas, FontSet& fonts)
{
    const int x = 50, width = 870;
    drawColumnHeading(canvas, fonts, "LINUX  (PulseAudio or PipeWire)", x, 294);
    int y = drawStep(canvas, fonts, 1,
                     "Open PulseAudio Volume Control (pavucontrol) and choose the Input Devices tab; "
                     "set Show: to All Input Devices.", x, 346, width);
    y = drawStep(canvas, fonts, 2,
                 "Click the check button of \"Monitor of\" your speakers: it becomes the fallback, that is the "
                 "default recording device.", x, y + 8, width);
    drawVolumeControlSketch(canvas, fonts, Box{x + 40, y + 34, width - 60, 326});
    y = drawStep(canvas, fonts, 3, "Or do the same in a terminal (pactl works with PipeWire too):", x, y + 400,
                 width);
    drawTerminal(canvas, fonts, Box{x + 52, y - 20, width - 52, 112});
    drawStep(canvas, fonts, 4, "Pick \"Default Recording Device\" on the title screen and push 'v'.", x, y + 132,
             width);
}

Point drawWindowsColumn(Canvas& canvas, FontSet& fonts)
{
    const int x = 1000, textX = 1530, textWidth = 370;
    drawColumnHeading(canvas, fonts, "WINDOWS  (Stereo Mix)", x, 294);
    Point meter = drawSoundDialogSketch(canvas, fonts, Box{x + 20, 370, 460, 520});
    int y = drawStep(canvas, fonts, 1,
                     "Right-click the speaker icon of the taskbar, open Sounds (or run mmsys.cpl) and choose "
                     "the Recording tab.", textX, 372, textWidth);
    y = drawStep(canvas, fonts, 2, "Right-click the list and tick Show Disabled Devices.", textX, y + 8, textWidth);
    y = drawStep(canvas, fonts, 3, "Right-click Stereo Mix and choose Enable.", textX, y + 8, textWidth);
    y = drawStep(canvas, fonts, 4, "Select Stereo Mix and click Set Default.", textX, y + 8, textWidth);
    y = drawStep(canvas, fonts, 5, "Click OK.", textX, y + 8, textWidth);
    drawStep(canvas, fonts, 6, "Pick \"Default Recording Device\" on the title screen and push 'v'.", textX,
             y + 8, textWidth);
    return meter;
}

// The green-framed note at the bottom right, with the green arrow from the level meter to it.
void drawNote(Canvas& canvas, FontSet& fonts, Point meter)
{
    Box note{1290, 900, 600, 158};
    drawArrow(canvas, meter.x + 12.0f, meter.y + 8.0f, 1508.0f, note.y - 6.0f, 6.0f, noteGreen);
    fillRoundedBox(canvas, note, 12.0f, Colour{6, 20, 12}, 0.92f);
    strokeRoundedBox(canvas, note, 12.0f, 4.0f, noteGreen);
    TextStyle title{fontSansBold, 24.0f, 1.0f, 0.0f, false};
    drawTextCentredOn(canvas, fonts, title, "Push 'h' to exit help screen", note.x + note.width / 2, note.y + 36,
                      noteGreen);
    TextStyle body{fontSans, 16.0f, 1.0f, 0.0f, false};
    drawWrappedText(canvas, fonts, body,
                    "The level meter should light green while sound is heard on the speakers. If it does not, "
                    "check that the device is not muted and its level is at 100 (Windows: Properties -> Levels). "
                    "Then try headphones or analog speakers: some digital outputs have no monitor or stereo mix.",
                    note.x + 20, note.y + 62, note.width - 40, 21, white);
}

}  // namespace

Canvas makeHelpImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(helpWidth, helpHeight, Colour{});
    paintBackground(canvas);
    drawHeadline(canvas, fonts);
    drawSoundRoad(canvas, fonts, Box{60, 128, 1800, 104});
    drawLinuxColumn(canvas, fonts);
    Point meter = drawWindowsColumn(canvas, fonts);
    drawNote(canvas, fonts, meter);
    TextStyle small{fontSans, 16.0f, 1.0f, 0.0f, false};
    drawTextCentredOn(canvas, fonts, small, "Quasarine version 1.0", 960, 1068, Colour{190, 200, 230});
    return canvas;
}
