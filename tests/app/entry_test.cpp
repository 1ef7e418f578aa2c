// The process entry: start-up order, failure codes 10, 3 and 4, and the guard around the run.
// SDL and PortAudio start-up calls are wrapped at link time so their failures can be provoked;
// the visualizer is a stand-in, handed to the entry, that records how it was called.
#include <gtest/gtest.h>

#include <SDL.h>
#include <portaudio.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_entry.h"
#include "tests/app/memory_registry.h"

namespace {
std::vector<std::string> calls;
bool sdlInitFails = false;
bool paInitializeFails = false;
bool paTerminateFails = false;
const char* videoDriver = "x11";
int invisibleStarts = 0;  // starts that find the display refusing before videoDriver is reached
int windowResult = 0;
StartOptions visualizerOptions;
uint32_t delayDuringWindow = 0;

int runVisualizerStandIn(const StartOptions& options)
{
    calls.push_back("runVisualizer");
    visualizerOptions = options;
    delayDuringWindow = memoryRegistry().values["TdrDelay"];
    return windowResult;
}

int runWith(std::initializer_list<const char*> words)
{
    std::vector<const char*> argv{"quasarine"};
    argv.insert(argv.end(), words);
    return runProgram(static_cast<int>(argv.size()), argv.data(), runVisualizerStandIn);
}

class Entry : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        sdlInitFails = paInitializeFails = paTerminateFails = false;
        windowResult = 0;
        videoDriver = "x11";
        invisibleStarts = 0;
        unsetenv("SDL_VIDEODRIVER");
        memoryRegistry() = MemoryRegistry();
        memoryRegistry().values["TdrDelay"] = 2;
    }
};
}  // namespace

extern "C" {
void __wrap_SDL_SetMainReady() { calls.push_back("SDL_SetMainReady"); }
int __wrap_SDL_Init(Uint32 flags)
{
    calls.push_back("SDL_Init " + std::to_string(flags));
    return sdlInitFails ? -1 : 0;
}
void __wrap_SDL_Quit() { calls.push_back("SDL_Quit"); }
const char* __wrap_SDL_GetCurrentVideoDriver()
{
    if (invisibleStarts > 0) {
        invisibleStarts -= 1;
        return "offscreen";
    }
    return videoDriver;
}
PaError __wrap_Pa_Initialize()
{
    calls.push_back("Pa_Initialize");
    return paInitializeFails ? paNotInitialized : paNoError;
}
PaError __wrap_Pa_Terminate()
{
    calls.push_back("Pa_Terminate");
    return paTerminateFails ? paNotInitialized : paNoError;
}
int __wrap_SDL_ShowSimpleMessageBox(Uint32 flags, const char* title, const char* message, SDL_Window* parent)
{
    calls.push_back("box " + std::to_string(flags) + " " + title + " " + message +
                    (parent == nullptr ? "" : " with parent"));
    return 0;
}
}

TEST_F(Entry, NormalRunInitialisesRunsAndShutsDownInOrder)
{
    EXPECT_EQ(runWith({"-v", "--fullscreen", "extra"}), 0);
    std::vector<std::string> expected{"SDL_SetMainReady", "SDL_Init 32", "Pa_Initialize",
                                      "runVisualizer",    "Pa_Terminate", "SDL_Quit"};
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(visualizerOptions.fullscreen);
    EXPECT_TRUE(visualizerOptions.visualizing);
    EXPECT_FALSE(visualizerOptions.speakers);
    EXPECT_EQ(delayDuringWindow, 120u);
    EXPECT_EQ(memoryRegistry().values.at("TdrDelay"), 2u);
    EXPECT_EQ(memoryRegistry().values.count("QORB_SENTINEL_TdrDelay"), 0u);
}

TEST_F(Entry, TheSpeakersOptionIsPassedOnToTheVisualizer)
{
    EXPECT_EQ(runWith({"--viz", "-s"}), 0);
    std::vector<std::string> expected{"SDL_SetMainReady", "SDL_Init 32", "Pa_Initialize", "runVisualizer",
                                      "Pa_Terminate", "SDL_Quit"};
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(visualizerOptions.speakers);
    EXPECT_TRUE(visualizerOptions.visualizing);
    EXPECT_FALSE(visualizerOptions.fullscreen);
}

TEST_F(Entry, TheVisualizersCodeBecomesTheExitCode)
{
    windowResult = 23;
    EXPECT_EQ(runWith({}), 23);
    EXPECT_FALSE(visualizerOptions.fullscreen);
    EXPECT_FALSE(visualizerOptions.visualizing);
}

TEST_F(Entry, SdlInitFailureReturns10WithoutBoxQuitOrRestore)
{
    sdlInitFails = true;
    EXPECT_EQ(runWith({}), 10);
    std::vector<std::string> expected{"SDL_SetMainReady", "SDL_Init 32"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(memoryRegistry().values.at("TdrDelay"), 120u);
    EXPECT_EQ(memoryRegistry().values.at("QORB_SENTINEL_TdrDelay"), 2u);
}

TEST_F(Entry, AudioInitFailureQuitsSdlThenShowsTheBoxAndReturns3)
{
    paInitializeFails = true;
    EXPECT_EQ(runWith({}), 3);
    std::vector<std::string> expected{
        "SDL_SetMainReady", "SDL_Init 32", "Pa_Initialize", "SDL_Quit",
        "box " + std::to_string(SDL_MESSAGEBOX_ERROR) +
            " QORB ERROR Fatal Error: Failed to initialize audio system."};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(memoryRegistry().values.at("TdrDelay"), 120u);
}

TEST_F(Entry, AudioTerminateFailureOverridesEveryResult)
{
    paTerminateFails = true;
    for (int inner : {0, 15, 2, 44}) {
        windowResult = inner;
        EXPECT_EQ(runWith({}), 4) << inner;
    }
    EXPECT_EQ(memoryRegistry().values.at("TdrDelay"), 2u);
}

TEST_F(Entry, RegistryFailuresNeverChangeTheExitCode)
{
    memoryRegistry().keyAvailable = false;
    EXPECT_EQ(runWith({}), 0);
    memoryRegistry().keyAvailable = true;
    memoryRegistry().writesFail = true;
    windowResult = 17;
    EXPECT_EQ(runWith({}), 17);
}

TEST_F(Entry, AVideoDriverThatShowsNothingCountsAsNoDisplay)
{
    for (const char* driver : {"offscreen", "dummy"}) {
        calls.clear();
        videoDriver = driver;
        EXPECT_EQ(runWith({}), 10) << driver;
        std::vector<std::string> expected{"SDL_SetMainReady"};
        for (int attempt = 0; attempt < 4; ++attempt) {
            expected.push_back("SDL_Init 32");
            expected.push_back("SDL_Quit");
        }
        EXPECT_EQ(calls, expected);
    }
}

TEST_F(Entry, ADisplayThatRefusesForAMomentIsTriedAgain)
{
    invisibleStarts = 2;
    EXPECT_EQ(runWith({}), 0);
    std::vector<std::string> expected{"SDL_SetMainReady", "SDL_Init 32", "SDL_Quit", "SDL_Init 32", "SDL_Quit",
                                      "SDL_Init 32", "Pa_Initialize", "runVisualizer", "Pa_Terminate",
                                      "SDL_Quit"};
    EXPECT_EQ(calls, expected);
}

TEST_F(Entry, AnInvisibleVideoDriverAskedForByTheUserIsAccepted)
{
    videoDriver = "offscreen";
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    EXPECT_EQ(runWith({}), 0);
    unsetenv("SDL_VIDEODRIVER");
}
