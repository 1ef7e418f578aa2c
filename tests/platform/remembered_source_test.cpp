// The settings text in both directions, and the settings file in a private configuration folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/remembered_source.h"
#include "platform/settings_storage.h"

namespace {

RememberedSource parsed(const std::string& text)
{
    return parseRememberedSource(text.data(), text.size());
}

std::string formatted(const RememberedSource& source)
{
    char text[settingsFileLimit];
    const size_t length = formatRememberedSource(source, text, sizeof text);
    return std::string(text, length);
}

RememberedSource deviceSource(const char* name, const char* hostApi)
{
    RememberedSource source;
    source.kind = RememberedKind::device;
    std::snprintf(source.device, sizeof source.device, "%s", name);
    std::snprintf(source.hostApi, sizeof source.hostApi, "%s", hostApi);
    return source;
}

TEST(RememberedSourceText, EveryKindSurvivesTheRoundTrip)
{
    for (RememberedKind kind : {RememberedKind::defaultDevice, RememberedKind::speakers}) {
        RememberedSource source;
        source.kind = kind;
        EXPECT_EQ(parsed(formatted(source)).kind, kind);
    }
    const RememberedSource back = parsed(formatted(deviceSource("USB Mic: Audio (hw:1,0)", "ALSA")));
    EXPECT_EQ(back.kind, RememberedKind::device);
    EXPECT_STREQ(back.device, "USB Mic: Audio (hw:1,0)");
    EXPECT_STREQ(back.hostApi, "ALSA");
    EXPECT_EQ(formatted(RememberedSource{}), "") << "nothing to keep gives no text";
}

TEST(RememberedSourceText, WindowsLineEndsAndLaterKeysAreAccepted)
{
    EXPECT_EQ(parsed("source=speakers\r\n").kind, RememberedKind::speakers);
    EXPECT_EQ(parsed("volume=3\nsource=default").kind, RememberedKind::defaultDevice);
    EXPECT_EQ(parsed("\n\nsource=speakers\n\n").kind, RememberedKind::speakers);
}

TEST(RememberedSourceText, DamagedTextGivesNothing)
{
    const std::string cases[] = {
        "",                                         // empty
        "source=",                                  // truncated value
        "sour",                                     // truncated key
        "source=device\ndevice=Mic\n",              // the host API is missing
        "source=device\nhostapi=ALSA\n",            // the device is missing
        "source=loudspeakers\n",                    // unknown source
        "source=speakers\nnonsense line\n",         // a line without a key
        std::string("source=spe\0akers\n", 17),     // a NUL byte
        "source=speakers\x1b[2J\n",                 // a control character
        "source=device\ndevice=" + std::string(rememberedNameCapacity, 'x') + "\nhostapi=ALSA\n",
        std::string(3000, '\xff'),                  // binary garbage
    };
    for (const std::string& text : cases) {
        EXPECT_EQ(parsed(text).kind, RememberedKind::none) << text.substr(0, 40);
    }
}

TEST(RememberedSourceText, ANameThatCannotBeWrittenBackIsNotKept)
{
    const RememberedSource tooLong = deviceSource(std::string(rememberedNameCapacity - 1, 'n').c_str(), "ALSA");
    char small[64];
    EXPECT_EQ(formatRememberedSource(tooLong, small, sizeof small), 0u);
}

// Each test gets an empty configuration folder of its own through XDG_CONFIG_HOME.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quasarine-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
        setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    }
    void TearDown() override
    {
        std::system(("chmod -R u+w " + base + " 2>/dev/null; rm -rf " + base).c_str());
    }
    std::string path() const { return base + "/config/quasarine/settings"; }
    std::string base;
};

TEST_F(SettingsFile, AStoredChoiceIsLoadedAndReplacedWhole)
{
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::none) << "no file yet";
    storeRememberedSource(deviceSource("Mic", "ALSA"));
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::device);
    RememberedSource speakers;
    speakers.kind = RememberedKind::speakers;
    storeRememberedSource(speakers);
    std::ifstream file(path());
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "source=speakers\n");
    EXPECT_EQ(std::system(("test $(ls -A " + base + "/config/quasarine | wc -l) -eq 1").c_str()), 0)
        << "no temporary file is left beside it";
}

TEST_F(SettingsFile, HomeServesWhenTheConfigurationVariableIsUnsetOrRelative)
{
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    const std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
    setenv("HOME", base.c_str(), 1);
    RememberedSource source;
    source.kind = RememberedKind::defaultDevice;
    storeRememberedSource(source);
    setenv("HOME", home.c_str(), 1);
    struct stat status;
    EXPECT_EQ(stat((base + "/.config/quasarine/settings").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << "mkstemp's private mode";
}

TEST_F(SettingsFile, FilesThatAreNotOursAreNotRead)
{
    ASSERT_EQ(std::system(("mkdir -p " + base + "/config/quasarine").c_str()), 0);
    // Larger than any settings file: read as nothing, whatever it begins with.
    {
        std::ofstream big(path());
        big << "source=speakers\n" << std::string(settingsFileLimit, '\n');
    }
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::none);
    // A folder where the file should be.
    ASSERT_EQ(std::system(("rm -f " + path() + " && mkdir " + path()).c_str()), 0);
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::none);
    EXPECT_FALSE(writeSettingsFile("source=speakers\n", 16)) << "a folder is not replaced";
    // A link to nowhere.
    ASSERT_EQ(std::system(("rmdir " + path() + " && ln -s /nonexistent/settings " + path()).c_str()), 0);
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::none);
}

TEST_F(SettingsFile, AnUnwritableFolderIsNoError)
{
    ASSERT_EQ(std::system(("mkdir -p " + base + "/config && touch " + base + "/config/quasarine").c_str()), 0);
    EXPECT_FALSE(writeSettingsFile("source=speakers\n", 16)) << "a file stands where the folder should";
    EXPECT_EQ(loadRememberedSource().kind, RememberedKind::none);
}

}  // namespace
