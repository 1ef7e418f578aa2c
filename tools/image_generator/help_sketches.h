// Drawn diagrams of the help screen: the title screen's sound-source row and the two sound settings.
#pragma once
#include "tools/image_generator/canvas.h"
#include "tools/image_generator/text.h"

struct Point {
    float x = 0.0f;
    float y = 0.0f;
};

// The letters of every sketch: the smallest on the help screen that still reads at half size.
TextStyle sketchText();
TextStyle sketchBold();

// The title screen's sound-source row with the given source chosen and the up arrow lit.
void drawSelectorSketch(Canvas& canvas, FontSet& fonts, Box row, const char* source);
// A sketch of PulseAudio Volume Control's Input Devices tab with the speakers' monitor as fallback,
// a numbered pointer at its check button.
void drawVolumeControlSketch(Canvas& canvas, FontSet& fonts, Box window, int step);
// A sketch of the Windows Sound dialog's Recording tab with a numbered pointer for each step; returns
// the middle of Stereo Mix's level bar.
Point drawSoundDialogSketch(Canvas& canvas, FontSet& fonts, Box window);
// A red disc with a white number, as used for the steps.
void drawStepBadge(Canvas& canvas, FontSet& fonts, float cx, float cy, int number);
