// Screenshots saved on their own threads into a private pictures folder: the name from the time with
// a counter for a second press, the title notice of each outcome, and a grab that was not taken.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "session/screenshots.h"

namespace {

FrameGrab smallGrab()
{
    FrameGrab grab;
    grab.width = 8;
    grab.height = 6;
    grab.rgba.assign(8 * 6 * 4, 200);
    grab.taken = true;
    return grab;
}

// Collects until every save has reported; the notices in the order they came.
std::vector<std::string> collectAll(Screenshots& screenshots)
{
    std::vector<std::string> notices;
    for (int tries = 0; tries < 3000 && !screenshots.jobs.empty(); ++tries) {
        TitleNotice notice;
        collectScreenshots(screenshots, notice, 0);
        if (notice.pending) notices.emplace_back(notice.text);
        if (!screenshots.jobs.empty()) usleep(10000);
    }
    return notices;
}

class ScreenshotsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char made[] = "/tmp/quasarine-shots-XXXXXX";
        ASSERT_NE(mkdtemp(made), nullptr);
        home = made;
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf " + home).c_str()); }
    std::string home;
};

TEST_F(ScreenshotsTest, TwoSavesInOneSecondGetTwoNames)
{
    Screenshots screenshots;
    TitleNotice notice;
    FrameGrab first = smallGrab();
    FrameGrab second = smallGrab();
    startScreenshot(screenshots, first, notice, 0);
    startScreenshot(screenshots, second, notice, 0);
    EXPECT_FALSE(notice.pending) << "nothing is reported before the file is written";
    EXPECT_TRUE(first.rgba.empty()) << "the pixels moved to the job";
    // Saves that end in one frame share the title: the last one's notice shows.
    const std::vector<std::string> notices = collectAll(screenshots);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().rfind("Saved quasarine-20", 0), 0u) << notices.back();
    std::vector<std::string> names;
    const std::string folder = home + "/Pictures/Quasarine";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    // Shorter first: "-2.png" sorts before ".png".
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return a.size() != b.size() ? a.size() < b.size() : a < b; });
    ASSERT_EQ(names.size(), 2u);
    const std::string stem = names[0].substr(0, names[0].size() - 4);
    EXPECT_EQ(stem.size(), std::strlen("quasarine-YYYYMMDD-HHMMSS")) << names[0];
    // Both presses fall into one second unless the clock ticked over between them.
    if (names[1].rfind(stem, 0) == 0) {
        EXPECT_EQ(names[1], stem + "-2.png");
    }
}

TEST_F(ScreenshotsTest, AFolderThatCannotBeMadeOrAnUntakenGrabIsNotSaved)
{
    ASSERT_EQ(std::system(("touch " + home + "/Pictures").c_str()), 0);
    Screenshots screenshots;
    TitleNotice notice;
    FrameGrab grab = smallGrab();
    startScreenshot(screenshots, grab, notice, 0);
    EXPECT_EQ(collectAll(screenshots), std::vector<std::string>{"Screenshot not saved"});
    FrameGrab untaken;
    startScreenshot(screenshots, untaken, notice, 0);
    EXPECT_TRUE(screenshots.jobs.empty());
    EXPECT_STREQ(notice.text, "Screenshot not saved");
    grab = smallGrab();
    startScreenshot(screenshots, grab, notice, 0);
    finishScreenshots(screenshots);
    EXPECT_TRUE(screenshots.jobs.empty()) << "quitting waits for the saves under way";
}

}  // namespace
