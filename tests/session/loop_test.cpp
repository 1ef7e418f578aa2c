// The session loop with every stage it calls substituted: set-up order, per-frame order, the one
// screen per frame, Esc with events still queued, H then C, and the first frame's zero frame time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/fractal_renderer.h"
#include "director/animation_director.h"
#include "overlays/overlays.h"
#include "state/session_clock.h"
#include "session/session_loop.h"
#include "tests/session/sdl_events.h"
#include "tests/session/stream_script.h"

namespace {
constexpr uint32_t startTick = 5000;
constexpr int drawableWidth = 200;
constexpr int drawableHeight = 100;

// What the substitutes saw in one frame.
struct FrameRecord {
    bool showHelp = false;
    bool showControls = false;
    float frameSecondsAtUpdate = -1.0f;
    float wsAtUpdate = 0.0f;
    bool fractalDrawn = false;
    bool highlight = false;
    int32_t highlightRect[4] = {0, 0, 0, 0};
};

// The script: what drawOverlays answers each frame, what the director does, and the events to
// queue for the next frame.
struct LoopScript {
    std::vector<bool> overlayAnswers;             // missing entries answer false
    std::vector<std::vector<SDL_Event>> events;   // events[k] are queued after frame k's update
    float fadeFromFrame = -1.0f;                  // fade the director sets, when not negative
    float frameSecondsSet = 0.1f;                 // frame time the director measures
};

LoopScript script;
std::vector<std::string> calls;
std::vector<FrameRecord> frames;
SessionState firstUpdateSession;
const FractalParams* updatedParams = nullptr;
const ShaderBindings* drawnBindings = nullptr;
const FractalParams* drawnParams = nullptr;
SelectorRect overlaySelector;
char textureMarks[10];
OverlayTextures createdTextures;

SDL_Texture* mark(int i)
{
    return reinterpret_cast<SDL_Texture*>(&textureMarks[i]);
}

void queue(const std::vector<SDL_Event>& events)
{
    for (SDL_Event event : events) {
        SDL_PushEvent(&event);
    }
}
}  // namespace

uint32_t currentTicks()
{
    calls.push_back("ticks");
    return startTick;
}

int randomDraw()
{
    return 0;
}

void initAnimation(AnimationState&, FractalParams& params, uint32_t ticks)
{
    calls.push_back("init(" + std::to_string(ticks) + ")");
    params.ws = 0.2f;
}

void updateAnimation(AnimationState&, FractalParams& params, SessionState& session,
                     const DisplayState&, const AnalysisResults&)
{
    calls.push_back("update");
    if (frames.empty()) {
        firstUpdateSession = session;
    }
    FrameRecord record;
    record.frameSecondsAtUpdate = session.frameSeconds;
    record.wsAtUpdate = params.ws;
    frames.push_back(record);
    updatedParams = &params;
    session.frameSeconds = script.frameSecondsSet;
    if (script.fadeFromFrame >= 0.0f) {
        params.fade = script.fadeFromFrame;
    }
    const size_t frame = frames.size() - 1;
    if (frame < script.events.size()) {
        queue(script.events[frame]);
    }
    // A script that forgets to quit must not hang the test.
    if (frames.size() >= 100) {
        session.quitRequested = true;
    }
}

void createOverlayTextures(SDL_Renderer* renderer, OverlayTextures& textures)
{
    calls.push_back(renderer == nullptr ? "create" : "create(renderer)");
    textures.titleTexture = mark(0);
    textures.arrowsTop = mark(9);
    createdTextures = textures;
}

void destroyOverlayTextures(OverlayTextures& textures)
{
    calls.push_back(textures.titleTexture == mark(0) && textures.arrowsTop == mark(9)
                        ? "destroy"
                        : "destroy(other textures)");
}

SelectorRect layoutSelector(const DisplayState& display)
{
    calls.push_back("layout");
    return SelectorRect{display.drawableWidth / 2, 7, 8, 9};
}

bool drawOverlays(const DisplayState&, const SessionState& session, int, const FractalParams& params,
                  const AnimationState&, const StreamState&, const SoundSourceControl& sources,
                  const SongSession&, const OverlayTextures&, const SelectorRect& selector, FrameGrab*)
{
    calls.push_back(&params != updatedParams       ? "overlays(other params)"
                    : &sources != &scriptedStreams ? "overlays(other sources)"
                                                   : "overlays");
    frames.back().showHelp = session.showHelp;
    frames.back().showControls = session.showControls;
    overlaySelector = selector;
    const size_t frame = frames.size() - 1;
    return frame < script.overlayAnswers.size() && script.overlayAnswers[frame];
}

void drawFractalFrame(const DisplayState&, const ShaderBindings& bindings, const FractalParams& params,
                      bool highlight, const int32_t highlightRect[4], FrameGrab*)
{
    calls.push_back("fractal");
    drawnBindings = &bindings;
    drawnParams = &params;
    FrameRecord& record = frames.back();
    record.fractalDrawn = true;
    record.highlight = highlight;
    std::copy(highlightRect, highlightRect + 4, record.highlightRect);
}

class LoopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
    // SDL_Quit also closes the D-Bus connection that the event subsystem opens.
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        script = LoopScript{};
        calls.clear();
        frames.clear();
        resetStreamScript();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        display.drawableWidth = drawableWidth;
        display.drawableHeight = drawableHeight;
    }

    // Queues the first frame's events, runs the session to its end, returns the calls as one line.
    std::string run(const std::vector<SDL_Event>& firstFrameEvents)
    {
        queue(firstFrameEvents);
        runSession(display, bindings, audio, scriptedStreams, inputDeviceIndex, visualizing);
        std::string line;
        for (const std::string& call : calls) {
            line += (line.empty() ? "" : " ") + call;
        }
        return line;
    }

    DisplayState display;
    ShaderBindings bindings;
    AudioContext audio;
    int inputDeviceIndex = 1;
    bool visualizing = false;
};

TEST_F(LoopTest, SetUpThenOneFrameThenTearDownInOrder)
{
    const std::string line = run({keyEvent(SDLK_ESCAPE)});
    EXPECT_EQ(line, "ticks init(5000) create layout update overlays fractal destroy");
    EXPECT_EQ(firstUpdateSession.savedInputDeviceIndex, 1);
    EXPECT_EQ(firstUpdateSession.lastFrameTicks, startTick);
    EXPECT_EQ(firstUpdateSession.lastWholeSecond, startTick / 1000);
    EXPECT_TRUE(firstUpdateSession.upKeyArmed && firstUpdateSession.downKeyArmed);
    EXPECT_TRUE(firstUpdateSession.middleButtonArmed);
    EXPECT_EQ(overlaySelector.x, drawableWidth / 2);
    EXPECT_EQ(overlaySelector.height, 9);
    EXPECT_EQ(drawnBindings, &bindings);
    EXPECT_EQ(drawnParams, updatedParams);
}

TEST_F(LoopTest, FractalFramesCarryTheHighlightDrag)
{
    // Visualization faded in: a left press starts the drag, motion widens it.
    visualizing = true;
    script.fadeFromFrame = 1.0f;
    script.events = {{buttonEvent(SDL_BUTTON_LEFT, true, 3, 4), motionEvent(13, 24)},
                     {keyEvent(SDLK_ESCAPE)}};
    run({});
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_FALSE(frames[0].highlight);
    EXPECT_TRUE(frames[1].highlight);
    const int32_t rect[4] = {3, drawableHeight - 1 - 24, 13, drawableHeight - 1 - 4};
    EXPECT_TRUE(std::equal(rect, rect + 4, frames[1].highlightRect));
}

TEST_F(LoopTest, EscapeLetsTheQueuedEventsAndTheFrameThrough)
{
    script.overlayAnswers = {true};
    const std::string line =
        run({keyEvent(SDLK_ESCAPE), keyEvent(SDLK_h), keyEvent(SDLK_w), keyEvent(SDLK_SPACE)});
    EXPECT_EQ(line, "ticks init(5000) create layout update overlays destroy");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(frames[0].showHelp);
    EXPECT_EQ(streamLog(), "select(-2)=-2 play(1)=1");
    EXPECT_EQ(inputDeviceIndex, -2);
}

TEST_F(LoopTest, WindowCloseEndsTheSessionLikeEscape)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    script.events = {{quit}};
    run({});
    EXPECT_EQ(frames.size(), 2u);
    EXPECT_EQ(calls.back(), "destroy");
}

TEST_F(LoopTest, HelpThenControlsShowsOnlyTheControlsAndControlsAgainShowsNeither)
{
    script.events = {{keyEvent(SDLK_c)}, {keyEvent(SDLK_c)}, {keyEvent(SDLK_ESCAPE)}};
    run({keyEvent(SDLK_h)});
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_TRUE(frames[0].showHelp && !frames[0].showControls);
    EXPECT_TRUE(!frames[1].showHelp && frames[1].showControls);
    EXPECT_TRUE(!frames[2].showHelp && !frames[2].showControls);
}

TEST_F(LoopTest, FirstFramesEventsSeeAFrameTimeOfZeroAndLaterOnesThePreviousFrame)
{
    script.frameSecondsSet = 0.1f;
    script.events = {{keyEvent(SDLK_w)}, {keyEvent(SDLK_ESCAPE)}};
    run({keyEvent(SDLK_w)});
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].frameSecondsAtUpdate, 0.0f);
    EXPECT_EQ(frames[0].wsAtUpdate, 0.2f);
    // The second W uses the 0.1 s that the director measured in frame one: 0.2 - 0.05.
    EXPECT_FLOAT_EQ(frames[1].wsAtUpdate, 0.15f);
}
