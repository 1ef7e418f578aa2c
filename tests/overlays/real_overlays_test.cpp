// The overlays with the program's own textures: the embedded images uploaded to a software renderer,
// the real font on the real title screen, and the blink over the real warning line.
#include <gtest/gtest.h>

#include "overlays/overlays.h"
#include "tests/overlays/scripted_devices.h"
#include "tests/overlays/soft_screen.h"

namespace {
const SongSession noSongs;

SDL_Texture* const* textureSlots(const OverlayTextures& t, int i)
{
    SDL_Texture* const* slots[] = {&t.titleTexture, &t.helpTexture, &t.controlsTexture, &t.fontTexture,
                                   &t.arrowsNormal, &t.arrowsNone, &t.arrowsUpLit, &t.arrowsDownLit,
                                   &t.arrowsBottom, &t.arrowsTop};
    return slots[i];
}

// A title screen at the given size, drawn with the real textures.
struct RealTitle {
    SoftScreen screen;
    OverlayTextures textures;
    SessionState session;
    FractalParams params;
    AnimationState animation;
    StreamState streams;
};

bool openRealTitle(RealTitle& title, int width, int height)
{
    if (!openSoftScreen(title.screen, width, height, 0x010203)) {
        return false;
    }
    createOverlayTextures(title.screen.renderer, title.textures);
    title.streams.playbackMuted = false;
    return title.textures.titleTexture != nullptr && title.textures.fontTexture != nullptr;
}

void closeRealTitle(RealTitle& title)
{
    destroyOverlayTextures(title.textures);
    closeSoftScreen(title.screen);
}

bool drawRealTitle(RealTitle& title, int inputDeviceIndex)
{
    SelectorRect selector = layoutSelector(title.screen.display);
    return drawOverlays(title.screen.display, title.session, inputDeviceIndex, title.params,
                        title.animation, title.streams, scriptedDevices, noSongs, title.textures, selector);
}

}  // namespace

TEST(OverlayTextures, AreMadeFromEveryEmbeddedImageAndDestroyedInFull)
{
    SoftScreen screen;
    ASSERT_TRUE(openSoftScreen(screen, 64, 64, 0));
    OverlayTextures textures;
    createOverlayTextures(screen.renderer, textures);
    const int widths[] = {960, 1920, 960, 2976, 32, 32, 32, 32, 32, 32};
    const int heights[] = {540, 1080, 540, 32, 66, 66, 66, 66, 66, 66};
    for (int i = 0; i < 10; ++i) {
        SDL_Texture* texture = *textureSlots(textures, i);
        ASSERT_NE(texture, nullptr) << "texture " << i;
        int w = 0, h = 0;
        SDL_QueryTexture(texture, nullptr, nullptr, &w, &h);
        EXPECT_EQ(w, widths[i]) << "texture " << i;
        EXPECT_EQ(h, heights[i]) << "texture " << i;
        // The three full-window pictures are filtered when stretched; the font and the arrows keep
        // their exact pixels.
        SDL_ScaleMode mode = SDL_ScaleModeBest;
        ASSERT_EQ(SDL_GetTextureScaleMode(texture, &mode), 0);
        EXPECT_EQ(mode, i < 3 ? SDL_ScaleModeLinear : SDL_ScaleModeNearest) << "texture " << i;
    }
    destroyOverlayTextures(textures);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(*textureSlots(textures, i), nullptr) << "texture " << i;
    }
    // A second teardown finds nothing left to destroy.
    destroyOverlayTextures(textures);
    closeSoftScreen(screen);
}

TEST(OverlayTextures, StayAbsentWithoutARenderer)
{
    OverlayTextures textures;
    createOverlayTextures(nullptr, textures);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(*textureSlots(textures, i), nullptr) << "texture " << i;
    }
}

TEST(RealTitle, WritesTheSourceNameInWhiteGlyphsOnTheBlackBand)
{
    scriptDevices({{"Line 6 (ALSA)", 2}}, 0);
    for (int scale = 1; scale <= 2; ++scale) {
        RealTitle title;
        ASSERT_TRUE(openRealTitle(title, 960 * scale, 540 * scale));
        ASSERT_TRUE(drawRealTitle(title, 0));
        int size = 18 * scale, left = scale == 1 ? 384 : 769, top = scale == 1 ? 455 : 910;
        // "Line 6 ": six inked glyphs and a blank; nothing of the name after it.
        for (int j = 0; j < 7; ++j) {
            int ink = inkIn(title.screen, SDL_Rect{left + j * size, top, size, size});
            bool blank = j == 4 || j == 6;
            EXPECT_EQ(ink == 0, blank) << "glyph " << j << " at scale " << scale;
        }
        EXPECT_EQ(inkIn(title.screen, SDL_Rect{left + 7 * size, top, 20 * size, size}), 0);
        // Glyph pixels are the strip's own: pure white or pure black, nothing in between.
        SDL_Rect letterL{left, top, size, size};
        EXPECT_GT(inkIn(title.screen, letterL), size);
        for (int y = top; y < top + size; ++y) {
            for (int x = left; x < left + size; ++x) {
                uint32_t p = pixelAt(title.screen, x, y);
                ASSERT_TRUE(p == 0 || p == 0xFFFFFF) << x << "," << y;
            }
        }
        closeRealTitle(title);
    }
}

TEST(RealTitle, BlinkHidesFlashingLightsAndKeepsTheWarningWord)
{
    scriptDevices({{"Mic", 2}}, 0);
    for (int scale = 1; scale <= 2; ++scale) {
        RealTitle title;
        ASSERT_TRUE(openRealTitle(title, 960 * scale, 540 * scale));
        // "FLASHING LIGHTS" lies in x 838 to 939, rows 7 to 16 of the 960 x 540 image.
        SDL_Rect lastWords{838 * scale, 7 * scale, 102 * scale, 10 * scale};
        SDL_Rect firstWords{712 * scale, 7 * scale, 117 * scale, 10 * scale};
        title.animation.blink = false;
        ASSERT_TRUE(drawRealTitle(title, -1));
        EXPECT_GT(inkIn(title.screen, lastWords), 100 * scale * scale);
        int warningInk = inkIn(title.screen, firstWords);
        EXPECT_GT(warningInk, 100 * scale * scale);
        title.animation.blink = true;
        ASSERT_TRUE(drawRealTitle(title, -1));
        EXPECT_EQ(inkIn(title.screen, lastWords), 0) << "scale " << scale;
        EXPECT_EQ(inkIn(title.screen, firstWords), warningInk) << "scale " << scale;
        closeRealTitle(title);
    }
}
