// The monitor and frame-rate cap in the settings file beside the sound source, the monitor choice,
// and the pictures folder read from user-dirs.dirs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/monitors.h"
#include "platform/picture_file.h"
#include "platform/remembered_view.h"

namespace {

RememberedView parsed(const std::string& text)
{
    return parseRememberedView(text.data(), text.size());
}

RememberedMonitor monitor(const char* name, int x, int y)
{
    RememberedMonitor remembered;
    std::snprintf(remembered.name, sizeof remembered.name, "%s", name);
    remembered.x = x;
    remembered.y = y;
    return remembered;
}

TEST(RememberedViewText, ValuesAreReadAndFaultsLeaveTheirPartUnremembered)
{
    const RememberedView view = parsed("source=speakers\r\nmonitor=HDMI-1\nmonitorx=-1920\nmonitory=0\nfpscap=30\n");
    EXPECT_STREQ(view.monitor.name, "HDMI-1");
    EXPECT_EQ(view.monitor.x, -1920);
    EXPECT_EQ(view.frameRateCap, 30);
    EXPECT_EQ(parsed("monitor=HDMI-1\nmonitorx=0\n").monitor.name[0], '\0') << "no monitory";
    EXPECT_EQ(parsed("monitor=HDMI-1\nmonitorx=1e3\nmonitory=0\n").monitor.name[0], '\0');
    EXPECT_EQ(parsed("fpscap=241\n").frameRateCap, -1);
    EXPECT_EQ(parsed("fpscap=\n").frameRateCap, -1);
    EXPECT_EQ(parsed("fpscap=30x\nmonitor=A\nmonitorx=1\nmonitory=2\n").monitor.x, 1) << "parts are independent";
}

TEST(MonitorChoice, NumberThenNameAndPlaceThenNameThenTheFirst)
{
    const MonitorEntry monitors[] = {{"DELL", 0, 0}, {"DELL", 1920, 0}, {"TV", 3840, 0}};
    const RememberedMonitor none;
    EXPECT_EQ(chooseMonitor(2, monitor("TV", 3840, 0), monitors, 3), 1) << "the option wins";
    EXPECT_EQ(chooseMonitor(9, none, monitors, 3), 0);
    EXPECT_EQ(chooseMonitor(0, none, monitors, 3), 0);
    EXPECT_EQ(chooseMonitor(0, monitor("DELL", 1920, 0), monitors, 3), 1) << "two of a name: the place tells";
    EXPECT_EQ(chooseMonitor(0, monitor("TV", 0, 0), monitors, 3), 2) << "moved on the desktop";
    EXPECT_EQ(chooseMonitor(0, monitor("Projector", 3840, 0), monitors, 3), 0) << "gone";
    EXPECT_EQ(chooseMonitor(0, monitor("TV", 0, 0), monitors, 0), 0);
}

TEST(PicturesFolder, UserDirsLineWithHomeOrAbsolutePath)
{
    char folder[256];
    const std::string homeRelative = "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    ASSERT_TRUE(picturesFolderFromUserDirs(homeRelative.data(), homeRelative.size(), "/home/a", folder, sizeof folder));
    EXPECT_STREQ(folder, "/home/a/Bilder");
    const std::string absolute = "XDG_PICTURES_DIR=\"/data/pics\"";
    ASSERT_TRUE(picturesFolderFromUserDirs(absolute.data(), absolute.size(), "/home/a", folder, sizeof folder));
    EXPECT_STREQ(folder, "/data/pics");
    for (const std::string bad : {"XDG_PICTURES_DIR=\"relative\"\n", "XDG_PICTURES_DIR=\"$HOMEX/p\"\n",
                                  "XDG_PICTURES_DIR=\"/unterminated\n", "XDG_MUSIC_DIR=\"/m\"\n"})
        EXPECT_FALSE(picturesFolderFromUserDirs(bad.data(), bad.size(), "/home/a", folder, sizeof folder)) << bad;
    EXPECT_FALSE(picturesFolderFromUserDirs(homeRelative.data(), homeRelative.size(), "/home/a", folder, 8))
        << "too long for the buffer";
}

class ViewSettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char made[] = "/tmp/quasarine-view-XXXXXX";
        ASSERT_NE(mkdtemp(made), nullptr);
        base = made;
        setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf " + base).c_str()); }
    std::string text() const
    {
        std::ifstream file(base + "/config/quasarine/settings");
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }
    std::string base;
};

TEST_F(ViewSettingsFile, EachPartReplacesItsOwnLinesAndKeepsTheOthers)
{
    RememberedSource speakers;
    speakers.kind = RememberedKind::speakers;
    storeRememberedSource(speakers);
    storeRememberedMonitor(monitor("DUMMY1", 1280, 0));
    storeFrameRateCap(60);
    storeFrameRateCap(30);
    storeRememberedMonitor(monitor("DUMMY0", 0, 0));
    storeRememberedMonitor(monitor("bad\nname", 5, 5));
    EXPECT_EQ(text(), "source=speakers\nfpscap=30\nmonitor=DUMMY0\nmonitorx=0\nmonitory=0\n");
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::speakers);
    const RememberedView view = loadRememberedView();
    EXPECT_STREQ(view.monitor.name, "DUMMY0");
    EXPECT_EQ(view.frameRateCap, 30);
    storeRememberedSource(RememberedSource{});  // kind none is never stored
    RememberedSource defaultDevice;
    defaultDevice.kind = RememberedKind::defaultDevice;
    storeRememberedSource(defaultDevice);
    EXPECT_EQ(text(), "fpscap=30\nmonitor=DUMMY0\nmonitorx=0\nmonitory=0\nsource=default\n");
}

}  // namespace
