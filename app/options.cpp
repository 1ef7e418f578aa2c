// Reads the command-line options.
#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/remembered_view.h"

namespace {

// Any larger number than there are monitors opens on the first, so only the type limits it.
constexpr long largestDisplayNumber = 1L << 30;

// A whole number from low to high, or keep when the word is none.
int wholeNumberOr(const char* word, long low, long high, int keep)
{
    if (word == nullptr || *word < '0' || *word > '9') return keep;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return keep;
    return static_cast<int>(value);
}

}  // namespace

StartOptions readOptions(int argc, const char* const* argv)
{
    StartOptions options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (word == nullptr || word[0] == '\0') {
            continue;
        }
        if (optionsEnded || word[0] != '-') {
            options.songs.emplace_back(word);
        } else if (std::strcmp(word, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(word, "--fullscreen") == 0 || std::strcmp(word, "-f") == 0) {
            options.fullscreen = true;
        } else if (std::strcmp(word, "--viz") == 0 || std::strcmp(word, "-v") == 0) {
            options.visualizing = true;
        } else if (std::strcmp(word, "--speakers") == 0 || std::strcmp(word, "-s") == 0) {
            options.speakers = true;
        } else if (std::strcmp(word, "--display") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            options.displayNumber = wholeNumberOr(value, 1, largestDisplayNumber, options.displayNumber);
        } else if (std::strcmp(word, "--fps") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            options.frameRateCap = wholeNumberOr(value, 0, largestFrameRateCap, options.frameRateCap);
        }
    }
    return options;
}
