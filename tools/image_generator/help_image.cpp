// The help screen: how Quasarine records the speakers, first by its Speakers source, then by sound settings.
#include "tools/image_generator/artwork.h"
#include "tools/image_generator/fractal.h"
#include "tools/image_generator/help_sketches.h"

namespace {

constexpr int helpWidth = 1920;
constexpr int helpHeight = 1080;
const Colour white{255, 255, 255};
const Colour heading{255, 214, 96};
const Colour noteGreen{60, 220, 90};
const Colour wayBlue{140, 210, 255};
constexpr int lineHeight = 38;
constexpr int columnTop = 128;  // baseline of the two columns' headings
constexpr int leadTop = 152;    // top of the frames of the Speakers source
constexpr int leadHeight = 226;
constexpr int rightEdge = 1900;  // of the Windows column

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

// The commands' letters.
TextStyle terminalText()
{
    return TextStyle{fontMono, 28.0f, 1.0f, 0.0f, false};
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

// A command in a dark console box whose top is at y; returns the box's bottom.
int drawTerminal(Canvas& canvas, FontSet& fonts, const char* command, int x, int y, int width)
{
    Box box{x, y, width, 20 + lineHeight};
    fillRoundedBox(canvas, box, 10.0f, Colour{12, 14, 20}, 0.95f);
    strokeRoundedBox(canvas, box, 10.0f, 2.0f, Colour{120, 130, 150});
    drawTextLine(canvas, fonts, terminalText(), command, x + 16, y + 38, Colour{120, 230, 120});
    return box.y + box.height;
}

// The first way in each column, framed in green: the Speakers source, picked on the title screen or
// by the option. The source's name is the sketch's, the command the platform's; returns the frame's
// bottom.
int drawSpeakersWay(Canvas& canvas, FontSet& fonts, Box frame, const char* source, const char* command)
{
    fillRoundedBox(canvas, frame, 12.0f, Colour{6, 20, 12}, 0.9f);
    strokeRoundedBox(canvas, frame, 12.0f, 4.0f, noteGreen);
    const int x = frame.x + 24, width = frame.width - 48;
    TextStyle lead{fontSansBold, 30.0f, 1.0f, 0.0f, false};
    drawTextLine(canvas, fonts, lead, "Choose Speakers on the title screen (Up arrow):", x, frame.y + 48, noteGreen);
    drawSelectorSketch(canvas, fonts, Box{x, frame.y + 66, width, 64}, source);
    int pen = drawTextLine(canvas, fonts, lead, "or start with", x, frame.y + 186, noteGreen);
    drawTerminal(canvas, fonts, command, pen + 18, frame.y + 148, textAdvance(fonts, terminalText(), command) + 32);
    return frame.y + frame.height;
}

void drawLinuxColumn(Canvas& canvas, FontSet& fonts)
{
    const int x = 40, width = 940;
    drawColumnHeading(canvas, fonts, "LINUX  (PulseAudio or PipeWire)", x, columnTop);
    int y = drawSpeakersWay(canvas, fonts, Box{x, leadTop, width, leadHeight}, "Speakers: Built-in Audio",
                            "quasarine --viz --speakers");
    y = drawParagraph(canvas, fonts, "Its menu entry's action \"Visualize the speakers\" does the same.", x, y + 38,
                      width);
    y = drawWayTitle(canvas, fonts, "Or on PulseAudio, for Quasarine alone:", x, y + 12);
    y = drawTerminal(canvas, fonts, "env PULSE_SOURCE=@DEFAULT_MONITOR@ quasarine --viz", x, y - 24, width);
    y = drawStep(canvas, fonts, 1,
                 "Or for every program: in pavucontrol's Input Devices tab (Show: All Input Devices), tick the "
                 "monitor:", x, y + 38, width);
    drawVolumeControlSketch(canvas, fonts, Box{x + 60, y - 16, width - 170, 196}, 1);
    y = drawStep(canvas, fonts, 2, "Or run (sink names: pactl list short sinks):", x, y + 220, width);
    drawTerminal(canvas, fonts, "pactl set-default-source <sink>.monitor", x + 60, y - 24, width - 60);
}

// The Sound dialog at the left, the steps in words at the right, and below them the hint on the level
// bar, with a green arrow that leaves the bar to the right and runs down between dialog and steps.
void drawWindowsColumn(Canvas& canvas, FontSet& fonts)
{
    const int x = 1010, arrowX = 1550, textX = 1566, textWidth = rightEdge - textX;
    drawColumnHeading(canvas, fonts, "WINDOWS", x, columnTop);
    int y = drawSpeakersWay(canvas, fonts, Box{x, leadTop, rightEdge - x, leadHeight}, "Speakers: Realtek Audio",
                            "quasarine.exe --speakers");
    y = drawWayTitle(canvas, fonts, "Or turn on Stereo Mix:", x, y + 50);
    Point meter = drawSoundDialogSketch(canvas, fonts, Box{x, y - 24, 510, 500});
    y = drawStep(canvas, fonts, 1, "Run mmsys.cpl, tab Recording.", textX, y + 22, textWidth);
    y = drawStep(canvas, fonts, 2, "Right-click: Show Disabled Devices.", textX, y + 12, textWidth);
    y = drawStep(canvas, fonts, 3, "Right-click Stereo Mix: Enable.", textX, y + 12, textWidth);
    y = drawStep(canvas, fonts, 4, "Set Default.", textX, y + 12, textWidth);
    y = drawStep(canvas, fonts, 5, "OK.", textX, y + 12, textWidth);
    Box note{arrowX - 12, y, rightEdge - arrowX + 12, 178};
    drawLine(canvas, meter.x + 14.0f, meter.y, arrowX, meter.y, 5.0f, noteGreen);
    drawArrow(canvas, arrowX, meter.y, arrowX, note.y - 4.0f, 5.0f, noteGreen);
    fillRoundedBox(canvas, note, 12.0f, Colour{6, 20, 12}, 0.92f);
    strokeRoundedBox(canvas, note, 12.0f, 4.0f, noteGreen);
    drawParagraph(canvas, fonts, "The level bar lights green while sound plays; if not, set its level to 100.",
                  note.x + 18, note.y + 44, note.width - 36);
}

}  // namespace

Canvas makeHelpImage(FontSet& fonts)
{
    Canvas canvas = makeCanvas(helpWidth, helpHeight, Colour{});
    paintBackground(canvas);
    drawHeadline(canvas, fonts);
    drawLinuxColumn(canvas, fonts);
    drawWindowsColumn(canvas, fonts);
    drawParagraph(canvas, fonts, "After another way, pick \"Default Recording Device\" on the title screen.", 40,
                  1018, 1180);
    // The bottom row: the way out at the left, the version at the right, and between them, centred in
    // the gap, two more keys in the body's lighter letters.
    TextStyle hint{fontSansBold, 30.0f, 1.0f, 0.0f, false};
    const char* const exitHint = "Push 'h' to exit help screen";
    const char* const version = "Quasarine version 1.0";
    const int hintEnd = drawTextLine(canvas, fonts, hint, exitHint, 40, 1062, noteGreen);
    const int versionStart = 1640 - textAdvance(fonts, sketchText(), version) / 2;
    drawTextCentredOn(canvas, fonts, bodyText(), "F12 saves a screenshot \u00b7 C lists every key",
                      (hintEnd + versionStart) / 2, 1062, wayBlue);
    drawTextCentredOn(canvas, fonts, sketchText(), version, 1640, 1062, Colour{190, 200, 230});
    return canvas;
}
