// The hidden window, GL context and 2D renderer that the display tests share, opened by their main.
#pragma once
#include <SDL.h>

struct TestWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    SDL_Renderer* renderer = nullptr;
};

constexpr int testWindowWidth = 640;
constexpr int testWindowHeight = 360;

// Opened before the first test and closed after the last; the context is recorded as the program's.
const TestWindow& testWindow();
