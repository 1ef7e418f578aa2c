// The session loop's state: screens, sound-source mode, selector, pointer, highlight and frame clock.
#pragma once
#include <cstdint>

#include "audio/sound_sources.h"
#include "state/title_notice.h"

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct SessionState {
    bool quitRequested = false;
    bool visualizing = false;   // the visualization is selected (false: title screen)
    bool showHelp = false;      // never true together with showControls
    bool showControls = false;
    bool demoPlaying = false;   // the demo playback stream runs (muted in screen-saver mode)
    int32_t savedInputDeviceIndex = noSource;  // source to re-open when demo or screen-saver mode ends
    int32_t failedSource = noSource;  // the source last stepped to when it could not be opened
    bool upKeyArmed = true;
    bool downKeyArmed = true;
    bool upArrowPressed = false;
    bool downArrowPressed = false;
    bool cursorShown = false;   // pointer shown although full-screen
    bool middleButtonArmed = true;
    bool selecting = false;     // a left drag draws the highlight rectangle
    PixelPoint selectStart;     // window pixels, origin top left
    PixelPoint selectEnd;
    int32_t mouseRect[4] = {0, 0, 0, 0};  // x0, y0, x1, y1 in GL pixels (origin bottom left)
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    float frameSeconds = 0.0f;
    uint32_t lastFrameTicks = 0;
    uint32_t lastWholeSecond = 0;
    int32_t frameRateCap = 0;   // frames a second at most; 0: as many as vertical sync allows
    bool screenshotRequested = false;  // the next frame drawn is saved as a picture
    TitleNotice titleNotice;
};
