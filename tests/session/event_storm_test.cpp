// Bad input: thousands of random events of every kind through handleEvent, each batch followed by the
// real animation director, on a real hidden window whose drawable shrinks to one pixel and grows back.
#include <cmath>
#include <random>

#include "audio/sound_sources.h"
#include "director/animation_director.h"
#include "state/session_clock.h"
#include "tests/session/input_fixture.h"

namespace {
constexpr int stormFrames = 4000;
constexpr float twoPi = 6.2831854820251465f;
constexpr float tiltTop = 0.7853981852531433f;

uint32_t clockTicks = 123456;
std::mt19937 generator(20240611u);

int pick(int count)
{
    return static_cast<int>(generator() % static_cast<uint32_t>(count));
}

const SDL_Keycode boundKeys[] = {
    SDLK_ESCAPE, SDLK_f, SDLK_h, SDLK_c, SDLK_v, SDLK_w, SDLK_s, SDLK_d, SDLK_a, SDLK_o,
    SDLK_m, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_SPACE, SDLK_TAB, SDLK_x,
};

struct DrawableSize {
    int width;
    int height;
};
const DrawableSize drawableSizes[] = {{1, 1}, {2, 2}, {1, 900}, {640, 360}, {1920, 1080}, {2560, 1440}};

SDL_Event randomEvent(const DisplayState& display)
{
    const int x = pick(display.drawableWidth + 100) - 50;
    const int y = pick(display.drawableHeight + 100) - 50;
    const Uint8 buttons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    switch (pick(6)) {
    case 0:
    case 1: {
        const SDL_Keycode key = boundKeys[pick(sizeof boundKeys / sizeof boundKeys[0])];
        return keyEvent(key, pick(3) != 0, pick(2) != 0 ? KMOD_SHIFT : KMOD_NONE, Uint8(pick(2)));
    }
    case 2: return buttonEvent(buttons[pick(4)], pick(2) != 0, x, y);
    case 3: return motionEvent(x, y);
    case 4: return wheelEvent(pick(7) - 3, pick(3) - 1);
    default: break;
    }
    const DrawableSize size = drawableSizes[pick(sizeof drawableSizes / sizeof drawableSizes[0])];
    sizeOverrides.drawableWidth = size.width;
    sizeOverrides.drawableHeight = size.height;
    return windowEvent(pick(2) != 0 ? SDL_WINDOWEVENT_RESIZED : SDL_WINDOWEVENT_MOVED);
}

bool finite(Vec2 value)
{
    return std::isfinite(value.x) && std::isfinite(value.y);
}
}  // namespace

uint32_t currentTicks()
{
    return clockTicks;
}

int randomDraw()
{
    return static_cast<int>(generator() & 0x7FFF);
}

class EventStormTest : public InputTest {
protected:
    // The sound, the devices and the clock change under the session as they may in use.
    void stirTheWorld(int frame)
    {
        audio.results.silent = (frame / 200) % 3 == 0;
        for (int band = 0; band < bandCountFixed; ++band) {
            audio.results.bandLevels[band] = static_cast<float>(pick(1000)) * 0.01f;
            audio.results.bandPeaks[band] = static_cast<float>(pick(1000)) * 0.01f + 10.0f;
        }
        audio.results.beatCount = audio.results.beatCount.load() + (pick(10) == 0 ? 1u : 0u);
        streamScript.outputDevice = pick(5) != 0;
        streamScript.brokenSelections = static_cast<uint32_t>(pick(16));
        // Mostly 60 frames per second, now and then a stall of two seconds.
        clockTicks += pick(100) == 0 ? 2000u : static_cast<uint32_t>(pick(34));
    }

    void expectParamsInRange(int frame)
    {
        SCOPED_TRACE(testing::Message() << "frame " << frame);
        ASSERT_GE(params.ws, -0.5f);
        ASSERT_LE(params.ws, 0.5f);
        ASSERT_GE(params.ad, -0.5f);
        ASSERT_LE(params.ad, 0.5f);
        ASSERT_GE(params.alpha, 0.0f);
        ASSERT_LE(params.alpha, tiltTop);
        ASSERT_GE(params.bgfractalblend, 0.0f);
        ASSERT_LE(params.bgfractalblend, 1.0f);
        ASSERT_GE(params.fade, 0.0f);
        ASSERT_LE(params.fade, 1.0f);
        ASSERT_GE(params.theta, 0.0f);
        ASSERT_LT(params.theta, twoPi);
        ASSERT_GE(params.max_iterations, 10);
        ASSERT_LE(params.max_iterations, 1000000);
        ASSERT_GE(params.colormode, 0);
        ASSERT_LE(params.colormode, 6);
        ASSERT_GE(params.fractalmode, 0);
        ASSERT_LE(params.fractalmode, 7);
        ASSERT_TRUE(std::isfinite(params.zzoom) && params.zzoom > 0.0f) << params.zzoom;
        ASSERT_TRUE(std::isfinite(params.divergence_thresh2));
        ASSERT_TRUE(finite(params.c) && finite(params.zitrans) && finite(params.zftrans));
    }

    // At most one stream runs, and the flags agree with it.
    void expectConsistentSession(int frame)
    {
        SCOPED_TRACE(testing::Message() << "frame " << frame);
        const bool muted = audio.streams.playbackMuted.load();
        ASSERT_EQ(session.demoPlaying, streamScript.playbackRunning);
        ASSERT_TRUE(!muted || session.demoPlaying);
        ASSERT_TRUE(!session.demoPlaying || inputDeviceIndex == -2);
        ASSERT_EQ(streamScript.captureSelection, inputDeviceIndex);
        ASSERT_TRUE(inputDeviceIndex >= -2 || inputDeviceIndex == speakersSource) << inputDeviceIndex;
        ASSERT_LT(inputDeviceIndex, streamScript.inputDevices);
        ASSERT_FALSE(session.showHelp && session.showControls);
        ASSERT_FALSE(session.upArrowPressed && session.downArrowPressed);
        ASSERT_GE(display.drawableWidth, 1);
        ASSERT_GE(display.drawableHeight, 1);
        ASSERT_LE(session.mouseRect[0], session.mouseRect[2]);
        ASSERT_LE(session.mouseRect[1], session.mouseRect[3]);
    }
};

TEST_F(EventStormTest, RandomEventsAndTheDirectorKeepEveryValueInRange)
{
    sizeOverrides.drawableSize = true;
    sizeOverrides.drawableWidth = testWindowWidth;
    sizeOverrides.drawableHeight = testWindowHeight;
    inputDeviceIndex = -1;
    streamScript.captureSelection = -1;
    initAnimation(animation, params, clockTicks);
    session.lastFrameTicks = clockTicks;
    session.lastWholeSecond = clockTicks / 1000;
    int events = 0;
    for (int frame = 0; frame < stormFrames && !HasFatalFailure(); ++frame) {
        stirTheWorld(frame);
        for (int count = pick(9); count > 0; --count, ++events) {
            send(randomEvent(display));
        }
        updateAnimation(animation, params, session, display, audio.results);
        expectParamsInRange(frame);
        expectConsistentSession(frame);
    }
    EXPECT_GT(events, 10000);
    EXPECT_GT(streamScript.logCount, 0);
}
