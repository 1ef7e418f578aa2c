// The song source's label and the line shown for a file that will not play.
#include "songs/song_lines.h"

#include <cstdio>
#include <cstring>

#include "platform/exit_codes.h"

namespace {

const char* reasonFor(int code)
{
    switch (code) {
    case codeSongMissing: return "no such file";
    case codeSongIsFolder: return "it is a folder";
    case codeSongUnreadable: return "permission denied";
    case codeNotSound:
    case codeNoAudioStream: return "not a sound file";
    default: return "no sound output";
    }
}

}  // namespace

const char* songFileName(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at != '\0'; ++at) {
        if (*at == '/' || *at == '\\') name = at + 1;
    }
    return name;
}

void formatSongLabel(char* text, size_t capacity, int index, int count, const char* title,
                     const char* artist, const char* path)
{
    const char* shown = title[0] != '\0' ? title : songFileName(path);
    if (artist[0] == '\0') {
        std::snprintf(text, capacity, "Song %d of %d: %s", index + 1, count, shown);
    } else {
        std::snprintf(text, capacity, "Song %d of %d: %s \xE2\x80\x93 %s", index + 1, count, shown, artist);
    }
}

void formatCannotPlay(char* text, size_t capacity, const char* path, int code)
{
    std::snprintf(text, capacity, "Cannot play %s: %s", songFileName(path), reasonFor(code));
}
