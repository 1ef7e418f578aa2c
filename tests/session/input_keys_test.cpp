// Key bindings: every row of the key table, Shift and auto-repeat, and the armed selector keys.
#include "audio/sound_sources.h"
#include "tests/session/input_fixture.h"

// Camera steps below are one or two float operations on exact operands; 4 ulps (EXPECT_FLOAT_EQ)
// is the rounding they can carry.

TEST_F(InputTest, EscapeAndWindowCloseRequestQuit)
{
    press(SDLK_ESCAPE);
    EXPECT_TRUE(session.quitRequested);
    session.quitRequested = false;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    send(quit);
    EXPECT_TRUE(session.quitRequested);
}

TEST_F(InputTest, HelpAndControlsToggleAndClearEachOtherWithOrWithoutShift)
{
    press(SDLK_h);
    EXPECT_TRUE(session.showHelp);
    EXPECT_FALSE(session.showControls);
    press(SDLK_c);
    EXPECT_FALSE(session.showHelp);
    EXPECT_TRUE(session.showControls);
    press(SDLK_c, KMOD_LSHIFT);
    EXPECT_FALSE(session.showHelp);
    EXPECT_FALSE(session.showControls);
    press(SDLK_h, KMOD_RSHIFT | KMOD_CAPS);
    EXPECT_TRUE(session.showHelp);
    press(SDLK_h);
    EXPECT_FALSE(session.showHelp);
}

TEST_F(InputTest, StrafeKeysMoveByHalfTheFrameTime)
{
    session.frameSeconds = 0.1f;
    params.ws = 0.2f;
    params.ad = -0.1f;
    press(SDLK_w);
    EXPECT_FLOAT_EQ(params.ws, 0.15f);
    press(SDLK_s, KMOD_SHIFT);
    press(SDLK_s);
    EXPECT_FLOAT_EQ(params.ws, 0.25f);
    press(SDLK_d);
    EXPECT_FLOAT_EQ(params.ad, -0.15f);
    press(SDLK_a);
    press(SDLK_a);
    EXPECT_FLOAT_EQ(params.ad, -0.05f);
}

TEST_F(InputTest, AutoRepeatedStrafeEventsCountLikeFreshPresses)
{
    session.frameSeconds = 1.0f / 60.0f;
    press(SDLK_w);
    for (int i = 0; i < 29; ++i) {
        press(SDLK_w, KMOD_NONE, 1);
    }
    // 30 float subtractions of 1/120 near 0.25 round by at most half an ulp (1.5e-8) each.
    EXPECT_NEAR(params.ws, -0.25f, 1e-6f);
}

TEST_F(InputTest, FirstFrameTimeOfZeroLeavesTheCameraKeysWithoutEffect)
{
    params.ws = 0.1f;
    params.theta = 2.0f;
    press(SDLK_w);
    press(SDLK_LEFT);
    EXPECT_EQ(params.ws, 0.1f);
    EXPECT_EQ(params.theta, 2.0f);
    EXPECT_TRUE(animation.manualRotate);
}

TEST_F(InputTest, CentreKeyRestoresTheHomeViewAndEndsEveryZoom)
{
    params.ws = 0.3f;
    params.ad = -0.2f;
    params.alpha = 0.5f;
    params.zzoom = 0.01f;
    params.theta = 1.5f;
    animation.autoDive = animation.cursorZoomIn = animation.clickZoom = true;
    animation.cursorZoomOut = animation.userZoomed = animation.rectZoom = true;
    press(SDLK_o);
    EXPECT_EQ(params.ws, 0.0f);
    EXPECT_EQ(params.ad, 0.0f);
    EXPECT_EQ(params.alpha, 0.0f);
    EXPECT_EQ(params.zzoom, homeZoom);
    EXPECT_EQ(params.theta, 1.5f);
    EXPECT_FALSE(animation.autoDive || animation.cursorZoomIn || animation.clickZoom);
    EXPECT_FALSE(animation.cursorZoomOut || animation.userZoomed);
    EXPECT_TRUE(animation.rectZoom);
}

TEST_F(InputTest, MorphKeyRequestsAMorph)
{
    press(SDLK_m, KMOD_SHIFT);
    EXPECT_TRUE(animation.morphRequested);
}

TEST_F(InputTest, RotationKeysTurnByThreeFrameTimesAndHoldTheAutomaticRotation)
{
    session.frameSeconds = 0.1f;
    params.theta = 1.0f;
    press(SDLK_LEFT);
    EXPECT_FLOAT_EQ(params.theta, 0.7f);
    EXPECT_TRUE(animation.manualRotate);
    animation.manualRotate = false;
    press(SDLK_RIGHT);
    press(SDLK_RIGHT, KMOD_NONE, 1);
    EXPECT_FLOAT_EQ(params.theta, 1.3f);
    EXPECT_TRUE(animation.manualRotate);
}

TEST_F(InputTest, UpAndDownTiltInTheVisualizationEvenUnderHelp)
{
    enterVisualization();
    session.frameSeconds = 0.1f;
    session.showHelp = true;
    params.alpha = 0.3f;
    animation.autoTilt = animation.autoTiltHold = true;
    press(SDLK_UP);
    EXPECT_FLOAT_EQ(params.alpha, 0.2f);
    EXPECT_FALSE(animation.autoTilt);
    EXPECT_FALSE(animation.autoTiltHold);
    animation.autoTilt = true;
    press(SDLK_DOWN);
    press(SDLK_DOWN, KMOD_NONE, 1);
    EXPECT_FLOAT_EQ(params.alpha, 0.4f);
    EXPECT_FALSE(animation.autoTilt);
    EXPECT_EQ(streamLog(), "");
    EXPECT_TRUE(session.upKeyArmed);
    EXPECT_TRUE(session.downKeyArmed);
}

TEST_F(InputTest, UnboundKeysChangeNothing)
{
    session.frameSeconds = 0.1f;
    for (SDL_Keycode key : {SDLK_x, SDLK_1, SDLK_F1, SDLK_RETURN, SDLK_LSHIFT}) {
        press(key);
        release(key);
    }
    EXPECT_FALSE(session.quitRequested || session.showHelp || session.showControls);
    EXPECT_FALSE(display.fullscreen || session.visualizing);
    EXPECT_EQ(params.ws, 0.0f);
    EXPECT_EQ(params.ad, 0.0f);
    EXPECT_EQ(params.theta, 0.0f);
    EXPECT_EQ(params.alpha, 0.0f);
    EXPECT_FALSE(animation.morphRequested || animation.manualRotate);
    EXPECT_EQ(streamLog(), "");
    EXPECT_EQ(layoutCalls, 0);
}

TEST_F(InputTest, UpStepsTheSelectorOncePerPressHoweverLongItRepeats)
{
    inputDeviceIndex = 0;
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(1)=1");
    EXPECT_EQ(inputDeviceIndex, 1);
    EXPECT_FALSE(session.upKeyArmed);
    EXPECT_TRUE(session.upArrowPressed);
    EXPECT_FALSE(session.downArrowPressed);
    for (int i = 0; i < 5; ++i) {
        press(SDLK_UP, KMOD_NONE, 1);
    }
    EXPECT_EQ(inputDeviceIndex, 1);
    release(SDLK_UP);
    EXPECT_TRUE(session.upKeyArmed);
    EXPECT_FALSE(session.upArrowPressed);
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(1)=1 select(2)=2");
    release(SDLK_UP);
    // With three devices the third is the top: the press only disarms the key.
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(1)=1 select(2)=2");
    EXPECT_EQ(inputDeviceIndex, 2);
    EXPECT_FALSE(session.upKeyArmed);
    EXPECT_FALSE(session.upArrowPressed);
}

TEST_F(InputTest, DownFromTheDefaultDeviceClosesCaptureAndThenStops)
{
    inputDeviceIndex = -1;
    press(SDLK_DOWN);
    EXPECT_EQ(streamLog(), "select(-2)=-2");
    EXPECT_EQ(inputDeviceIndex, -2);
    EXPECT_TRUE(session.downArrowPressed);
    EXPECT_FALSE(session.downKeyArmed);
    release(SDLK_DOWN);
    EXPECT_TRUE(session.downKeyArmed);
    EXPECT_FALSE(session.downArrowPressed);
    press(SDLK_DOWN);
    EXPECT_EQ(streamLog(), "select(-2)=-2");
    EXPECT_FALSE(session.downArrowPressed);
}

TEST_F(InputTest, DownLightsItsArrowAndDarkensTheOther)
{
    inputDeviceIndex = 2;
    session.upArrowPressed = true;
    press(SDLK_DOWN);
    EXPECT_EQ(streamLog(), "select(1)=1");
    EXPECT_TRUE(session.downArrowPressed);
    EXPECT_FALSE(session.upArrowPressed);
}

TEST_F(InputTest, UpWithoutAnyRecordingDeviceAsksForTheDefaultAndStaysAtNone)
{
    streamScript.inputDevices = 0;
    inputDeviceIndex = -2;
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(-1)=-2");
    EXPECT_EQ(inputDeviceIndex, -2);
    EXPECT_TRUE(session.upArrowPressed);
    release(SDLK_UP);
    EXPECT_FALSE(session.upArrowPressed);
}

TEST_F(InputTest, UpToADeviceThatCannotOpenLeavesNone)
{
    streamScript.brokenSelections = 1u << 2;
    inputDeviceIndex = 0;
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(1)=-2");
    EXPECT_EQ(inputDeviceIndex, -2);
}

TEST_F(InputTest, TheSpeakersSitBetweenTheDefaultDeviceAndTheDevicesAndChoicesAreRemembered)
{
    inputDeviceIndex = -2;
    for (int step = 0; step < 3; ++step) {
        press(SDLK_UP);
        release(SDLK_UP);
    }
    EXPECT_EQ(streamLog(), "select(-1)=-1 select(-3)=-3 select(0)=0");
    EXPECT_EQ(streamScript.remembered, 0);
    press(SDLK_DOWN);
    release(SDLK_DOWN);
    EXPECT_EQ(inputDeviceIndex, speakersSource);
    EXPECT_EQ(streamScript.remembered, speakersSource);
    press(SDLK_DOWN);
    release(SDLK_DOWN);
    EXPECT_EQ(streamScript.remembered, -1);
    press(SDLK_DOWN);
    EXPECT_EQ(inputDeviceIndex, -2);
    EXPECT_EQ(streamScript.remembered, -1) << "nothing is not a source to keep";
}

// A source that cannot open leaves nothing running, yet the selector goes on from it: otherwise a
// machine whose speakers cannot be captured could never reach its devices.
TEST_F(InputTest, ASourceThatCannotOpenDoesNotBarTheWayToTheOnesBeyondIt)
{
    streamScript.speakers = false;
    inputDeviceIndex = -1;
    press(SDLK_UP);
    release(SDLK_UP);
    EXPECT_EQ(inputDeviceIndex, -2);
    EXPECT_EQ(streamScript.remembered, -2) << "a failed choice is not kept";
    press(SDLK_UP);
    release(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(-3)=-2 select(0)=0");
    press(SDLK_DOWN);
    release(SDLK_DOWN);
    press(SDLK_DOWN);
    EXPECT_EQ(streamLog(), "select(-3)=-2 select(0)=0 select(-3)=-2 select(-1)=-1");
}

TEST_F(InputTest, WithoutDevicesTheSpeakersAreTheTop)
{
    streamScript.inputDevices = 0;
    inputDeviceIndex = speakersSource;
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "");
    EXPECT_EQ(inputDeviceIndex, speakersSource);
}

TEST_F(InputTest, UpFromPlaybackStopsItBeforeOpeningTheDefaultDevice)
{
    inputDeviceIndex = -2;
    session.demoPlaying = true;
    audio.streams.playbackMuted = true;
    session.savedInputDeviceIndex = 2;
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "play(0)=0 select(-1)=-1");
    EXPECT_EQ(inputDeviceIndex, -1);
    EXPECT_FALSE(session.demoPlaying);
    EXPECT_FALSE(audio.streams.playbackMuted);
}

TEST_F(InputTest, DownDuringPlaybackLeavesTheDemoTrackRunning)
{
    inputDeviceIndex = -2;
    session.demoPlaying = true;
    press(SDLK_DOWN);
    EXPECT_EQ(streamLog(), "");
    EXPECT_TRUE(session.demoPlaying);
    EXPECT_FALSE(session.downArrowPressed);
}

TEST_F(InputTest, SelectorKeysWaitWhileHelpOrControlsCoverTheTitle)
{
    inputDeviceIndex = 0;
    session.showHelp = true;
    press(SDLK_UP);
    session.showHelp = false;
    session.showControls = true;
    press(SDLK_DOWN);
    EXPECT_EQ(streamLog(), "");
    EXPECT_TRUE(session.upKeyArmed);
    EXPECT_TRUE(session.downKeyArmed);
    EXPECT_EQ(params.alpha, 0.0f);
}

TEST_F(InputTest, VisualizationThatHasNotFadedInStillCountsAsTheTitleScreen)
{
    session.visualizing = true;
    params.fade = 0.0f;
    session.frameSeconds = 0.1f;
    inputDeviceIndex = 0;
    press(SDLK_UP);
    EXPECT_EQ(streamLog(), "select(1)=1");
    EXPECT_EQ(params.alpha, 0.0f);
}
