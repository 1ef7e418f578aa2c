// Image generator: makes the program's embedded images as raw blue-green-red files in one folder, and
// beside them texts.txt, the size and place of every text painted on the three screens.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/image_generator/artwork.h"

namespace {

// The program's list of embedded images, which each image written must match.
struct ListedImage {
    const char* file;
    int width;
    int height;
    bool written;
};

ListedImage listedImages[] = {
#define QUASARINE_IMAGE(name, symbol, file, width, height) {#file, width, height, false},
#include "assets/image_list.h"
#undef QUASARINE_IMAGE
};

// Marks the image as written; false when the list lacks it or gives it another size.
bool matchesList(const Canvas& canvas, const char* name)
{
    for (ListedImage& listed : listedImages) {
        if (std::strcmp(listed.file, name) != 0) continue;
        listed.written = listed.width == canvas.width && listed.height == canvas.height;
        if (!listed.written) std::fprintf(stderr, "%s is %dx%d, not as listed\n", name, canvas.width, canvas.height);
        return listed.written;
    }
    std::fprintf(stderr, "%s is not in the image list\n", name);
    return false;
}

int countUnwritten()
{
    int unwritten = 0;
    for (const ListedImage& listed : listedImages) {
        if (listed.written) continue;
        std::fprintf(stderr, "the listed image %s was not made\n", listed.file);
        unwritten += 1;
    }
    return unwritten;
}

int writeImage(const Canvas& canvas, const std::string& folder, const char* name)
{
    if (!matchesList(canvas, name)) return 1;
    std::string path = folder + "/" + name + ".raw";
    if (writeRawImage(canvas, path.c_str()) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

int writeSelectorImages(const std::string& folder)
{
    int failures = 0;
    failures += writeImage(makeSelectorImage(arrowEnabled, arrowEnabled), folder, "arrows_normal");
    failures += writeImage(makeSelectorImage(arrowDisabled, arrowDisabled), folder, "arrows_none");
    failures += writeImage(makeSelectorImage(arrowDisabled, arrowEnabled), folder, "arrows_top");
    failures += writeImage(makeSelectorImage(arrowEnabled, arrowDisabled), folder, "arrows_bottom");
    failures += writeImage(makeSelectorImage(arrowEnabled, arrowLit), folder, "arrows_down_lit");
    failures += writeImage(makeSelectorImage(arrowLit, arrowEnabled), folder, "arrows_up_lit");
    return failures;
}

// A screen's image and its painted texts.
int writeScreen(const Canvas& canvas, const std::string& folder, const char* name, std::FILE* texts)
{
    int failures = writeImage(canvas, folder, name);
    if (appendPaintedTexts(canvas, name, texts) != 0) {
        std::fprintf(stderr, "cannot write the texts of %s\n", name);
        failures += 1;
    }
    return failures;
}

int writeScreens(FontSet& fonts, const std::string& folder)
{
    std::string textsPath = folder + "/texts.txt";
    std::FILE* texts = std::fopen(textsPath.c_str(), "w");
    if (texts == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", textsPath.c_str());
        return 1;
    }
    int failures = 0;
    failures += writeImage(makeIconImage(), folder, "icon");
    failures += writeScreen(makeTitleImage(fonts), folder, "title", texts);
    failures += writeScreen(makeHelpImage(fonts), folder, "help", texts);
    failures += writeScreen(makeControlsImage(fonts), folder, "controls", texts);
    failures += writeImage(makeFontStrip(fonts), folder, "font_strip");
    failures += std::fclose(texts) == 0 ? 0 : 1;
    return failures;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
        return 2;
    }
    FontSet fonts;
    if (openFonts(fonts) != 0) {
        std::fprintf(stderr, "cannot open the DejaVu fonts\n");
        return 1;
    }
    int failures = writeScreens(fonts, argv[1]) + writeSelectorImages(argv[1]);
    closeFonts(fonts);
    failures += countUnwritten();
    return failures == 0 ? 0 : 1;
}
