// The generated images as the program embeds them: sizes, storage, the font strip's cells, the
// selector triangles and the regions of the title image that the overlays draw over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "assets/embedded_images.h"

namespace {

struct Rgb {
    int r;
    int g;
    int b;
};

Rgb pixel(const EmbeddedImage& image, int x, int y)
{
    const unsigned char* p = image.pixels + (static_cast<size_t>(y) * image.width + x) * 3;
    return Rgb{p[2], p[1], p[0]};
}

bool isBlack(Rgb c)
{
    return c.r == 0 && c.g == 0 && c.b == 0;
}

// Inked pixels' bounding box within a region; empty (right < left) when the region is black.
struct Bounds {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
};

Bounds inkBounds(const EmbeddedImage& image, int x0, int y0, int x1, int y1)
{
    Bounds b;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!isBlack(pixel(image, x, y))) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
        }
    }
    return b;
}

std::vector<EmbeddedImage> imagesInStorageOrder()
{
    return {iconImage(), titleImage(), helpImage(), controlsImage(), fontStripImage(),
            arrowsNormalImage(), arrowsNoneImage(), arrowsTopImage(), arrowsBottomImage(),
            arrowsDownLitImage(), arrowsUpLitImage()};
}

const Rgb enabled{34, 177, 76};
const Rgb disabled{195, 195, 195};
const Rgb lit{0, 255, 0};

bool same(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// Checks one triangle of a selector image: its colour, its rows and a base of columns 7 to 23.
void expectTriangle(const EmbeddedImage& image, int apexRow, int baseRow, Rgb colour, const char* what)
{
    int step = baseRow > apexRow ? 1 : -1;
    int previousWidth = 0;
    for (int row = apexRow; row != baseRow + step; row += step) {
        Bounds b = inkBounds(image, 0, row, 31, row);
        ASSERT_GE(b.right, b.left) << what << " row " << row;
        EXPECT_EQ(b.left + b.right, 30) << what << ": row " << row << " is not centred on column 15";
        EXPECT_GE(b.right - b.left + 1, previousWidth) << what << " row " << row;
        previousWidth = b.right - b.left + 1;
        for (int x = b.left; x <= b.right; ++x) {
            ASSERT_TRUE(same(pixel(image, x, row), colour)) << what << " at " << x << "," << row;
        }
    }
    Bounds apex = inkBounds(image, 0, apexRow, 31, apexRow);
    EXPECT_EQ(apex.left, 15) << what;
    EXPECT_EQ(apex.right, 15) << what;
    Bounds base = inkBounds(image, 0, baseRow, 31, baseRow);
    EXPECT_EQ(base.left, 7) << what;
    EXPECT_EQ(base.right, 23) << what;
}

}  // namespace

TEST(EmbeddedImages, HaveTheirSizesAndFollowOneAnother)
{
    const int widths[] = {16, 960, 1920, 960, 2976, 32, 32, 32, 32, 32, 32};
    const int heights[] = {16, 540, 1080, 540, 32, 66, 66, 66, 66, 66, 66};
    std::vector<EmbeddedImage> images = imagesInStorageOrder();
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].width, widths[i]) << "image " << i;
        EXPECT_EQ(images[i].height, heights[i]) << "image " << i;
        ASSERT_NE(images[i].pixels, nullptr);
    }
    // Stored back to back without padding, so each image's bytes run up to the next image.
    for (size_t i = 0; i + 1 < images.size(); ++i) {
        auto from = reinterpret_cast<uintptr_t>(images[i].pixels);
        auto to = reinterpret_cast<uintptr_t>(images[i + 1].pixels);
        EXPECT_EQ(to - from, static_cast<uintptr_t>(widths[i]) * heights[i] * 3) << "image " << i;
    }
}

TEST(FontStrip, IsPureWhiteOnPureBlack)
{
    EmbeddedImage strip = fontStripImage();
    long white = 0;
    for (int y = 0; y < strip.height; ++y) {
        for (int x = 0; x < strip.width; ++x) {
            Rgb c = pixel(strip, x, y);
            bool pure = isBlack(c) || (c.r == 255 && c.g == 255 && c.b == 255);
            ASSERT_TRUE(pure) << "pixel " << x << "," << y;
            white += isBlack(c) ? 0 : 1;
        }
    }
    EXPECT_GT(white, 92 * 20);
}

TEST(FontStrip, EachGlyphLiesInsideItsCellAndTheLastCellIsBlank)
{
    EmbeddedImage strip = fontStripImage();
    std::set<std::vector<bool>> shapes;
    for (int cell = 0; cell < 93; ++cell) {
        Bounds b = inkBounds(strip, 32 * cell, 0, 32 * cell + 31, 31);
        if (cell == 92) {
            EXPECT_LT(b.right, b.left) << "the blank cell has ink";
            continue;
        }
        ASSERT_GE(b.right, b.left) << "cell " << cell << " is empty";
        // A black margin of one pixel: no glyph touches its cell's edge or runs into a neighbour.
        EXPECT_GT(b.left, 32 * cell) << "cell " << cell;
        EXPECT_LT(b.right, 32 * cell + 31) << "cell " << cell;
        EXPECT_GT(b.top, 0) << "cell " << cell;
        EXPECT_LT(b.bottom, 31) << "cell " << cell;
        std::vector<bool> shape;
        for (int i = 0; i < 32 * 32; ++i) {
            shape.push_back(!isBlack(pixel(strip, 32 * cell + i % 32, i / 32)));
        }
        shapes.insert(shape);
    }
    EXPECT_EQ(shapes.size(), 92u) << "two cells hold the same glyph";
}

TEST(FontStrip, CellsHoldTheirCharactersInTheListedOrder)
{
    EmbeddedImage strip = fontStripImage();
    auto cellBounds = [&strip](int cell) { return inkBounds(strip, 32 * cell, 0, 32 * cell + 31, 31); };
    Bounds minus = cellBounds(89), bar = cellBounds(87), underscore = cellBounds(91);
    Bounds dot = cellBounds(73), caret = cellBounds(67), letterX = cellBounds(49);
    // Shapes measured against the capital X: '-' is wide and flat, '|' tall and thin, '_' flat
    // below the baseline, '.' small near the baseline, '^' small in the upper half.
    int xWidth = letterX.right - letterX.left + 1, xHeight = letterX.bottom - letterX.top + 1;
    EXPECT_GE(xHeight, 16);
    EXPECT_LT(4 * (minus.bottom - minus.top + 1), xHeight);
    EXPECT_GT(2 * (minus.right - minus.left + 1), xWidth);
    EXPECT_LT(3 * (bar.right - bar.left + 1), xWidth);
    EXPECT_GT(bar.bottom - bar.top + 1, xHeight);
    EXPECT_LT(4 * (underscore.bottom - underscore.top + 1), xHeight);
    EXPECT_GT(underscore.top, letterX.bottom);
    EXPECT_LT(3 * (dot.bottom - dot.top + 1), xHeight);
    EXPECT_GE(dot.bottom, letterX.bottom - 1);
    EXPECT_LE(caret.bottom, (letterX.top + letterX.bottom) / 2);
}

TEST(SelectorImages, ShowTheArrowsInTheirColours)
{
    struct Case {
        EmbeddedImage image;
        Rgb up;
        Rgb down;
        const char* what;
    };
    const Case cases[] = {
        {arrowsNormalImage(), enabled, enabled, "arrowsNormal"},
        {arrowsNoneImage(), disabled, disabled, "arrowsNone"},
        {arrowsTopImage(), disabled, enabled, "arrowsTop"},
        {arrowsBottomImage(), enabled, disabled, "arrowsBottom"},
        {arrowsDownLitImage(), enabled, lit, "arrowsDownLit"},
        {arrowsUpLitImage(), lit, enabled, "arrowsUpLit"},
    };
    for (const Case& c : cases) {
        expectTriangle(c.image, 6, 24, c.up, c.what);
        expectTriangle(c.image, 59, 41, c.down, c.what);
        Bounds above = inkBounds(c.image, 0, 0, 31, 5);
        Bounds between = inkBounds(c.image, 0, 25, 31, 40);
        Bounds below = inkBounds(c.image, 0, 60, 31, 65);
        Bounds sides = inkBounds(c.image, 0, 0, 6, 65);
        EXPECT_LT(above.right, above.left) << c.what;
        EXPECT_LT(between.right, between.left) << c.what;
        EXPECT_LT(below.right, below.left) << c.what;
        EXPECT_LT(sides.right, sides.left) << c.what;
    }
}

TEST(TitleImage, KeepsTheTopBandForTheWarningAlone)
{
    EmbeddedImage title = titleImage();
    Bounds band = inkBounds(title, 650, 0, 959, 17);
    EXPECT_GE(band.left, 712);
    EXPECT_LE(band.right, 939);
    EXPECT_GE(band.top, 7);
    EXPECT_LE(band.bottom, 16);
    // FLASHING begins at x 838: the blanks from x 829 find nothing before it.
    Bounds covered = inkBounds(title, 829, 0, 959, 17);
    EXPECT_EQ(covered.left, 838);
    Bounds warning = inkBounds(title, 650, 0, 828, 17);
    EXPECT_LE(warning.left, 720) << "the warning's first words are missing";
    EXPECT_GE(covered.right, 930) << "the warning's last word is missing";
}

TEST(TitleImage, WritesTheWarningInWhiteAndItsLastWordsInRainbowColours)
{
    EmbeddedImage title = titleImage();
    int colouredHues[6] = {};
    for (int y = 7; y <= 16; ++y) {
        for (int x = 712; x <= 939; ++x) {
            Rgb c = pixel(title, x, y);
            int brightest = std::max({c.r, c.g, c.b}), darkest = std::min({c.r, c.g, c.b});
            if (x < 829 && brightest > 0) {
                EXPECT_LE(brightest - darkest, 8) << "the warning word is not white at " << x << "," << y;
            }
            if (x >= 838 && brightest > 160 && brightest - darkest > 120) {
                int hue = c.r == brightest ? (c.g >= c.b ? 0 : 5) : c.g == brightest ? (c.b >= c.r ? 2 : 1) : (c.r >= c.g ? 4 : 3);
                colouredHues[hue] += 1;
            }
        }
    }
    int huesShown = 0;
    for (int count : colouredHues) {
        huesShown += count > 3 ? 1 : 0;
    }
    EXPECT_GE(huesShown, 4);
}

TEST(TitleImage, KeepsTheLabelRowAndTheFreeBandForTheSelector)
{
    EmbeddedImage title = titleImage();
    Bounds label = inkBounds(title, 0, 448, 356, 479);
    EXPECT_EQ(label.left, 43);
    EXPECT_EQ(label.right, 356);
    EXPECT_EQ(label.top, 455);
    EXPECT_EQ(label.bottom, 473);
    Bounds band = inkBounds(title, 357, 448, 959, 479);
    EXPECT_LT(band.right, band.left) << "ink at " << band.left << "," << band.top;
}

TEST(IconImage, IsAMulticolouredFractalOnBlack)
{
    EmbeddedImage icon = iconImage();
    EXPECT_TRUE(isBlack(pixel(icon, 0, 0)));
    EXPECT_TRUE(isBlack(pixel(icon, 15, 0)));
    EXPECT_TRUE(isBlack(pixel(icon, 0, 15)));
    EXPECT_TRUE(isBlack(pixel(icon, 15, 15)));
    std::set<int> dominant;
    int lit = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            Rgb c = pixel(icon, x, y);
            int top = std::max({c.r, c.g, c.b});
            lit += top > 60 ? 1 : 0;
            if (top > 60) {
                dominant.insert(c.r == top ? 0 : c.g == top ? 1 : 2);
            }
        }
    }
    EXPECT_GE(lit, 80);
    EXPECT_EQ(dominant.size(), 3u) << "red, green and blue should each lead somewhere";
}
