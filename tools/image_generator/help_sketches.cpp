// Flat sketches for the help screen (the title's source row, the sound settings) from shapes of our own.
#include "tools/image_generator/help_sketches.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

const Colour white{255, 255, 255};
const Colour ink{30, 30, 36};
const Colour softInk{96, 96, 106};
const Colour paper{238, 238, 242};
const Colour line{170, 170, 180};
const Colour stepRed{222, 38, 38};
const Colour meterGreen{40, 200, 70};
const Colour selection{204, 228, 255};
const Colour focusBlue{60, 120, 220};
const Colour selectorArrow{34, 177, 76};  // the title screen's arrows, and the one just pushed
const Colour selectorArrowLit{0, 255, 0};
constexpr float pi = 3.14159265f;
constexpr float badgeRadius = 23.0f;
constexpr int titleBarHeight = 46;
constexpr int tabHeight = 44;
constexpr int rowHeight = 76;
constexpr int menuItemHeight = 48;

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
    fillRoundedBox(canvas, Box{window.x, window.y, window.width, titleBarHeight}, 8.0f, bar, 1.0f);
    fillBox(canvas, Box{window.x, window.y + titleBarHeight - 10, window.width, 10}, bar);
    drawTextCentredOn(canvas, fonts, sketchBold(), title, window.x + window.width / 2, window.y + 33, white);
    float cx = window.x + window.width - 26.0f, cy = window.y + titleBarHeight * 0.5f;
    drawLine(canvas, cx - 8, cy - 8, cx + 8, cy + 8, 2.5f, white);
    drawLine(canvas, cx - 8, cy + 8, cx + 8, cy - 8, 2.5f, white);
}

// A row of tabs from x; the active one opens into the page below. Returns the active tab's box.
Box drawTabs(Canvas& canvas, FontSet& fonts, int x, int y, const char* const* labels, int count, int active)
{
    Box chosen;
    for (int i = 0; i < count; ++i) {
        TextStyle style = i == active ? sketchBold() : sketchText();
        int width = textAdvance(fonts, style, labels[i]) + 28;
        Box tab{x, y, width, tabHeight};
        fillBox(canvas, tab, i == active ? white : Colour{218, 218, 226});
        strokeBox(canvas, tab, 1, line);
        if (i == active) {
            fillBox(canvas, Box{x + 1, y + tabHeight - 1, width - 2, 3}, white);
            chosen = tab;
        }
        drawTextLine(canvas, fonts, style, labels[i], x + 14, y + 32, ink);
        x += width - 1;
    }
    return chosen;
}

// A button sized to its label, its right edge at right; returns its box.
Box drawButton(Canvas& canvas, FontSet& fonts, int right, int y, const char* label, bool pressed)
{
    int width = std::max(textAdvance(fonts, sketchText(), label) + 36, 88);
    Box box{right - width, y, width, 46};
    fillRoundedBox(canvas, box, 4.0f, pressed ? selection : Colour{250, 250, 252}, 1.0f);
    strokeRoundedBox(canvas, box, 4.0f, pressed ? 2.0f : 1.0f, pressed ? focusBlue : line);
    drawTextCentredOn(canvas, fonts, sketchText(), label, box.x + box.width / 2, box.y + 33, ink);
    return box;
}

void drawMicrophone(Canvas& canvas, float cx, float cy, Colour colour)
{
    fillRoundedBox(canvas, Box{static_cast<int>(cx) - 7, static_cast<int>(cy) - 19, 14, 26}, 7.0f, colour, 1.0f);
    strokeArc(canvas, cx, cy - 4, 12.0f, 3.0f, -pi, 0.0f, colour);
    drawLine(canvas, cx, cy + 8, cx, cy + 16, 3.0f, colour);
    drawLine(canvas, cx - 8, cy + 17, cx + 8, cy + 17, 3.0f, colour);
}

void drawSpeaker(Canvas& canvas, float cx, float cy, Colour colour)
{
    fillBox(canvas, Box{static_cast<int>(cx) - 16, static_cast<int>(cy) - 6, 10, 12}, colour);
    const float xs[3] = {cx - 11, cx + 3, cx + 3};
    const float ys[3] = {cy, cy - 15, cy + 15};
    fillTriangle(canvas, xs, ys, colour);
    fillBox(canvas, Box{static_cast<int>(cx) - 9, static_cast<int>(cy) - 6, 12, 12}, colour);
    strokeArc(canvas, cx + 4, cy, 9.0f, 2.5f, -0.8f, 0.8f, colour);
    strokeArc(canvas, cx + 4, cy, 16.0f, 2.5f, -0.8f, 0.8f, colour);
}

// A red numbered disc with an arrow from it to the target.
void drawPointer(Canvas& canvas, FontSet& fonts, int number, Point badge, Point target)
{
    float dx = target.x - badge.x, dy = target.y - badge.y;
    float length = std::hypot(dx, dy);
    drawArrow(canvas, badge.x + dx / length * badgeRadius, badge.y + dy / length * badgeRadius, target.x,
              target.y, 5.0f, stepRed);
    drawStepBadge(canvas, fonts, badge.x, badge.y, number);
}

// A vertical level bar of segments; the lowest level (0..1) of them are lit. Returns its middle.
Point drawLevelBar(Canvas& canvas, Box bar, float level)
{
    int segments = bar.height / 8;
    for (int i = 0; i < segments; ++i) {
        bool lit = i >= segments - static_cast<int>(level * segments);
        fillBox(canvas, Box{bar.x, bar.y + i * 8, bar.width, 6}, lit ? meterGreen : Colour{205, 205, 212});
    }
    return centreOf(bar);
}

// The selected device of the Recording tab's list: microphone, name, state and level bar; returns the
// bar's middle.
Point drawRecordingDevice(Canvas& canvas, FontSet& fonts, Box row, const char* name, const char* state, float level)
{
    fillBox(canvas, row, selection);
    strokeBox(canvas, row, 1, focusBlue);
    drawMicrophone(canvas, row.x + 32.0f, row.y + row.height * 0.5f, ink);
    drawTextLine(canvas, fonts, sketchBold(), name, row.x + 66, row.y + 32, ink);
    drawTextLine(canvas, fonts, sketchText(), state, row.x + 66, row.y + 65, softInk);
    return drawLevelBar(canvas, Box{row.x + row.width - 36, row.y + 10, 16, row.height - 20}, level);
}

// The context menu of the Recording tab with Show Disabled Devices ticked; item boxes come back in items.
void drawRecordingMenu(Canvas& canvas, FontSet& fonts, int x, int y, Box items[3])
{
    const char* const labels[3] = {"Enable", "Show Disabled Devices", "Properties"};
    Box menu{x, y, textAdvance(fonts, sketchText(), labels[1]) + 60, 3 * menuItemHeight + 8};
    fillBox(canvas, Box{menu.x + 5, menu.y + 6, menu.width, menu.height}, Colour{60, 60, 70});
    fillBox(canvas, menu, Colour{250, 250, 252});
    strokeBox(canvas, menu, 1, line);
    for (int i = 0; i < 3; ++i) {
        items[i] = Box{menu.x + 3, menu.y + 4 + i * menuItemHeight, menu.width - 6, menuItemHeight};
        if (i == 0) {
            fillBox(canvas, items[i], selection);
        }
        if (i == 1) {
            drawTextLine(canvas, fonts, sketchBold(), "\xE2\x9C\x93", items[i].x + 8, items[i].y + 34, ink);
        }
        drawTextLine(canvas, fonts, sketchText(), labels[i], items[i].x + 40, items[i].y + 34, ink);
    }
}

// The controls of the Sound dialog that the steps point at.
struct DialogControls {
    Box tab;
    Box items[3];
    Box setDefault;
    Box ok;
};

// A pointer whose badge lies the given distance left of the target's middle.
void pointFromLeft(Canvas& canvas, FontSet& fonts, int number, Box target, float distance)
{
    Point middle = centreOf(target);
    drawPointer(canvas, fonts, number, Point{target.x - distance, middle.y}, Point{target.x - 6.0f, middle.y});
}

// The dialog's numbered pointers, in the order of the steps beside it: the Recording tab (pointed at
// from the free space at its right), the two menu items, Set Default and OK.
void drawDialogPointers(Canvas& canvas, FontSet& fonts, const DialogControls& controls)
{
    const Box& tab = controls.tab;
    Point tabCentre = centreOf(tab);
    drawPointer(canvas, fonts, 1, Point{tab.x + tab.width + 80.0f, tabCentre.y},
                Point{tab.x + tab.width + 4.0f, tabCentre.y});
    pointFromLeft(canvas, fonts, 2, controls.items[1], 60.0f);
    pointFromLeft(canvas, fonts, 3, controls.items[0], 60.0f);
    pointFromLeft(canvas, fonts, 4, controls.setDefault, 80.0f);
    pointFromLeft(canvas, fonts, 5, controls.ok, 80.0f);
}

}  // namespace

TextStyle sketchText()
{
    return TextStyle{fontSans, 28.0f, 1.0f, 0.0f, false};
}

TextStyle sketchBold()
{
    return TextStyle{fontSansBold, 28.0f, 1.0f, 0.0f, false};
}

void drawStepBadge(Canvas& canvas, FontSet& fonts, float cx, float cy, int number)
{
    fillCircle(canvas, cx, cy, badgeRadius, stepRed);
    strokeCircle(canvas, cx, cy, badgeRadius, 2.5f, white);
    std::string digits = std::to_string(number);
    drawTextCentredOn(canvas, fonts, sketchBold(), digits.c_str(), static_cast<int>(cx), static_cast<int>(cy) + 10,
                      white);
}

void drawSelectorSketch(Canvas& canvas, FontSet& fonts, Box row, const char* source)
{
    fillRoundedBox(canvas, row, 8.0f, Colour{}, 1.0f);
    strokeRoundedBox(canvas, row, 8.0f, 2.0f, Colour{90, 100, 120});
    int baseline = row.y + row.height / 2 + 10;
    int pen = drawTextLine(canvas, fonts, sketchBold(), "SOUND COMES FROM:", row.x + 16, baseline, white);
    // The up arrow lit, as just after the Up arrow key chose the Speakers.
    float ax = pen + 22.0f, cy = row.y + row.height * 0.5f;
    const float upXs[3] = {ax, ax - 11.0f, ax + 11.0f};
    const float upYs[3] = {cy - 24.0f, cy - 4.0f, cy - 4.0f};
    fillTriangle(canvas, upXs, upYs, selectorArrowLit);
    const float downYs[3] = {cy + 24.0f, cy + 4.0f, cy + 4.0f};
    fillTriangle(canvas, upXs, downYs, selectorArrow);
    TextStyle name{fontMonoBold, 28.0f, 1.0f, 0.0f, false};
    drawTextLine(canvas, fonts, name, source, static_cast<int>(ax) + 24, baseline, white);
}

void drawVolumeControlSketch(Canvas& canvas, FontSet& fonts, Box window, int step)
{
    drawWindow(canvas, fonts, window, "Volume Control");
    const char* const tabs[3] = {"Output Devices", "Input Devices", "Configuration"};
    drawTabs(canvas, fonts, window.x + 14, window.y + titleBarHeight + 10, tabs, 3, 1);
    int pageTop = window.y + titleBarHeight + 10 + tabHeight;
    Box page{window.x + 14, pageTop, window.width - 28, window.y + window.height - 14 - pageTop};
    fillBox(canvas, page, white);
    strokeBox(canvas, page, 1, line);
    Box row{page.x + 10, page.y + 10, page.width - 20, page.height - 20};
    drawSpeaker(canvas, row.x + 32.0f, row.y + row.height * 0.5f, ink);
    drawTextLine(canvas, fonts, sketchBold(), "Monitor of Built-in Audio", row.x + 66, row.y + 36, ink);
    Box meter{row.x + 66, row.y + 50, row.width - 66 - 130, 14};
    for (int i = 0; i < meter.width / 10; ++i) {
        bool lit = i < meter.width / 10 * 7 / 10;
        fillBox(canvas, Box{meter.x + i * 10, meter.y, 7, meter.height}, lit ? meterGreen : Colour{205, 205, 212});
    }
    Box check = drawButton(canvas, fonts, row.x + row.width, row.y + 12, "\xE2\x9C\x93", true);
    drawButton(canvas, fonts, check.x - 8, row.y + 12, "M", false);
    Point target = centreOf(check);
    drawPointer(canvas, fonts, step, Point{window.x + window.width + 48.0f, target.y},
                Point{check.x + check.width + 4.0f, target.y});
}

Point drawSoundDialogSketch(Canvas& canvas, FontSet& fonts, Box window)
{
    drawWindow(canvas, fonts, window, "Sound");
    const char* const tabs[2] = {"Playback", "Recording"};
    Box tab = drawTabs(canvas, fonts, window.x + 14, window.y + titleBarHeight + 10, tabs, 2, 1);
    int buttonRow = window.y + window.height - 60;
    Box page{window.x + 14, tab.y + tabHeight, window.width - 28, buttonRow - 12 - tab.y - tabHeight};
    fillBox(canvas, page, white);
    strokeBox(canvas, page, 1, line);
    Box list{page.x + 12, page.y + 14, page.width - 24, page.height - 84};
    strokeBox(canvas, list, 1, line);
    Box mixRow{list.x + 4, list.y + 4, list.width - 8, rowHeight};
    Point meter = drawRecordingDevice(canvas, fonts, mixRow, "Stereo Mix", "Default Device", 0.6f);
    DialogControls controls;
    controls.tab = tab;
    drawRecordingMenu(canvas, fonts, list.x + 76, mixRow.y + mixRow.height + 4, controls.items);
    controls.setDefault = drawButton(canvas, fonts, page.x + page.width - 12, page.y + page.height - 58,
                                     "Set Default", true);
    Box cancel = drawButton(canvas, fonts, window.x + window.width - 14, buttonRow, "Cancel", false);
    controls.ok = drawButton(canvas, fonts, cancel.x - 10, buttonRow, "OK", true);
    drawDialogPointers(canvas, fonts, controls);
    return meter;
}
