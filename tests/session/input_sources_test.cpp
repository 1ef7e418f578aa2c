// Space and Tab across the four sound-source modes, including playback that cannot start.
#include "tests/session/input_fixture.h"

namespace {
// The four modes, derived from the flags and the selection as the session defines them.
enum class Mode { capture, none, demo, screenSaver, inconsistent };

Mode modeOf(const SessionState& session, const AudioContext& audio, int inputDeviceIndex)
{
    const bool muted = audio.streams.playbackMuted.load();
    if (!session.demoPlaying) {
        if (muted) {
            return Mode::inconsistent;
        }
        return inputDeviceIndex == -2 ? Mode::none : Mode::capture;
    }
    if (inputDeviceIndex != -2) {
        return Mode::inconsistent;
    }
    return muted ? Mode::screenSaver : Mode::demo;
}
}  // namespace

class SoundSourceTest : public InputTest {
protected:
    Mode mode() const { return modeOf(session, audio, inputDeviceIndex); }
    // Puts the session into a playback mode from capture on a device, then forgets the calls.
    void startFrom(int device, SDL_Keycode key)
    {
        inputDeviceIndex = device;
        press(key);
        clearStreamLog();
        session.visualizing = false;
    }
};

TEST_F(SoundSourceTest, SpaceFromCaptureStartsTheAudibleDemoTrack)
{
    inputDeviceIndex = 1;
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "select(-2)=-2 play(1)=1");
    EXPECT_EQ(mode(), Mode::demo);
    EXPECT_EQ(session.savedInputDeviceIndex, 1);
    EXPECT_TRUE(session.visualizing);
    EXPECT_FALSE(streamScript.mutedWhenStarted);
}

TEST_F(SoundSourceTest, SpaceFromNoneRemembersNone)
{
    inputDeviceIndex = -2;
    press(SDLK_SPACE);
    EXPECT_EQ(mode(), Mode::demo);
    EXPECT_EQ(session.savedInputDeviceIndex, -2);
    clearStreamLog();
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "play(0)=0 select(-2)=-2");
    EXPECT_EQ(mode(), Mode::none);
}

TEST_F(SoundSourceTest, SpaceWithoutAnOutputDeviceReturnsToTheSavedSource)
{
    streamScript.outputDevice = false;
    inputDeviceIndex = 1;
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "select(-2)=-2 play(1)=0 play(0)=0 select(1)=1");
    EXPECT_EQ(mode(), Mode::capture);
    EXPECT_EQ(inputDeviceIndex, 1);
    EXPECT_FALSE(session.visualizing);
}

TEST_F(SoundSourceTest, SpaceDuringTheDemoReopensTheSavedDevice)
{
    startFrom(1, SDLK_SPACE);
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "play(0)=0 select(1)=1");
    EXPECT_EQ(mode(), Mode::capture);
    EXPECT_EQ(inputDeviceIndex, 1);
    EXPECT_FALSE(session.visualizing);
}

TEST_F(SoundSourceTest, SavedDeviceThatNoLongerOpensEndsAtNone)
{
    startFrom(1, SDLK_SPACE);
    streamScript.brokenSelections = 1u << 2;
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "play(0)=0 select(1)=-2");
    EXPECT_EQ(mode(), Mode::none);
}

TEST_F(SoundSourceTest, TabFromCaptureStartsTheScreenSaverMutedFromTheFirstBuffer)
{
    inputDeviceIndex = 0;
    press(SDLK_TAB);
    EXPECT_EQ(streamLog(), "select(-2)=-2 play(1)=1");
    EXPECT_EQ(mode(), Mode::screenSaver);
    EXPECT_TRUE(streamScript.mutedWhenStarted);
    EXPECT_EQ(session.savedInputDeviceIndex, 0);
    EXPECT_TRUE(session.visualizing);
}

TEST_F(SoundSourceTest, TabWithoutAnOutputDeviceChangesNothing)
{
    streamScript.outputDevice = false;
    inputDeviceIndex = 0;
    press(SDLK_TAB);
    EXPECT_EQ(streamLog(), "select(-2)=-2 play(1)=0 play(0)=0 select(0)=0");
    EXPECT_EQ(mode(), Mode::capture);
    EXPECT_FALSE(audio.streams.playbackMuted);
    EXPECT_FALSE(session.visualizing);
}

TEST_F(SoundSourceTest, TabDuringTheDemoMutesTheRunningStream)
{
    startFrom(2, SDLK_SPACE);
    press(SDLK_TAB);
    EXPECT_EQ(streamLog(), "");
    EXPECT_EQ(mode(), Mode::screenSaver);
    EXPECT_TRUE(session.visualizing);
    EXPECT_EQ(session.savedInputDeviceIndex, 2);
}

TEST_F(SoundSourceTest, SpaceInTheScreenSaverRestartsTheTrackAudibly)
{
    startFrom(0, SDLK_TAB);
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "reset");
    EXPECT_EQ(mode(), Mode::demo);
    EXPECT_TRUE(session.visualizing);
    EXPECT_EQ(session.savedInputDeviceIndex, 0);
}

TEST_F(SoundSourceTest, TabInTheScreenSaverReopensTheSavedDevice)
{
    startFrom(-1, SDLK_TAB);
    press(SDLK_TAB);
    EXPECT_EQ(streamLog(), "play(0)=0 select(-1)=-1");
    EXPECT_EQ(mode(), Mode::capture);
    EXPECT_EQ(inputDeviceIndex, -1);
}

TEST_F(SoundSourceTest, TabThenSpaceThenSpaceComesBackToTheFirstDevice)
{
    inputDeviceIndex = 0;
    press(SDLK_TAB);
    press(SDLK_SPACE);
    EXPECT_EQ(mode(), Mode::demo);
    press(SDLK_SPACE);
    EXPECT_EQ(streamLog(), "select(-2)=-2 play(1)=1 reset play(0)=0 select(0)=0");
    EXPECT_EQ(mode(), Mode::capture);
    EXPECT_EQ(inputDeviceIndex, 0);
}
