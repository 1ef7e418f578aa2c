// A short message shown in the window's title for a while (a saved screenshot, the frame-rate cap).
#pragma once
#include <cstdint>

constexpr uint32_t titleNoticeMilliseconds = 2000;

struct TitleNotice {
    char text[160] = {};
    uint32_t until = 0;   // ticks at which the title returns to the program's own
    bool pending = false; // text waits to be put in the title
    bool shown = false;   // the title shows text now
};

// Queues text for the title until now plus titleNoticeMilliseconds; text too long is cut.
void postTitleNotice(TitleNotice& notice, const char* text, uint32_t now);

// What the title should read at now, when it changes: the notice, the program's own title
// (defaultTitle) once the notice has expired, or nullptr when nothing changes.
const char* titleChange(TitleNotice& notice, const char* defaultTitle, uint32_t now);
