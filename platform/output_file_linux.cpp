// Temporary files and their publishing on Linux.
#include "platform/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

PathKind pathKind(const char* path)
{
    struct stat status;
    if (stat(path, &status) != 0) return PathKind::missing;
    return S_ISDIR(status.st_mode) ? PathKind::folder : PathKind::file;
}

void folderOf(const char* path, char* folder, size_t capacity)
{
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) {
        std::snprintf(folder, capacity, ".");
    } else if (slash == path) {
        std::snprintf(folder, capacity, "/");
    } else {
        std::snprintf(folder, capacity, "%.*s", static_cast<int>(slash - path), path);
    }
}

bool temporaryPathFor(const char* output, char* temporary, size_t capacity)
{
    const int written = std::snprintf(temporary, capacity, "%s.%ld.part", output, static_cast<long>(getpid()));
    return written > 0 && static_cast<size_t>(written) < capacity;
}

PublishResult publishFile(const char* temporary, const char* output, bool replace)
{
    if (replace) return std::rename(temporary, output) == 0 ? publishDone : publishFailed;
    // A hard link fails when the name exists, so a file that appeared meanwhile is never replaced.
    if (link(temporary, output) == 0) {
        unlink(temporary);
        return publishDone;
    }
    if (errno == EEXIST) return publishExists;
    // File systems without hard links: the check and the rename are then two steps.
    if (pathKind(output) != PathKind::missing) return publishExists;
    return std::rename(temporary, output) == 0 ? publishDone : publishFailed;
}

void removeFile(const char* path)
{
    unlink(path);
}
