// The screen of each frame with the real overlays on a real renderer: title, help, controls guide or
// fractal, never two in one frame, and screens whose texture is missing falling through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/fractal_renderer.h"
#include "director/animation_director.h"
#include "state/session_clock.h"
#include "session/session_loop.h"
#include "tests/session/sdl_events.h"
#include "tests/session/stream_script.h"
#include "tests/session/test_window.h"

namespace {
// Textures in the order the overlays create them.
enum TextureSlot { titleSlot, helpSlot, controlsSlot, textureCount = 10 };

struct FrameScript {
    float fade;
    std::vector<SDL_Event> events;  // queued for the next frame
};

std::vector<FrameScript> frameScripts;
uint32_t failingTextures = 0;        // bit k: the k-th texture cannot be made
SDL_Texture* created[textureCount];
int createCalls = 0;
int destroyed = 0;
int frame = -1;

// What each frame showed: the first texture copied before a present, and the fractal.
struct FrameShown {
    SDL_Texture* firstCopy = nullptr;
    int presents = 0;
    int fractals = 0;
};
std::vector<FrameShown> shown;

std::string nameOf(const FrameShown& frameShown)
{
    std::string name;
    if (frameShown.presents > 0) {
        name = frameShown.firstCopy == created[titleSlot]      ? "title"
               : frameShown.firstCopy == created[helpSlot]     ? "help"
               : frameShown.firstCopy == created[controlsSlot] ? "controls"
                                                               : "other";
    }
    if (frameShown.fractals > 0) {
        name += name.empty() ? "fractal" : "+fractal";
    }
    return name.empty() ? "nothing" : name;
}
}  // namespace

extern "C" {
SDL_Texture* __real_SDL_CreateTextureFromSurface(SDL_Renderer* renderer, SDL_Surface* surface);
int __real_SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
                          const SDL_Rect* target);
void __real_SDL_RenderPresent(SDL_Renderer* renderer);
void __real_SDL_DestroyTexture(SDL_Texture* texture);

SDL_Texture* __wrap_SDL_CreateTextureFromSurface(SDL_Renderer* renderer, SDL_Surface* surface)
{
    const int slot = createCalls++;
    SDL_Texture* texture = nullptr;
    if ((failingTextures & (1u << slot)) == 0) {
        texture = __real_SDL_CreateTextureFromSurface(renderer, surface);
    }
    if (slot < textureCount) {
        created[slot] = texture;
    }
    return texture;
}

int __wrap_SDL_RenderCopy(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* source,
                          const SDL_Rect* target)
{
    FrameShown& current = shown.back();
    if (current.firstCopy == nullptr) {
        current.firstCopy = texture;
    }
    return __real_SDL_RenderCopy(renderer, texture, source, target);
}

void __wrap_SDL_RenderPresent(SDL_Renderer* renderer)
{
    ++shown.back().presents;
    __real_SDL_RenderPresent(renderer);
}

void __wrap_SDL_DestroyTexture(SDL_Texture* texture)
{
    ++destroyed;
    __real_SDL_DestroyTexture(texture);
}
}

uint32_t currentTicks()
{
    return 1000;
}

int randomDraw()
{
    return 0;
}

void initAnimation(AnimationState&, FractalParams& params, uint32_t)
{
    params.fade = 0.0f;
}

// Stands in for the director: sets the frame's fade and queues the next frame's events.
void updateAnimation(AnimationState&, FractalParams& params, SessionState& session,
                     const DisplayState&, const AnalysisResults&)
{
    ++frame;
    shown.emplace_back();
    if (frame >= static_cast<int>(frameScripts.size())) {
        session.quitRequested = true;
        return;
    }
    params.fade = frameScripts[frame].fade;
    for (SDL_Event event : frameScripts[frame].events) {
        SDL_PushEvent(&event);
    }
}

void drawFractalFrame(const DisplayState&, const ShaderBindings&, const FractalParams&, bool,
                      const int32_t[4], FrameGrab*)
{
    ++shown.back().fractals;
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(testWindow().renderer, nullptr);
        resetStreamScript();
        frameScripts.clear();
        shown.clear();
        failingTextures = 0;
        createCalls = 0;
        destroyed = 0;
        frame = -1;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        display.window = testWindow().window;
        display.renderer = testWindow().renderer;
        display.drawableWidth = testWindowWidth;
        display.drawableHeight = testWindowHeight;
    }

    // Runs the scripted frames, the last of them with Esc, and names the screen of each.
    std::vector<std::string> run()
    {
        frameScripts[frameScripts.size() - 2].events.push_back(keyEvent(SDLK_ESCAPE));
        int inputDeviceIndex = -1;
        runSession(display, bindings, audio, scriptedStreams, inputDeviceIndex, false);
        std::vector<std::string> names;
        for (const FrameShown& frameShown : shown) {
            names.push_back(nameOf(frameShown));
        }
        return names;
    }

    DisplayState display;
    ShaderBindings bindings;
    AudioContext audio;
};

using Screens = std::vector<std::string>;

TEST_F(ScreenTest, EachFrameShowsTheFirstScreenWhoseConditionHolds)
{
    frameScripts = {
        {0.0f, {keyEvent(SDLK_v)}},  // title: the visualization is not selected
        {0.0f, {}},                  // title: selected but still dark
        {0.5f, {keyEvent(SDLK_h)}},  // fractal: faded in
        {0.5f, {keyEvent(SDLK_c)}},  // help over the fractal
        {0.5f, {keyEvent(SDLK_c)}},  // controls replace help
        {0.5f, {keyEvent(SDLK_v)}},  // fractal again
        {0.5f, {}},                  // title: back from the visualization
    };
    EXPECT_EQ(run(), (Screens{"title", "title", "fractal", "help", "controls", "fractal", "title"}));
    EXPECT_EQ(destroyed, createCalls);
}

TEST_F(ScreenTest, MissingTitleImageShowsTheFractalEvenWhileDark)
{
    failingTextures = 1u << titleSlot;
    frameScripts = {{0.0f, {keyEvent(SDLK_h)}}, {0.0f, {keyEvent(SDLK_h)}}, {0.0f, {}}};
    EXPECT_EQ(run(), (Screens{"fractal", "help", "fractal"}));
    EXPECT_EQ(destroyed, createCalls - 1);
}

TEST_F(ScreenTest, MissingHelpAndControlsImagesFallThroughToTheFractal)
{
    failingTextures = (1u << helpSlot) | (1u << controlsSlot);
    frameScripts = {{0.0f, {keyEvent(SDLK_h)}}, {0.0f, {keyEvent(SDLK_c)}}, {0.0f, {keyEvent(SDLK_c)}},
                    {0.0f, {}}};
    EXPECT_EQ(run(), (Screens{"title", "fractal", "fractal", "title"}));
}

TEST_F(ScreenTest, WithoutAnyImageEveryFrameIsTheFractal)
{
    failingTextures = ~0u;
    frameScripts = {{0.0f, {keyEvent(SDLK_h)}}, {0.0f, {keyEvent(SDLK_c)}}, {0.0f, {}}};
    EXPECT_EQ(run(), (Screens{"fractal", "fractal", "fractal"}));
    EXPECT_EQ(destroyed, 0);
}
