// Saving screenshots off the frame loop: encoding a full-HD PNG takes far longer than a frame.
#include "session/screenshots.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "media/png_image.h"
#include "platform/picture_file.h"

constexpr const char* notSavedNotice = "Screenshot not saved";

namespace {

void saveScreenshot(ScreenshotJob& job)
{
    std::vector<uint8_t> png;
    job.saved = encodePngImage(job.grab.rgba.data(), job.grab.width, job.grab.height, job.grab.bottomUp, png) &&
                savePictureFile(job.stem, png.data(), png.size(), job.name, sizeof job.name);
    job.grab.rgba = std::vector<uint8_t>();
    job.done.store(true, std::memory_order_release);
}

// quasarine-YYYYMMDD-HHMMSS in local time; only the loop's thread reads the local time.
void stemForNow(char* stem, size_t capacity)
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr || std::strftime(stem, capacity, "quasarine-%Y%m%d-%H%M%S", local) == 0)
        std::snprintf(stem, capacity, "quasarine");
}

void report(const ScreenshotJob& job, TitleNotice& notice, uint32_t now)
{
    char text[128];
    std::snprintf(text, sizeof text, "Saved %s", job.name);
    postTitleNotice(notice, job.saved ? text : notSavedNotice, now);
}

}  // namespace

void startScreenshot(Screenshots& screenshots, FrameGrab& grab, TitleNotice& notice, uint32_t now)
{
    if (!grab.taken) {
        postTitleNotice(notice, notSavedNotice, now);
        return;
    }
    auto job = std::make_unique<ScreenshotJob>();
    job->grab = std::move(grab);
    grab = FrameGrab{};
    stemForNow(job->stem, sizeof job->stem);
    ScreenshotJob& started = *job;
    screenshots.jobs.push_back(std::move(job));
    started.worker = std::thread(saveScreenshot, std::ref(started));
}

void collectScreenshots(Screenshots& screenshots, TitleNotice& notice, uint32_t now)
{
    for (size_t i = 0; i < screenshots.jobs.size();) {
        ScreenshotJob& job = *screenshots.jobs[i];
        if (!job.done.load(std::memory_order_acquire)) {
            ++i;
            continue;
        }
        job.worker.join();
        report(job, notice, now);
        screenshots.jobs.erase(screenshots.jobs.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void finishScreenshots(Screenshots& screenshots)
{
    for (std::unique_ptr<ScreenshotJob>& job : screenshots.jobs)
        if (job->worker.joinable()) job->worker.join();
    screenshots.jobs.clear();
}
