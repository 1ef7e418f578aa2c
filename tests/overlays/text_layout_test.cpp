// The selector's layout, the glyph cells and the cut rules of drawText, drawn by a software renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "overlays/overlays.h"
#include "assets/font_cells.h"
#include "tests/overlays/soft_screen.h"

namespace {

constexpr uint32_t backdrop = 0x010203;

// A screen with the coded font; every test checks that both were made.
struct TextScreen {
    SoftScreen screen;
    SDL_Texture* font = nullptr;
};

bool openTextScreen(TextScreen& text, int width, int height)
{
    if (!openSoftScreen(text.screen, width, height, backdrop)) {
        return false;
    }
    text.font = codedFontTexture(text.screen.renderer);
    return text.font != nullptr;
}

void closeTextScreen(TextScreen& text)
{
    if (text.font != nullptr) {
        SDL_DestroyTexture(text.font);
        text.font = nullptr;
    }
    closeSoftScreen(text.screen);
}

bool untouched(TextScreen& text)
{
    SoftScreen& s = text.screen;
    return rectIs(s, SDL_Rect{0, 0, s.display.drawableWidth, s.display.drawableHeight}, backdrop);
}

}  // namespace

TEST(LayoutSelector, ScalesWithTheDrawable)
{
    DisplayState display;
    display.drawableWidth = 960;
    display.drawableHeight = 540;
    SelectorRect small = layoutSelector(display);
    EXPECT_EQ(small.x, 369);
    EXPECT_EQ(small.y, 452);
    EXPECT_EQ(small.width, 12);
    EXPECT_EQ(small.height, 24);
    display.drawableWidth = 1920;
    display.drawableHeight = 1080;
    SelectorRect large = layoutSelector(display);
    EXPECT_EQ(large.x, 739);
    EXPECT_EQ(large.y, 905);
    EXPECT_EQ(large.width, 24);
    EXPECT_EQ(large.height, 48);
    // Products are truncated: 1366 x 0.38541666 = 526.48, 768 x 0.8388889 = 644.27, 768 x 0.0444 = 34.13.
    display.drawableWidth = 1366;
    display.drawableHeight = 768;
    SelectorRect laptop = layoutSelector(display);
    EXPECT_EQ(laptop.x, 526);
    EXPECT_EQ(laptop.y, 644);
    EXPECT_EQ(laptop.height, 34);
    EXPECT_EQ(laptop.width, 17);
    // An odd height, 563 x 0.0444 = 25.02: the width is half of it by integer division.
    display.drawableHeight = 563;
    SelectorRect odd = layoutSelector(display);
    EXPECT_EQ(odd.height, 25);
    EXPECT_EQ(odd.width, 12);
}

TEST(GlyphCell, EveryListedCharacterHasItsCell)
{
    for (int cell = 0; cell < blankFontCell; ++cell) {
        SDL_Rect rect = glyphCell(static_cast<unsigned char>(fontCellOrder[cell]));
        EXPECT_EQ(rect.x, 32 * cell) << "character " << fontCellOrder[cell];
        EXPECT_EQ(rect.y, 0);
        EXPECT_EQ(rect.w, 32);
        EXPECT_EQ(rect.h, 32);
    }
    // The shared table against the strip's published layout: landmarks of each run, the blank last.
    EXPECT_EQ(blankFontCell, 92);
    EXPECT_EQ(glyphCell('a').x, 0);
    EXPECT_EQ(glyphCell('A').x, 32 * 26);
    EXPECT_EQ(glyphCell('0').x, 32 * 52);
    EXPECT_EQ(glyphCell('!').x, 32 * 62);
    EXPECT_EQ(glyphCell('\\').x, 32 * 78);
    EXPECT_EQ(glyphCell('\'').x, 32 * 81);
    EXPECT_EQ(glyphCell('"').x, 32 * 82);
    EXPECT_EQ(glyphCell('_').x, 32 * 91);
}

TEST(GlyphCell, EveryOtherByteIsTheBlank)
{
    int blanks = 0;
    for (int byte = 0; byte < 256; ++byte) {
        bool listed = byte != 0 && std::strchr(fontCellOrder, byte) != nullptr;
        if (!listed) {
            SDL_Rect rect = glyphCell(static_cast<unsigned char>(byte));
            EXPECT_EQ(rect.x, 32 * blankFontCell) << "byte " << byte;
            EXPECT_EQ(rect.w, 32);
            blanks += 1;
        }
    }
    // 256 bytes less the 92 listed characters.
    EXPECT_EQ(blanks, 164);
    EXPECT_EQ(glyphCell(' ').x, 32 * blankFontCell);
    EXPECT_EQ(glyphCell('~').x, 32 * blankFontCell);
    EXPECT_EQ(glyphCell('`').x, 32 * blankFontCell);
}

TEST(DrawText, ReadsUtf8OneCellPerCharacterWithAccentsAndTypographicDashesPlain)
{
    TextScreen text;
    ASSERT_TRUE(openTextScreen(text, 960, 540));
    // é, an en dash, a right quote, a Greek letter, a stray continuation byte, and a cut sequence.
    drawText("Caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x99\xCE\xB1\x80z\xE2\x80", text.font, '\0', text.screen.display,
             0.1f, 0.2f, 0.05f, 1.0f);
    EXPECT_EQ(readCodedText(text.screen, 96, 108, 27, 12), "Cafe - '  z ");
    EXPECT_EQ(pixelAt(text.screen, 96 + 12 * 27, 108), backdrop);
    closeTextScreen(text);
}

TEST(DrawText, PlacesSquareGlyphsFromTheFractions)
{
    TextScreen text;
    ASSERT_TRUE(openTextScreen(text, 960, 540));
    // left trunc(960 x 0.1) = 96, top trunc(540 x 0.2) = 108, size trunc(540 x 0.05) = 27.
    drawText("Ab'~z", text.font, '\0', text.screen.display, 0.1f, 0.2f, 0.05f, 1.0f);
    EXPECT_EQ(readCodedText(text.screen, 96, 108, 27, 5), "Ab' z");
    EXPECT_EQ(pixelAt(text.screen, 95, 108), backdrop);
    EXPECT_EQ(pixelAt(text.screen, 96 + 5 * 27, 108), backdrop);
    EXPECT_EQ(pixelAt(text.screen, 96, 107), backdrop);
    EXPECT_EQ(pixelAt(text.screen, 96, 108 + 27), backdrop);
    closeTextScreen(text);
}

TEST(DrawText, CutsBeforeTheStopCharacter)
{
    TextScreen text;
    ASSERT_TRUE(openTextScreen(text, 960, 540));
    drawText("Line 6 (ALSA)", text.font, '(', text.screen.display, 0.1f, 0.2f, 0.05f, 1.0f);
    EXPECT_EQ(readCodedText(text.screen, 96, 108, 27, 7), "Line 6 ");
    EXPECT_EQ(pixelAt(text.screen, 96 + 7 * 27, 108), backdrop);
    fillSoftScreen(text.screen, backdrop);
    drawText("no parenthesis", text.font, '(', text.screen.display, 0.1f, 0.2f, 0.05f, 1.0f);
    EXPECT_EQ(readCodedText(text.screen, 96, 108, 27, 14), "no parenthesis");
    fillSoftScreen(text.screen, backdrop);
    drawText("(ALSA)", text.font, '(', text.screen.display, 0.1f, 0.2f, 0.05f, 1.0f);
    EXPECT_TRUE(untouched(text));
    drawText("", text.font, '\0', text.screen.display, 0.1f, 0.2f, 0.05f, 1.0f);
    EXPECT_TRUE(untouched(text));
    closeTextScreen(text);
}

TEST(DrawText, StopsAtTheLastWholeGlyphBeforeTheRightLimit)
{
    TextScreen text;
    ASSERT_TRUE(openTextScreen(text, 960, 540));
    // left 480, size 18 (540 x 0.0333), limit trunc(960 x 0.5375) = 516: exactly two glyphs fit.
    drawText("abc", text.font, '\0', text.screen.display, 0.5f, 0.1f, 0.033333335f, 0.5375f);
    EXPECT_EQ(readCodedText(text.screen, 480, 54, 18, 2), "ab");
    EXPECT_TRUE(rectIs(text.screen, SDL_Rect{516, 54, 18, 18}, backdrop));
    fillSoftScreen(text.screen, backdrop);
    // Limit 515: the second glyph would end one pixel past it.
    drawText("abc", text.font, '\0', text.screen.display, 0.5f, 0.1f, 0.033333335f, 0.5365f);
    EXPECT_EQ(readCodedText(text.screen, 480, 54, 18, 1), "a");
    EXPECT_TRUE(rectIs(text.screen, SDL_Rect{498, 54, 18, 18}, backdrop));
    closeTextScreen(text);
}

TEST(DrawText, DrawsNothingAtOrBeyondTheLimitOrBelowAPixel)
{
    TextScreen text;
    ASSERT_TRUE(openTextScreen(text, 960, 540));
    DisplayState& display = text.screen.display;
    drawText("abc", text.font, '\0', display, 0.5f, 0.1f, 0.05f, 0.5f);
    drawText("abc", text.font, '\0', display, 0.7f, 0.1f, 0.05f, 0.5f);
    // 540 x 0.0018 = 0.97: less than one pixel.
    drawText("abc", text.font, '\0', display, 0.1f, 0.1f, 0.0018f, 1.0f);
    drawText("abc", text.font, '\0', display, 0.1f, 0.1f, -0.05f, 1.0f);
    // A limit inside the first glyph.
    drawText("abc", text.font, '\0', display, 0.5f, 0.1f, 0.05f, 0.51f);
    drawText("abc", nullptr, '\0', display, 0.1f, 0.1f, 0.05f, 1.0f);
    EXPECT_TRUE(untouched(text));
    closeTextScreen(text);
}

TEST(DrawText, IgnoresFractionsThatGiveNoPixelPosition)
{
    TextScreen text;
    ASSERT_TRUE(openTextScreen(text, 960, 540));
    DisplayState& display = text.screen.display;
    float nan = std::numeric_limits<float>::quiet_NaN();
    float huge = 1e30f;
    drawText("abc", text.font, '\0', display, nan, 0.1f, 0.05f, 1.0f);
    drawText("abc", text.font, '\0', display, 0.1f, 0.1f, nan, 1.0f);
    drawText("abc", text.font, '\0', display, 0.1f, huge, 0.05f, 1.0f);
    drawText("abc", text.font, '\0', display, 0.1f, 0.1f, 0.05f, huge);
    EXPECT_TRUE(untouched(text));
    closeTextScreen(text);
}
