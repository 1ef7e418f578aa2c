// Flat sketches of the sound settings for the help screen, drawn from shapes and text of our own.
#include "assets/image_generator/help_sketches.h"

#include <cmath>
#include <string>

namespace {

const Colour white{255, 255, 255};
const Colour ink{30, 30, 36};
const Colour softInk{110, 110, 120};
const Colour paper{238, 238, 242};
const Colour line{170, 170, 180};
const Colour stepRed{222, 38, 38};
const Colour meterGreen{40, 200, 70};
const Colour selection{204, 228, 255};
const Colour focusBlue{60, 120, 220};
constexpr float pi = 3.14159265f;

TextStyle uiText(float size)
{
    return TextStyle{fontSans, size, 1.0f, 0.0f, false};
}

TextStyle uiBold(float size)
{
    return TextStyle{fontSansBold, size, 1.0f, 0.0f, false};
}

Point centreOf(Box box)
{
    return Point{box.x + box.width * 0.5f, box.y + box.height * 0.5f};
}

// A window with a shadow, a dark title bar, its title and a close mark.
void drawWindow(Canvas& canvas, FontSet& fonts, Box window, const char* title)
{
    Colour bar{52, 56, 70};
    fillRoundedBox(canvas, Box{window.x + 8, window.y + 10, window.width, window.height}, 10.0f, Colour{}, 0.55f);
    fillRoundedBox(canvas, window, 8.0f, paper, 1.0f);
    fillRoundedBox(canvas, Box{window.x, window.y, window.width, 40}, 8.0f, bar, 1.0f);
    fillBox(canvas, Box{window.x, window.y + 30, window.width, 10}, bar);
    drawTextCentredOn(canvas, fonts, uiBold(18.0f), title, window.x + window.width / 2, window.y + 27, white);
    float cx = window.x + window.width - 22.0f, cy = window.y + 20.0f;
    drawLine(canvas, cx - 6, cy - 6, cx + 6, cy + 6, 2.0f, white);
    drawLine(canvas, cx - 6, cy + 6, cx + 6, cy - 6, 2.0f, white);
}

// A row of tabs from x; the active one opens into the page below. Returns the active tab's box.
Box drawTabs(Canvas& canvas, FontSet& fonts, int x, int y, const char* const* labels, int count, int active)
{
    Box chosen;
    for (int i = 0; i < count; ++i) {
        TextStyle style = i == active ? uiBold(15.0f) : uiText(15.0f);
        int width = textAdvance(fonts, style, labels[i]) + 20;
        Box tab{x, y, width, 30};
        fillBox(canvas, tab, i == active ? white : Colour{218, 218, 226});
        strokeBox(canvas, tab, 1, line);
        if (i == active) {
            fillBox(canvas, Box{x + 1, y + 29, width - 2, 3}, white);
            chosen = tab;
        }
        drawTextLine(canvas, fonts, style, labels[i], x + 10, y + 21, ink);
        x += width - 1;
    }
    return chosen;
}

void drawButton(Canvas& canvas, FontSet& fonts, Box box, const char* label, bool pressed)
{
    fillRoundedBox(canvas, box, 4.0f, pressed ? selection : Colour{250, 250, 252}, 1.0f);
    strokeRoundedBox(canvas, box, 4.0f, pressed ? 2.0f : 1.0f, pressed ? focusBlue : line);
    drawTextCentredOn(canvas, fonts, uiText(15.0f), label, box.x + box.width / 2, box.y + box.height / 2 + 5, ink);
}

// A segmented level meter; the segments up to level (0..1) are lit.
void drawMeter(Canvas& canvas, Box box, float level)
{
    int segments = box.width / 8;
    for (int i = 0; i < segments; ++i) {
        bool lit = i < static_cast<int>(level * segments);
        fillBox(canvas, Box{box.x + i * 8, box.y, 6, box.height}, lit ? meterGreen : Colour{205, 205, 212});
    }
}

void drawMicrophone(Canvas& canvas, float cx, float cy, Colour colour)
{
    fillRoundedBox(canvas, Box{static_cast<int>(cx) - 6, static_cast<int>(cy) - 16, 12, 22}, 6.0f, colour, 1.0f);
    strokeArc(canvas, cx, cy - 3, 10.0f, 2.5f, -pi, 0.0f, colour);
    drawLine(canvas, cx, cy + 7, cx, cy + 14, 2.5f, colour);
    drawLine(canvas, cx - 7, cy + 15, cx + 7, cy + 15, 2.5f, colour);
}

void drawSpeaker(Canvas& canvas, float cx, float cy, Colour colour)
{
    fillBox(canvas, Box{static_cast<int>(cx) - 14, static_cast<int>(cy) - 5, 9, 10}, colour);
    const float xs[3] = {cx - 10, cx + 2, cx + 2};
    const float ys[3] = {cy, cy - 13, cy + 13};
    fillTriangle(canvas, xs, ys, colour);
    fillBox(canvas, Box{static_cast<int>(cx) - 8, static_cast<int>(cy) - 5, 10, 10}, colour);
    strokeArc(canvas, cx + 3, cy, 8.0f, 2.2f, -0.8f, 0.8f, colour);
    strokeArc(canvas, cx + 3, cy, 14.0f, 2.2f, -0.8f, 0.8f, colour);
}

// A red numbered disc with an arrow from it to the target.
void drawPointer(Canvas& canvas, FontSet& fonts, int number, Point badge, Point target)
{
    float dx = target.x - badge.x, dy = target.y - badge.y;
    float length = std::hypot(dx, dy);
    drawArrow(canvas, badge.x + dx / length * 20.0f, badge.y + dy / length * 20.0f, target.x, target.y, 4.0f,
              stepRed);
    drawStepBadge(canvas, fonts, badge.x, badge.y, number);
}

// One device of the Input Devices tab: icon, name, port, meter and the mute and fallback buttons.
Box drawInputDevice(Canvas& canvas, FontSet& fonts, Box row, const char* name, float level, bool monitor)
{
    fillBox(canvas, row, white);
    strokeBox(canvas, row, 1, line);
    if (monitor) {
        drawSpeaker(canvas, row.x + 30.0f, row.y + 32.0f, ink);
    } else {
        drawMicrophone(canvas, row.x + 30.0f, row.y + 32.0f, ink);
    }
    drawTextLine(canvas, fonts, uiBold(16.0f), name, row.x + 60, row.y + 26, ink);
    drawTextLine(canvas, fonts, uiText(14.0f), monitor ? "Port: Monitor" : "Port: Microphone", row.x + 60,
                 row.y + 50, softInk);
    drawMeter(canvas, Box{row.x + 60, row.y + 62, row.width - 160, 12}, level);
    Box fallback{row.x + row.width - 44, row.y + 48, 32, 30};
    drawButton(canvas, fonts, Box{row.x + row.width - 82, row.y + 48, 32, 30}, "M", false);
    drawButton(canvas, fonts, fallback, "\xE2\x9C\x93", monitor);
    return fallback;
}

// One device of the Recording tab's list; returns the middle of its level meter.
Point drawRecordingDevice(Canvas& canvas, FontSet& fonts, Box row, const char* name, const char* status,
                          float level, bool selected)
{
    if (selected) {
        fillBox(canvas, row, selection);
        strokeBox(canvas, row, 1, focusBlue);
    }
    drawMicrophone(canvas, row.x + 30.0f, row.y + row.height * 0.5f, selected ? ink : softInk);
    drawTextLine(canvas, fonts, uiBold(16.0f), name, row.x + 60, row.y + 24, ink);
    drawTextLine(canvas, fonts, uiText(14.0f), "Realtek High Definition Audio", row.x + 60, row.y + 44, softInk);
    drawTextLine(canvas, fonts, uiText(14.0f), status, row.x + 60, row.y + 63, softInk);
    Box meter{row.x + row.width - 40, row.y + 8, 14, row.height - 16};
    int segments = meter.height / 8;
    for (int i = 0; i < segments; ++i) {
        bool lit = i >= segments - static_cast<int>(level * segments);
        fillBox(canvas, Box{meter.x, meter.y + i * 8, meter.width, 6}, lit ? meterGreen : Colour{205, 205, 212});
    }
    return centreOf(meter);
}

// The context menu of the Recording tab; item boxes come back in items.
void drawRecordingMenu(Canvas& canvas, FontSet& fonts, int x, int y, Box items[4])
{
    const char* const labels[4] = {"Enable", "Set as Default Device", "Show Disabled Devices", "Properties"};
    Box menu{x, y, 215, 4 * 28 + 8};
    fillBox(canvas, Box{menu.x + 5, menu.y + 6, menu.width, menu.height}, Colour{60, 60, 70});
    fillBox(canvas, menu, Colour{250, 250, 252});
    strokeBox(canvas, menu, 1, line);
    for (int i = 0; i < 4; ++i) {
        items[i] = Box{menu.x + 3, menu.y + 4 + i * 28, menu.width - 6, 28};
        if (i == 0) {
            fillBox(canvas, items[i], selection);
        }
        if (i == 2) {
            drawTextLine(canvas, fonts, uiBold(15.0f), "\xE2\x9C\x93", items[i].x + 6, items[i].y + 20, ink);
        }
        drawTextLine(canvas, fonts, uiText(15.0f), labels[i], items[i].x + 28, items[i].y + 20, ink);
    }
}

// Steps 1 to 5 of the Recording tab: the tab, the two menu items, Set Default and OK.
void drawDialogPointers(Canvas& canvas, FontSet& fonts, Box window, Box tab, const Box items[4], Box setDefault,
                        Box ok)
{
    Point tabCentre = centreOf(tab);
    drawPointer(canvas, fonts, 1, Point{tabCentre.x - 60.0f, window.y - 30.0f},
                Point{tabCentre.x, tabCentre.y - 12.0f});
    // The badges of the two menu items sit in the list's free space left of the menu.
    for (int i : {0, 2}) {
        Point item = centreOf(items[i]);
        float badgeX = items[i].x - 58.0f;
        drawPointer(canvas, fonts, i == 0 ? 3 : 2, Point{badgeX, item.y}, Point{items[i].x - 4.0f, item.y});
    }
    float left = window.x - 34.0f;
    drawPointer(canvas, fonts, 4, Point{left, setDefault.y + 16.0f}, Point{setDefault.x - 4.0f, setDefault.y + 16.0f});
    drawPointer(canvas, fonts, 5, Point{left, ok.y + 17.0f}, Point{ok.x - 4.0f, ok.y + 17.0f});
}

}  // namespace

void drawStepBadge(Canvas& canvas, FontSet& fonts, float cx, float cy, int number)
{
    fillCircle(canvas, cx, cy, 19.0f, stepRed);
    strokeCircle(canvas, cx, cy, 19.0f, 2.5f, white);
    std::string digits = std::to_string(number);
    drawTextCentredOn(canvas, fonts, uiBold(22.0f), digits.c_str(), static_cast<int>(cx), static_cast<int>(cy) + 8,
                      white);
}

void drawSoundRoad(Canvas& canvas, FontSet& fonts, Box row)
{
    const char* const titles[5] = {"Music player", "Speakers", "Monitor / Stereo Mix", "Default input",
                                   "Quasarine"};
    const char* const notes[5] = {"any program that plays", "the output device", "hears what the output plays",
                                  "the recording device", "visualizes what it hears"};
    const Colour edges[5] = {{120, 200, 255}, {120, 200, 255}, {255, 210, 90}, {255, 210, 90}, {140, 230, 140}};
    int gap = 70;
    int width = (row.width - 4 * gap) / 5;
    for (int i = 0; i < 5; ++i) {
        Box box{row.x + i * (width + gap), row.y, width, row.height};
        fillRoundedBox(canvas, box, 14.0f, Colour{8, 12, 40}, 0.85f);
        strokeRoundedBox(canvas, box, 14.0f, 3.0f, edges[i]);
        int cx = box.x + width / 2;
        drawTextCentredOn(canvas, fonts, uiBold(24.0f), titles[i], cx, box.y + 44, white);
        drawTextCentredOn(canvas, fonts, uiText(18.0f), notes[i], cx, box.y + 76, edges[i]);
        if (i < 4) {
            float y = box.y + box.height * 0.5f;
            drawArrow(canvas, box.x + width + 8.0f, y, box.x + width + gap - 8.0f, y, 5.0f, white);
        }
    }
}

void drawVolumeControlSketch(Canvas& canvas, FontSet& fonts, Box window)
{
    drawWindow(canvas, fonts, window, "Volume Control");
    const char* const tabs[5] = {"Playback", "Recording", "Output Devices", "Input Devices", "Configuration"};
    Box active = drawTabs(canvas, fonts, window.x + 12, window.y + 52, tabs, 5, 3);
    Box page{window.x + 12, window.y + 82, window.width - 24, window.height - 94};
    fillBox(canvas, page, white);
    strokeBox(canvas, page, 1, line);
    Box first{page.x + 10, page.y + 10, page.width - 20, 82};
    Box second{page.x + 10, page.y + 100, page.width - 20, 82};
    drawInputDevice(canvas, fonts, first, "Built-in Audio Analog Stereo", 0.1f, false);
    Box fallback = drawInputDevice(canvas, fonts, second, "Monitor of Built-in Audio Analog Stereo", 0.7f, true);
    Box show{page.x + page.width - 250, page.y + page.height - 42, 236, 32};
    drawTextLine(canvas, fonts, uiText(15.0f), "Show:", show.x - 52, show.y + 22, ink);
    drawButton(canvas, fonts, show, "All Input Devices  \xE2\x96\xBE", false);
    Point tab = centreOf(active);
    drawPointer(canvas, fonts, 1, Point{window.x + window.width - 150.0f, window.y - 24.0f},
                Point{tab.x + 30.0f, tab.y - 12.0f});
    Point check = centreOf(fallback);
    drawPointer(canvas, fonts, 2, Point{window.x + window.width + 34.0f, check.y}, Point{check.x + 18.0f, check.y});
}

Point drawSoundDialogSketch(Canvas& canvas, FontSet& fonts, Box window)
{
    drawWindow(canvas, fonts, window, "Sound");
    const char* const tabs[4] = {"Playback", "Recording", "Sounds", "Communications"};
    Box active = drawTabs(canvas, fonts, window.x + 12, window.y + 52, tabs, 4, 1);
    Box page{window.x + 12, window.y + 82, window.width - 24, window.height - 146};
    fillBox(canvas, page, white);
    strokeBox(canvas, page, 1, line);
    drawTextLine(canvas, fonts, uiText(15.0f), "Select a recording device below to modify its settings:",
                 page.x + 12, page.y + 26, ink);
    Box list{page.x + 12, page.y + 40, page.width - 24, page.height - 96};
    strokeBox(canvas, list, 1, line);
    drawRecordingDevice(canvas, fonts, Box{list.x + 4, list.y + 4, list.width - 8, 72}, "Microphone",
                        "Ready", 0.0f, false);
    Point meter = drawRecordingDevice(canvas, fonts, Box{list.x + 4, list.y + 80, list.width - 8, 72},
                                      "Stereo Mix", "Default Device", 0.6f, true);
    Box items[4];
    drawRecordingMenu(canvas, fonts, list.x + 140, list.y + 156, items);
    Box setDefault{page.x + page.width - 236, page.y + page.height - 44, 110, 32};
    drawButton(canvas, fonts, setDefault, "Set Default", true);
    drawButton(canvas, fonts, Box{page.x + page.width - 118, setDefault.y, 106, 32}, "Properties", false);
    Box ok{window.x + window.width - 330, window.y + window.height - 50, 96, 34};
    drawButton(canvas, fonts, ok, "OK", true);
    drawButton(canvas, fonts, Box{ok.x + 106, ok.y, 96, 34}, "Cancel", false);
    drawButton(canvas, fonts, Box{ok.x + 212, ok.y, 96, 34}, "Apply", false);
    drawDialogPointers(canvas, fonts, window, active, items, setDefault, ok);
    return meter;
}
