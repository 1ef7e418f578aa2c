// The title notice's timing; the loop puts what titleChange answers into the window's title.
#include "state/title_notice.h"

#include <cstdio>

void postTitleNotice(TitleNotice& notice, const char* text, uint32_t now)
{
    std::snprintf(notice.text, sizeof notice.text, "%s", text);
    notice.until = now + titleNoticeMilliseconds;
    notice.pending = true;
}

const char* titleChange(TitleNotice& notice, const char* defaultTitle, uint32_t now)
{
    if (notice.pending) {
        notice.pending = false;
        notice.shown = true;
        return notice.text;
    }
    // Compared as a difference, so that the tick counter's wrap does not keep the notice up.
    if (notice.shown && static_cast<int32_t>(notice.until - now) <= 0) {
        notice.shown = false;
        return defaultTitle;
    }
    return nullptr;
}
