// File helpers shared by the Linux platform code: making folders and writing a whole buffer.
#pragma once
#include <sys/types.h>

#include <cstddef>

// Makes the absolute folder path and its missing parents with that mode; true when it exists
// afterwards. The path is changed while it runs and restored.
bool makeFolders(char* path, mode_t mode);

// Writes all of text to the descriptor, going on after interruptions; false on any failure.
bool writeAll(int descriptor, const char* text, size_t length);
