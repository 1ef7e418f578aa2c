// The fixture of the input tests: the records that one event works on, over the shared hidden window.
#pragma once
#include <gtest/gtest.h>

#include "input/input_handling.h"
#include "tests/session/sdl_events.h"
#include "tests/session/stream_script.h"
#include "tests/session/test_window.h"

// Sizes that the wrapped SDL size queries report instead of the real ones, where set.
struct SizeOverrides {
    bool windowSize = false;
    int windowWidth = 0;
    int windowHeight = 0;
    bool drawableSize = false;
    int drawableWidth = 0;
    int drawableHeight = 0;
};
extern SizeOverrides sizeOverrides;

// Calls of the substitute layoutSelector, which returns (W / 4, H / 2, 11, 22).
extern int layoutCalls;

class InputTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void send(const SDL_Event& event);
    void press(SDL_Keycode key, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0);
    void release(SDL_Keycode key);
    void mouse(Uint8 button, bool down, int x, int y);
    void enterVisualization();
    // Leaves the 2D renderer's context current, as any 2D frame does.
    void displaceProgramContext();
    void expectViewport(int width, int height);

    SessionState session;
    DisplayState display;
    FractalParams params;
    AnimationState animation{};
    SelectorRect selector;
    AudioContext audio;
    int inputDeviceIndex = 0;
    SongSession songs;
};
