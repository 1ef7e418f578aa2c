// The sound-source keys with the real streams on the private PulseAudio server: the demo track, the
// screen saver and the selector steps open and close real capture and playback streams, and files
// dropped on the window play as songs.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_devices.h"
#include "audio/sound_source_control.h"
#include "audio/sound_sources.h"
#include "input/input_handling.h"
#include "tests/session/sdl_events.h"

namespace {
// A running stream delivers a buffer every 23 ms, but through ALSA's PulseAudio plugin the first
// buffer after a switch of streams comes about 2 s late here; ten seconds leave room for sanitizers.
constexpr auto streamPatience = std::chrono::seconds(10);

bool becomesTrue(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + streamPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void putWord(std::ofstream& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putTag(std::ofstream& out, const char* id, const std::string& text)
{
    const uint32_t length = static_cast<uint32_t>(text.size() + 1);
    out.write(id, 4);
    putWord(out, length, 4);
    out.write(text.c_str(), length);
    if (length % 2 != 0) out.put('\0');
}

// Two seconds of a 440 Hz tone as a WAV file whose INFO list names the title and the artist.
std::string taggedSong(const std::string& name, const std::string& title, const std::string& artist)
{
    const std::string path = ::testing::TempDir() + name;
    const uint32_t frames = 2 * 44100;
    const uint32_t tagBytes = 4 + 8 + (title.size() + 2) / 2 * 2 + 8 + (artist.size() + 2) / 2 * 2;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    putWord(out, 4 + 24 + 8 + tagBytes + 8 + frames * 4, 4);
    out.write("WAVEfmt ", 8);
    for (uint32_t word : {16u, 1u | (2u << 16), 44100u, 44100u * 4, 4u | (16u << 16)}) putWord(out, word, 4);
    out.write("LIST", 4);
    putWord(out, tagBytes, 4);
    out.write("INFO", 4);
    putTag(out, "INAM", title);
    putTag(out, "IART", artist);
    out.write("data", 4);
    putWord(out, frames * 4, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto sample = static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / 44100)));
        putWord(out, sample | (uint32_t{sample} << 16), 4);
    }
    return path;
}
}  // namespace

class LiveSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(Pa_Initialize(), paNoError); }
    static void TearDownTestSuite() { Pa_Terminate(); }

    void SetUp() override
    {
        ASSERT_GT(countInputDevices(), 0) << "no recording device: run under scripts/with_services.sh";
        fftConfig = kiss_fft_alloc(windowFrames, 0, nullptr, nullptr);
        ASSERT_NE(fftConfig, nullptr);
        prepareAudioContext(audio, fftConfig);
        inputDeviceIndex = selectInputSource(-1, audio);
        ASSERT_EQ(inputDeviceIndex, -1);
        session.savedInputDeviceIndex = inputDeviceIndex;
    }

    void TearDown() override
    {
        closeSongs(songs, audio);
        selectInputSource(-2, audio);
        setDemoPlayback(false, audio);
        if (fftConfig != nullptr) {
            free(fftConfig);
            fftConfig = nullptr;
        }
    }

    void press(SDL_Keycode key)
    {
        handleEvent(keyEvent(key), session, display, params, animation, selector, audio, audioSoundSources,
                    inputDeviceIndex, songs);
        handleEvent(keyEvent(key, false), session, display, params, animation, selector, audio,
                    audioSoundSources, inputDeviceIndex, songs);
    }

    // SDL hands a dropped file's name over in memory of its own, which the handler frees.
    void drop(const std::string& path)
    {
        SDL_Event event{};
        event.type = SDL_DROPFILE;
        event.drop.file = SDL_strdup(path.c_str());
        handleEvent(event, session, display, params, animation, selector, audio, audioSoundSources,
                    inputDeviceIndex, songs);
    }

    // The playback callback moves the demo cursor; the capture callback leaves it alone.
    bool demoTrackAdvances()
    {
        const uint32_t start = audio.streams.demoPosition.load();
        return becomesTrue([&] { return audio.streams.demoPosition.load() != start; });
    }

    // Every analysed buffer moves the history cursor, whichever stream delivered it.
    bool analysisAdvances()
    {
        const uint32_t start = audio.results.historyIndex.load();
        return becomesTrue([&] { return audio.results.historyIndex.load() != start; });
    }

    // The cursor is read throughout the wait: compared only at both ends it could have come round
    // to where it was.
    bool analysisStopped()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint32_t start = audio.results.historyIndex.load();
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < end) {
            if (audio.results.historyIndex.load() != start) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    kiss_fft_cfg fftConfig = nullptr;
    AudioContext audio;
    SessionState session;
    DisplayState display;
    FractalParams params;
    AnimationState animation{};
    SelectorRect selector;
    int inputDeviceIndex = -2;
    SongSession songs;
};

TEST_F(LiveSourceTest, SpacePlaysTheDemoTrackAndSpaceAgainRecordsFromTheDefaultDevice)
{
    press(SDLK_SPACE);
    EXPECT_EQ(inputDeviceIndex, -2);
    EXPECT_TRUE(session.demoPlaying);
    EXPECT_TRUE(session.visualizing);
    EXPECT_TRUE(demoTrackAdvances());

    press(SDLK_SPACE);
    EXPECT_EQ(inputDeviceIndex, -1);
    EXPECT_FALSE(session.demoPlaying);
    EXPECT_TRUE(analysisAdvances());
    const uint32_t stoppedAt = audio.streams.demoPosition.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(audio.streams.demoPosition.load(), stoppedAt);
}

TEST_F(LiveSourceTest, ScreenSaverKeepsTheTrackRunningAndSpaceRestartsItFromTheStart)
{
    press(SDLK_TAB);
    EXPECT_TRUE(audio.streams.playbackMuted);
    EXPECT_TRUE(session.demoPlaying);
    // Twenty buffers into the track, so that a restart is told apart from the buffers in flight.
    const uint32_t twentyBuffers = 20 * windowFrames;
    ASSERT_TRUE(becomesTrue([&] { return audio.streams.demoPosition.load() >= twentyBuffers; }));
    press(SDLK_SPACE);
    EXPECT_FALSE(audio.streams.playbackMuted);
    EXPECT_LT(audio.streams.demoPosition.load(), twentyBuffers);
    EXPECT_TRUE(demoTrackAdvances());

    press(SDLK_TAB);
    press(SDLK_TAB);
    EXPECT_FALSE(session.demoPlaying);
    EXPECT_FALSE(audio.streams.playbackMuted);
    EXPECT_EQ(inputDeviceIndex, -1);
    EXPECT_TRUE(analysisAdvances());
}

TEST_F(LiveSourceTest, SelectorStepsThroughTheSpeakersAndTheRecordingDevicesAndDownToNone)
{
    const int devices = countInputDevices();
    press(SDLK_UP);
    EXPECT_EQ(inputDeviceIndex, speakersSource);
    EXPECT_TRUE(analysisAdvances()) << "the speakers' capture feeds the analysis";
    for (int expected = 0; expected < devices; ++expected) {
        press(SDLK_UP);
        EXPECT_EQ(inputDeviceIndex, expected);
    }
    press(SDLK_UP);
    EXPECT_EQ(inputDeviceIndex, devices - 1);
    EXPECT_TRUE(analysisAdvances());

    for (int expected = devices - 2; expected >= 0; --expected) {
        press(SDLK_DOWN);
        EXPECT_EQ(inputDeviceIndex, expected);
    }
    for (int expected : {speakersSource, defaultDeviceSource, noSource}) {
        press(SDLK_DOWN);
        EXPECT_EQ(inputDeviceIndex, expected);
    }
    EXPECT_TRUE(analysisStopped());
}

TEST_F(LiveSourceTest, StepUpFromTheDemoTrackStopsItAndRecordsFromTheDefaultDevice)
{
    press(SDLK_SPACE);
    ASSERT_TRUE(demoTrackAdvances());
    session.visualizing = false;
    press(SDLK_UP);
    EXPECT_FALSE(session.demoPlaying);
    EXPECT_EQ(inputDeviceIndex, -1);
    const uint32_t stoppedAt = audio.streams.demoPosition.load();
    EXPECT_TRUE(analysisAdvances());
    EXPECT_EQ(audio.streams.demoPosition.load(), stoppedAt);
}

TEST_F(LiveSourceTest, DroppedFilesJoinTheSongsWhichPlayWithTheirTagsUntilTheSelectorLeavesThem)
{
    drop(taggedSong("dropped.wav", "Dropped Title", "Someone"));
    drop(taggedSong("untagged.wav", "", ""));
    EXPECT_EQ(songs.paths.size(), 2u);
    EXPECT_TRUE(songs.playing);
    EXPECT_TRUE(session.visualizing);
    EXPECT_EQ(inputDeviceIndex, noSource) << "the capture closes while songs play";
    EXPECT_STREQ(songs.label, "Song 1 of 2: Dropped Title \xE2\x80\x93 Someone");
    EXPECT_TRUE(analysisAdvances()) << "the song feeds the analysis";

    press(SDLK_PAGEDOWN);
    EXPECT_EQ(songs.current, 1);
    EXPECT_STREQ(songs.label, "Song 2 of 2: untagged.wav");
    press(SDLK_p);
    EXPECT_TRUE(songs.paused);
    EXPECT_TRUE(songs.player.ring.paused.load());

    press(SDLK_UP);
    EXPECT_FALSE(songs.playing);
    EXPECT_TRUE(songs.paths.empty()) << "leaving the songs drops the list";
    EXPECT_EQ(inputDeviceIndex, -1);
    EXPECT_TRUE(analysisAdvances());
}
