// Screenshots: a grabbed frame encoded as PNG and saved on a thread of its own, the outcome shown in
// the window's title.
#pragma once
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "render/frame_grab.h"
#include "state/title_notice.h"

// One save: the worker owns grab and name until it sets done.
struct ScreenshotJob {
    FrameGrab grab;
    char stem[48] = {};
    char name[96] = {};
    bool saved = false;
    std::atomic<bool> done{false};
    std::thread worker;
};

struct Screenshots {
    std::vector<std::unique_ptr<ScreenshotJob>> jobs;  // saves under way or not yet reported
};

// Starts saving the grabbed picture (its pixels move to the job) under a name from the local time
// now; a grab that was not taken is reported as not saved at once.
void startScreenshot(Screenshots& screenshots, FrameGrab& grab, TitleNotice& notice, uint32_t now);

// Reports every finished save in the title notice ("Saved NAME" or "Screenshot not saved").
void collectScreenshots(Screenshots& screenshots, TitleNotice& notice, uint32_t now);

// Waits for the saves under way, so that a picture taken just before quitting is still written.
void finishScreenshots(Screenshots& screenshots);
