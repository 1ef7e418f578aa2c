// drawOverlays on a software renderer with flat-coloured screens and a coded font: which screen is
// shown, which selector image, which source name and which notice in the top band.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/sound_sources.h"
#include "overlays/overlays.h"
#include "tests/overlays/scripted_devices.h"
#include "tests/overlays/soft_screen.h"

namespace {
// The title screen without songs, as most runs have it.
const SongSession noSongs;

constexpr uint32_t backdrop = 0x010203;
constexpr uint32_t titleColour = 0x0A141E;
constexpr uint32_t helpColour = 0x28323C;
constexpr uint32_t controlsColour = 0x46505A;
constexpr uint32_t normalColour = 0x00F001;
constexpr uint32_t noneColour = 0x00F002;
constexpr uint32_t upLitColour = 0x00F003;
constexpr uint32_t downLitColour = 0x00F004;
constexpr uint32_t bottomColour = 0x00F005;
constexpr uint32_t topColour = 0x00F006;

// Everything drawOverlays reads, around a software screen.
struct Rig {
    SoftScreen screen;
    OverlayTextures textures;
    SessionState session;
    FractalParams params;
    AnimationState animation;
    StreamState streams;
};

bool openRig(Rig& rig, int width, int height)
{
    if (!openSoftScreen(rig.screen, width, height, backdrop)) {
        return false;
    }
    SDL_Renderer* r = rig.screen.renderer;
    OverlayTextures& t = rig.textures;
    t.titleTexture = solidTexture(r, 960, 540, titleColour);
    t.helpTexture = solidTexture(r, 1920, 1080, helpColour);
    t.controlsTexture = solidTexture(r, 960, 540, controlsColour);
    t.fontTexture = codedFontTexture(r);
    t.arrowsNormal = solidTexture(r, 32, 66, normalColour);
    t.arrowsNone = solidTexture(r, 32, 66, noneColour);
    t.arrowsUpLit = solidTexture(r, 32, 66, upLitColour);
    t.arrowsDownLit = solidTexture(r, 32, 66, downLitColour);
    t.arrowsBottom = solidTexture(r, 32, 66, bottomColour);
    t.arrowsTop = solidTexture(r, 32, 66, topColour);
    rig.streams.playbackMuted = false;
    return t.titleTexture && t.helpTexture && t.controlsTexture && t.fontTexture && t.arrowsNormal &&
           t.arrowsNone && t.arrowsUpLit && t.arrowsDownLit && t.arrowsBottom && t.arrowsTop;
}

void closeRig(Rig& rig)
{
    destroyOverlayTextures(rig.textures);
    closeSoftScreen(rig.screen);
}

bool drawFrame(Rig& rig, int inputDeviceIndex)
{
    fillSoftScreen(rig.screen, backdrop);
    SelectorRect selector = layoutSelector(rig.screen.display);
    return drawOverlays(rig.screen.display, rig.session, inputDeviceIndex, rig.params, rig.animation,
                        rig.streams, scriptedDevices, noSongs, rig.textures, selector);
}

bool wholeScreenIs(Rig& rig, uint32_t colour)
{
    const DisplayState& d = rig.screen.display;
    return rectIs(rig.screen, SDL_Rect{0, 0, d.drawableWidth, d.drawableHeight}, colour);
}

// The source name's row at 960 x 540: left 384, top 455, glyphs of 18 pixels.
std::string sourceName(Rig& rig, int count)
{
    return readCodedText(rig.screen, 384, 455, 18, count);
}

std::vector<ScriptedDevice> threeMicrophones()
{
    return {{"Mic A", 2}, {"Mic B", 1}, {"Mic C", 6}};
}

}  // namespace

TEST(TitleSelector, ShowsTheImageOfTheFirstConditionThatHolds)
{
    struct Case {
        std::vector<ScriptedDevice> devices;
        PaDeviceIndex defaultInput;
        int index;
        bool up;
        bool down;
        uint32_t expected;
        const char* what;
    };
    const std::vector<Case> cases = {
        {{}, paNoDevice, -2, false, false, noneColour, "no device at all, nothing selected"},
        {{}, paNoDevice, -1, false, false, normalColour, "no input device: the speakers are above the default"},
        {{}, paNoDevice, speakersSource, false, false, topColour, "no input device, the speakers selected"},
        {threeMicrophones(), 0, speakersSource, true, false, upLitColour, "speakers below three devices"},
        {threeMicrophones(), 0, 2, false, false, topColour, "third of three selected"},
        {threeMicrophones(), 0, 2, true, false, topColour, "top wins over a lit up arrow"},
        {threeMicrophones(), 0, -2, false, false, bottomColour, "nothing selected, a default exists"},
        {threeMicrophones(), paNoDevice, -2, false, true, noneColour, "nothing selected, no default"},
        {threeMicrophones(), 0, 0, true, false, upLitColour, "up arrow pressed"},
        {threeMicrophones(), 0, 0, false, true, downLitColour, "down arrow pressed"},
        {threeMicrophones(), 0, -1, false, false, normalColour, "default device among three"},
        {{{"In", 2}, {"Out", 0}, {"In 2", 2}}, 0, 1, false, false, topColour, "output-only devices do not count"},
    };
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    for (const Case& c : cases) {
        scriptDevices(c.devices, c.defaultInput);
        rig.session.upArrowPressed = c.up;
        rig.session.downArrowPressed = c.down;
        ASSERT_TRUE(drawFrame(rig, c.index)) << c.what;
        // The selector rectangle at 960 x 540 is (369, 452, 12, 24).
        EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{369, 452, 12, 24}, c.expected)) << c.what;
        EXPECT_EQ(pixelAt(rig.screen, 368, 460), titleColour) << c.what;
        EXPECT_EQ(pixelAt(rig.screen, 381, 460), titleColour) << c.what;
        EXPECT_EQ(pixelAt(rig.screen, 375, 476), titleColour) << c.what;
    }
    closeRig(rig);
}

TEST(TitleSourceName, NamesTheSourceOfEachMode)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    ASSERT_TRUE(drawFrame(rig, -2));
    EXPECT_EQ(sourceName(rig, 22), "No Audio Input Device#");
    rig.session.demoPlaying = true;
    ASSERT_TRUE(drawFrame(rig, -2));
    EXPECT_EQ(sourceName(rig, 11), "Demo Track#");
    rig.streams.playbackMuted = true;
    ASSERT_TRUE(drawFrame(rig, -2));
    EXPECT_EQ(sourceName(rig, 24), "N/A : Screen Saver Mode#");
    rig.session.demoPlaying = false;
    rig.streams.playbackMuted = false;
    ASSERT_TRUE(drawFrame(rig, -1));
    EXPECT_EQ(sourceName(rig, 25), "Default Recording Device#");
    ASSERT_TRUE(drawFrame(rig, 1));
    EXPECT_EQ(sourceName(rig, 6), "Mic B#");
    EXPECT_EQ(pixelAt(rig.screen, 384 + 5 * 18, 455), titleColour);
    closeRig(rig);
}

TEST(TitleSourceName, ShowsNoDeviceWhileTheChosenOneIsGone)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    scriptCaptureLost(true);
    ASSERT_TRUE(drawFrame(rig, 1));
    EXPECT_EQ(sourceName(rig, 22), "No Audio Input Device#");
    ASSERT_TRUE(drawFrame(rig, -1));
    EXPECT_EQ(sourceName(rig, 22), "No Audio Input Device#");
    scriptCaptureLost(false);
    ASSERT_TRUE(drawFrame(rig, 1));
    EXPECT_EQ(sourceName(rig, 6), "Mic B#");
    closeRig(rig);
}

TEST(TitleSourceName, NamesTheSpeakersWithTheirOutputDeviceCutToTheRow)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    scriptSpeakersName("");
    ASSERT_TRUE(drawFrame(rig, speakersSource));
    EXPECT_EQ(sourceName(rig, 9), "Speakers#");
    // Output names keep their parentheses: they tell two outputs of one card apart.
    scriptSpeakersName("Built-in Audio (HDMI 2)");
    ASSERT_TRUE(drawFrame(rig, speakersSource));
    EXPECT_EQ(sourceName(rig, 31), "Speakers: Built-in Audio (HDMI#");
    scriptSpeakersName("");
    closeRig(rig);
}

TEST(TitleSourceName, ShowsADeviceNameUpToItsParenthesisWithItsOwnGlyphs)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices({{"USB Mic (hw:1,0)", 2}, {"Bob's \"Mic\"", 2}, {"a~b`c", 1}}, 0);
    ASSERT_TRUE(drawFrame(rig, 0));
    EXPECT_EQ(sourceName(rig, 8), "USB Mic ");
    EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{384 + 8 * 18, 455, 18, 18}, titleColour));
    ASSERT_TRUE(drawFrame(rig, 1));
    EXPECT_EQ(sourceName(rig, 11), "Bob's \"Mic\"");
    ASSERT_TRUE(drawFrame(rig, 2));
    EXPECT_EQ(sourceName(rig, 5), "a b c");
    closeRig(rig);
}

TEST(TitleSourceName, DrawsNothingForASelectionWithoutADeviceOrAName)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    const SDL_Rect labelRow{384, 455, 546, 18};
    ASSERT_TRUE(drawFrame(rig, 3));
    EXPECT_TRUE(rectIs(rig.screen, labelRow, titleColour));
    scriptMissingDeviceInfo(true);
    ASSERT_TRUE(drawFrame(rig, 0));
    EXPECT_TRUE(rectIs(rig.screen, labelRow, titleColour));
    closeRig(rig);
}

TEST(TitleSourceName, CutsAFortyCharacterNameToThirtyGlyphsAtBothSizes)
{
    const std::string forty = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";
    scriptDevices({{forty, 2}}, 0);
    Rig small;
    ASSERT_TRUE(openRig(small, 960, 540));
    ASSERT_TRUE(drawFrame(small, 0));
    EXPECT_EQ(sourceName(small, 31), forty.substr(0, 30) + "#");
    EXPECT_TRUE(rectIs(small.screen, SDL_Rect{924, 455, 36, 18}, titleColour));
    closeRig(small);
    Rig large;
    ASSERT_TRUE(openRig(large, 1920, 1080));
    ASSERT_TRUE(drawFrame(large, 0));
    // Left trunc(1920 x 0.40104166) = 769, top 910, glyphs of 36 pixels, the last ending at 1849.
    EXPECT_EQ(readCodedText(large.screen, 769, 910, 36, 30), forty.substr(0, 30));
    EXPECT_EQ(pixelAt(large.screen, 768, 910), titleColour);
    EXPECT_TRUE(rectIs(large.screen, SDL_Rect{1849, 910, 71, 36}, titleColour));
    closeRig(large);
}

TEST(TitleStatus, BlanksCoverTheWarningWordsInEveryOtherHalfSecond)
{
    scriptDevices(threeMicrophones(), 0);
    // At 960 x 540 seven squares of 18 pixels from x 829 fit before the window's edge at 955; at
    // 1920 x 1080 seven of 36 from x 1659 (trunc(1920 x 0.8645833)) up to 1911.
    for (int scale = 1; scale <= 2; ++scale) {
        Rig rig;
        ASSERT_TRUE(openRig(rig, 960 * scale, 540 * scale));
        int left = scale == 1 ? 829 : 1659, size = 18 * scale, end = left + 7 * size;
        // The director inverts blink at each new half second; frames of six half seconds in a row.
        for (int halfSecond = 0; halfSecond < 6; ++halfSecond) {
            rig.animation.blink = halfSecond % 2 == 1;
            ASSERT_TRUE(drawFrame(rig, -1));
            if (rig.animation.blink) {
                EXPECT_EQ(readCodedText(rig.screen, left, 0, size, 7), "       ") << halfSecond;
                EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{end, 0, 960 * scale - end, size}, titleColour));
            } else {
                EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{left, 0, 960 * scale - left, size}, titleColour));
            }
            EXPECT_EQ(pixelAt(rig.screen, left - 1, 0), titleColour);
        }
        closeRig(rig);
    }
}

TEST(TitleStatus, ShowsTheSilenceNoticeInsteadOfTheBlinkInTheVisualization)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    rig.session.visualizing = true;
    rig.params.fade = 0.0f;
    rig.animation.blink = true;
    ASSERT_TRUE(drawFrame(rig, -1));
    // From x 649, 17 glyphs of 18 pixels fit: the notice and one of its trailing blanks.
    EXPECT_EQ(readCodedText(rig.screen, 649, 0, 18, 17), "Silence Detected ");
    EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{955, 0, 5, 18}, titleColour));
    EXPECT_EQ(pixelAt(rig.screen, 648, 0), titleColour);
    closeRig(rig);
    Rig large;
    ASSERT_TRUE(openRig(large, 1920, 1080));
    large.session.visualizing = true;
    ASSERT_TRUE(drawFrame(large, -1));
    EXPECT_EQ(readCodedText(large.screen, 1299, 0, 36, 17), "Silence Detected ");
    EXPECT_TRUE(rectIs(large.screen, SDL_Rect{1911, 0, 9, 36}, titleColour));
    closeRig(large);
}

TEST(DrawOverlays, HelpAndControlsCoverTheTitleScreenAndTheFractal)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    for (float fade : {0.0f, 0.01f}) {
        rig.session.visualizing = true;
        rig.params.fade = fade;
        rig.session.showHelp = false;
        rig.session.showControls = false;
        // With fade above 0 the frame is the fractal's: nothing is drawn.
        EXPECT_EQ(drawFrame(rig, -1), fade == 0.0f);
        EXPECT_TRUE(wholeScreenIs(rig, backdrop) || fade == 0.0f);
        EXPECT_EQ(pixelAt(rig.screen, 959, 539), fade == 0.0f ? titleColour : backdrop);
        rig.session.showHelp = true;
        EXPECT_TRUE(drawFrame(rig, -1));
        EXPECT_TRUE(wholeScreenIs(rig, helpColour)) << "fade " << fade;
        rig.session.showHelp = false;
        rig.session.showControls = true;
        EXPECT_TRUE(drawFrame(rig, -1));
        EXPECT_TRUE(wholeScreenIs(rig, controlsColour)) << "fade " << fade;
    }
    rig.session.visualizing = false;
    rig.params.fade = 0.5f;
    rig.session.showControls = false;
    EXPECT_TRUE(drawFrame(rig, -1));
    EXPECT_EQ(pixelAt(rig.screen, 0, 0), titleColour);
    closeRig(rig);
}

TEST(DrawOverlays, FallsThroughWhenAScreenCannotBeShown)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    SoftScreen other;
    ASSERT_TRUE(openSoftScreen(other, 16, 16, 0));
    // A title of another renderer: its copy fails and the frame goes to the fractal.
    SDL_Texture* title = rig.textures.titleTexture;
    rig.textures.titleTexture = solidTexture(other.renderer, 960, 540, titleColour);
    EXPECT_FALSE(drawFrame(rig, -1));
    EXPECT_TRUE(wholeScreenIs(rig, backdrop));
    SDL_DestroyTexture(rig.textures.titleTexture);
    rig.textures.titleTexture = nullptr;
    EXPECT_FALSE(drawFrame(rig, -1));
    EXPECT_TRUE(wholeScreenIs(rig, backdrop));
    rig.textures.titleTexture = title;
    SDL_DestroyTexture(rig.textures.helpTexture);
    rig.textures.helpTexture = nullptr;
    rig.session.showHelp = true;
    EXPECT_FALSE(drawFrame(rig, -1));
    EXPECT_TRUE(wholeScreenIs(rig, backdrop));
    rig.session.showHelp = false;
    SDL_DestroyTexture(rig.textures.controlsTexture);
    rig.textures.controlsTexture = nullptr;
    rig.session.showControls = true;
    EXPECT_FALSE(drawFrame(rig, -1));
    EXPECT_TRUE(wholeScreenIs(rig, backdrop));
    closeSoftScreen(other);
    closeRig(rig);
}

TEST(DrawOverlays, LeavesOutTheTextOrTheSelectorWhoseTextureIsMissing)
{
    Rig rig;
    ASSERT_TRUE(openRig(rig, 960, 540));
    scriptDevices(threeMicrophones(), 0);
    SDL_DestroyTexture(rig.textures.fontTexture);
    rig.textures.fontTexture = nullptr;
    ASSERT_TRUE(drawFrame(rig, -1));
    EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{369, 452, 12, 24}, normalColour));
    EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{384, 455, 546, 18}, titleColour));
    rig.textures.fontTexture = codedFontTexture(rig.screen.renderer);
    SDL_DestroyTexture(rig.textures.arrowsNormal);
    rig.textures.arrowsNormal = nullptr;
    ASSERT_TRUE(drawFrame(rig, -1));
    EXPECT_TRUE(rectIs(rig.screen, SDL_Rect{369, 452, 12, 24}, titleColour));
    EXPECT_EQ(sourceName(rig, 24), "Default Recording Device");
    closeRig(rig);
}
