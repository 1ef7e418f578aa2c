// Per-frame allocations: hundreds of frames of the real loop, with the real input handling, director and
// overlays on a real renderer, allocate nothing through the program's own code once set-up is done.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "render/fractal_renderer.h"
#include "director/animation_director.h"
#include "state/session_clock.h"
#include "session/session_loop.h"
#include "tests/session/allocation_counter.h"
#include "tests/session/sdl_events.h"
#include "tests/session/stream_script.h"
#include "tests/session/test_window.h"

namespace {
constexpr int framesToRun = 400;
constexpr int firstCountedFrame = 3;

int drainedFrames = 0;
int fractalFrames = 0;
AudioContext* heardAudio = nullptr;
std::vector<std::vector<SDL_Event>> batches;

// Every binding of the session, spread over frames, so that each handler runs many times.
std::vector<std::vector<SDL_Event>> eventBatches()
{
    const int x = testWindowWidth / 2;
    const int y = testWindowHeight / 2;
    return {
        {keyEvent(SDLK_w), keyEvent(SDLK_s, true, KMOD_SHIFT, 1), keyEvent(SDLK_a), keyEvent(SDLK_d)},
        {keyEvent(SDLK_LEFT), keyEvent(SDLK_RIGHT), keyEvent(SDLK_UP), keyEvent(SDLK_UP, false)},
        {keyEvent(SDLK_v)},
        {buttonEvent(SDL_BUTTON_LEFT, true, x, y), motionEvent(x + 30, y + 10),
         buttonEvent(SDL_BUTTON_LEFT, false, x + 30, y + 10)},
        {buttonEvent(SDL_BUTTON_RIGHT, true, x, y), motionEvent(x - 5, y - 5),
         buttonEvent(SDL_BUTTON_RIGHT, false, x - 5, y - 5)},
        {buttonEvent(SDL_BUTTON_MIDDLE, true, x, y), buttonEvent(SDL_BUTTON_MIDDLE, false, x, y)},
        {wheelEvent(1), wheelEvent(-2), keyEvent(SDLK_DOWN), keyEvent(SDLK_DOWN, false)},
        {keyEvent(SDLK_h)},
        {keyEvent(SDLK_c)},
        {keyEvent(SDLK_c), windowEvent(SDL_WINDOWEVENT_RESIZED), windowEvent(SDL_WINDOWEVENT_MOVED)},
        {keyEvent(SDLK_SPACE)},
        {keyEvent(SDLK_TAB)},
        {keyEvent(SDLK_SPACE)},
        {keyEvent(SDLK_SPACE), keyEvent(SDLK_f)},
        {keyEvent(SDLK_f), keyEvent(SDLK_m), keyEvent(SDLK_o)},
        {keyEvent(SDLK_v), buttonEvent(SDL_BUTTON_LEFT, true, x, y)},
        {buttonEvent(SDL_BUTTON_LEFT, false, x, y), keyEvent(SDLK_UP), keyEvent(SDLK_UP, false)},
    };
}

// Two seconds of sound and two of silence in turn, so that the picture fades in and out.
void changeTheSound()
{
    heardAudio->results.silent = (drainedFrames / 120) % 2 == 1;
    for (int band = 0; band < bandCountFixed; ++band) {
        heardAudio->results.bandLevels[band] = static_cast<float>((drainedFrames * (band + 3)) % 17);
        heardAudio->results.bandPeaks[band] = 17.0f;
    }
    heardAudio->results.beatCount = static_cast<uint32_t>(drainedFrames / 25);
}

// Runs once per frame, when the loop has drained the queue: queues the next frame's events.
void queueDrained()
{
    ++drainedFrames;
    changeTheSound();
    if (drainedFrames == firstCountedFrame) {
        startCountingAllocations();
    }
    if (drainedFrames >= framesToRun) {
        stopCountingAllocations();
        return;
    }
    for (SDL_Event event : batches[drainedFrames % batches.size()]) {
        SDL_PushEvent(&event);
    }
    if (drainedFrames == framesToRun - 1) {
        SDL_Event escape = keyEvent(SDLK_ESCAPE);
        SDL_PushEvent(&escape);
    }
}
}  // namespace

extern "C" int __real_SDL_PollEvent(SDL_Event* event);

extern "C" int __wrap_SDL_PollEvent(SDL_Event* event)
{
    const int pending = __real_SDL_PollEvent(event);
    if (pending == 0) {
        queueDrained();
    }
    return pending;
}

// Sixty frames a second, each reading the clock once.
uint32_t currentTicks()
{
    static uint32_t ticks = 0;
    return ticks += 17;
}

int randomDraw()
{
    return std::rand() & 0x7FFF;
}

void drawFractalFrame(const DisplayState&, const ShaderBindings&, const FractalParams&, bool,
                      const int32_t[4], FrameGrab*)
{
    ++fractalFrames;
}

TEST(FrameAllocationTest, CounterSeesAllocationsFromStaticallyLinkedCode)
{
    static void* volatile escaped;
    startCountingAllocations();
    escaped = std::malloc(16);
    std::free(escaped);
    escaped = ::operator new(16);
    ::operator delete(escaped);
    escaped = strdup("text");
    std::free(escaped);
    stopCountingAllocations();
    EXPECT_EQ(countedAllocations(), 3);
}

TEST(FrameAllocationTest, FramesAfterSetUpAllocateNothing)
{
    ASSERT_NE(testWindow().renderer, nullptr);
    resetStreamScript();
    batches = eventBatches();
    DisplayState display;
    display.window = testWindow().window;
    display.renderer = testWindow().renderer;
    display.drawableWidth = testWindowWidth;
    display.drawableHeight = testWindowHeight;
    ShaderBindings bindings;
    AudioContext audio;
    heardAudio = &audio;
    int inputDeviceIndex = -1;
    runSession(display, bindings, audio, scriptedStreams, inputDeviceIndex, false);

    EXPECT_EQ(drainedFrames, framesToRun);
    EXPECT_EQ(countedAllocations(), 0);
    // Both kinds of frame ran many times, and so did the stream control.
    EXPECT_GT(fractalFrames, 50);
    EXPECT_LT(fractalFrames, framesToRun - 50);
    EXPECT_GT(streamScript.logCount, 50);
}
