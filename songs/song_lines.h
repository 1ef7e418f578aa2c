// The lines the title screen shows for songs: the source label and the notice of a file that will
// not play. Pure text helpers.
#pragma once
#include <cstddef>

// The part of path after its last folder separator ('/' or, for Windows paths, '\').
const char* songFileName(const char* path);

// "Song 2 of 5: Title – Artist" with index counted from 0; the file name stands in for a missing
// title, and the dash and artist are left out when there is no artist.
void formatSongLabel(char* text, size_t capacity, int index, int count, const char* title,
                     const char* artist, const char* path);

// "Cannot play NAME: reason" for a song reader's code (platform/exit_codes.h) or songNoOutput.
void formatCannotPlay(char* text, size_t capacity, const char* path, int code);
