// Temporary files and their publishing on Windows, with UTF-8 paths.
#include "platform/output_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// UTF-8 to the wide form the file API takes; false when it does not fit.
bool widePath(const char* path, wchar_t* wide, int capacity)
{
    return MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, capacity) > 0;
}

}  // namespace

PathKind pathKind(const char* path)
{
    wchar_t wide[MAX_PATH * 4];
    if (!widePath(path, wide, MAX_PATH * 4)) return PathKind::missing;
    const DWORD attributes = GetFileAttributesW(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::folder : PathKind::file;
}

void folderOf(const char* path, char* folder, size_t capacity)
{
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    if (backslash != nullptr && (slash == nullptr || backslash > slash)) slash = backslash;
    if (slash == nullptr) {
        std::snprintf(folder, capacity, ".");
    } else {
        std::snprintf(folder, capacity, "%.*s", static_cast<int>(slash - path + (slash == path)), path);
    }
}

bool temporaryPathFor(const char* output, char* temporary, size_t capacity)
{
    const int written = std::snprintf(temporary, capacity, "%s.%lu.part", output,
                                      static_cast<unsigned long>(GetCurrentProcessId()));
    return written > 0 && static_cast<size_t>(written) < capacity;
}

PublishResult publishFile(const char* temporary, const char* output, bool replace)
{
    wchar_t from[MAX_PATH * 4];
    wchar_t to[MAX_PATH * 4];
    if (!widePath(temporary, from, MAX_PATH * 4) || !widePath(output, to, MAX_PATH * 4)) return publishFailed;
    // Without the replace flag the move fails when the name exists.
    if (MoveFileExW(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0)) return publishDone;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? publishExists : publishFailed;
}

void removeFile(const char* path)
{
    wchar_t wide[MAX_PATH * 4];
    if (widePath(path, wide, MAX_PATH * 4)) DeleteFileW(wide);
}
