// The size of the text on the title, help and controls screens, from the generator's record of every
// text it painted: each stays legible when the screen is shown at half of 1920 x 1080.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assets/embedded_images.h"

namespace {

struct PaintedText {
    std::string image;
    int capHeight = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

std::vector<PaintedText> paintedTexts()
{
    std::vector<PaintedText> texts;
    std::ifstream file(QUASARINE_IMAGE_TEXTS);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        PaintedText text;
        if (fields >> text.image >> text.capHeight >> text.x >> text.y >> text.width >> text.height) {
            texts.push_back(text);
        }
    }
    return texts;
}

// Capitals of 20 rows in a 1080-row image: 10 rows at 960 x 540, 7 at 683 x 384.
bool legible(const PaintedText& text, int imageHeight)
{
    return text.capHeight * 1080 >= 20 * imageHeight;
}

// The warning's letters are bound to rows 7 to 16 of the title image, where the program's blanks
// cover them in turn; no other text is exempt.
bool inWarningBand(const PaintedText& text)
{
    return text.image == "title" && text.x >= 650 && text.y + text.height <= 18;
}

int countLegibleTexts(const std::vector<PaintedText>& texts, const char* image, int imageHeight)
{
    int count = 0;
    for (const PaintedText& text : texts) {
        if (text.image != image || inWarningBand(text)) {
            continue;
        }
        EXPECT_TRUE(legible(text, imageHeight))
            << image << ": text at " << text.x << "," << text.y << " (" << text.width << " x " << text.height
            << ") has capitals of " << text.capHeight << " rows in an image of " << imageHeight << " rows";
        count += 1;
    }
    return count;
}

}  // namespace

TEST(ScreenTexts, AreAllLargeEnoughToReadAtHalfSize)
{
    std::vector<PaintedText> texts = paintedTexts();
    EXPECT_GE(countLegibleTexts(texts, "title", titleImage().height), 8);
    EXPECT_GE(countLegibleTexts(texts, "help", helpImage().height), 20);
    EXPECT_GE(countLegibleTexts(texts, "controls", controlsImage().height), 14);
}

// The help screen's columns open with the Speakers source in a frame below the headings (rows 152 to
// 378, Linux at x 40 to 980, Windows at x 1010 to 1900): its first line, the source row's label and
// name, "or start with" and the command lie inside the frame, and no text of the column lies between
// the heading (whose ink begins above row 145) and the frame.
TEST(ScreenTexts, HelpColumnsLeadWithTheSpeakersSource)
{
    struct Column {
        int left;
        int right;
    };
    const Column columns[] = {{40, 980}, {1010, 1900}};
    std::vector<PaintedText> texts = paintedTexts();
    for (const Column& column : columns) {
        int inFrame = 0, aboveFrame = 0;
        for (const PaintedText& text : texts) {
            bool inColumn = text.x >= column.left && text.x + text.width <= column.right;
            if (text.image != "help" || !inColumn || text.y < 145) {
                continue;
            }
            inFrame += text.y >= 152 && text.y + text.height <= 378 ? 1 : 0;
            aboveFrame += text.y < 152 ? 1 : 0;
        }
        EXPECT_EQ(inFrame, 5) << "column from x " << column.left;
        EXPECT_EQ(aboveFrame, 0) << "column from x " << column.left;
    }
}

TEST(ScreenTexts, RecordTheHeightOfTheCapitalsAsPainted)
{
    // "SOUND COMES FROM:" is all capitals fitted to rows 455 to 473: its ink is its cap height.
    bool found = false;
    for (const PaintedText& text : paintedTexts()) {
        if (text.image == "title" && text.x == 43 && text.y == 455) {
            EXPECT_EQ(text.capHeight, 19);
            EXPECT_EQ(text.height, 19);
            found = true;
        }
    }
    EXPECT_TRUE(found) << "the source label is missing from the record";
}
