// The steps behind the input handlers, shared by the files that handle keys, pointer and window events.
#pragma once
#include <SDL.h>

#include "input/input_handling.h"
#include "songs/song_session.h"

// Everything one event may change, gathered so that each step takes one argument.
struct InputTargets {
    SessionState& session;
    DisplayState& display;
    FractalParams& params;
    AnimationState& animation;
    SelectorRect& selector;
    AudioContext& audio;
    const SoundSourceControl& sources;
    int& inputDeviceIndex;
    SongSession& songs;
};

// Visualization not selected, or selected but not yet faded in.
bool onTitleScreen(const InputTargets& targets);

// Window units (as SDL reports the pointer) to drawable pixels, which may be denser on high-DPI displays.
PixelPoint toDrawablePixels(int32_t x, int32_t y, const DisplayState& display);

void handleKeyDown(const SDL_Keysym& key, InputTargets& targets);
void handleKeyUp(SDL_Keycode key, InputTargets& targets);

// The pointer position is already in drawable pixels.
void handleMouseButton(const SDL_MouseButtonEvent& event, PixelPoint pointer, InputTargets& targets);
void handleMouseMotion(PixelPoint pointer, InputTargets& targets);
void handleMouseWheel(const SDL_MouseWheelEvent& event, InputTargets& targets);

void handleWindowEvent(const SDL_WindowEvent& event, InputTargets& targets);
void toggleFullscreen(InputTargets& targets);
// Shift+F: the window, full-screen or not, to the next monitor.
void moveToNextMonitor(InputTargets& targets);
void toggleVisualizing(InputTargets& targets);

void stepSelectorUp(InputTargets& targets);
void stepSelectorDown(InputTargets& targets);
void toggleDemoMode(InputTargets& targets);         // Space
void toggleScreenSaverMode(InputTargets& targets);  // Tab

// Songs: the first dropped on the window starts them; Page Down/Up step, P pauses.
void dropSong(const char* path, InputTargets& targets);
void nextSong(InputTargets& targets);
void previousSong(InputTargets& targets);
void toggleSongPaused(InputTargets& targets);
// Ends the songs without going back to the source before them (the user chose another).
void leaveSongs(InputTargets& targets);
