// Reads the command-line options.
#include "app/options.h"

#include <cstring>

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
        }
    }
    return options;
}
