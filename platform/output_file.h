// Files written whole or not at all: a temporary name beside the output, renamed into place at the end.
#pragma once
#include <cstddef>

// What is at a path.
enum class PathKind { missing, file, folder };
PathKind pathKind(const char* path);

// The folder part of path ("." when it has none), cut to capacity - 1 bytes.
void folderOf(const char* path, char* folder, size_t capacity);

// A temporary name for output in its own folder, unique to this process. False when it does not fit.
bool temporaryPathFor(const char* output, char* temporary, size_t capacity);

// Renames temporary to output. Without replace an existing output is never touched: the result is
// then publishExists. The temporary file is gone after publishDone only.
enum PublishResult { publishDone, publishExists, publishFailed };
PublishResult publishFile(const char* temporary, const char* output, bool replace);

// Deletes a file; nothing happens when it is not there.
void removeFile(const char* path);
