// Making folders with mkdir and writing whole buffers with write.
#include "platform/files_linux.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool makeFolders(char* path, mode_t mode)
{
    for (char* p = path + 1; *p != '\0'; ++p) {
        if (*p != '/') continue;
        *p = '\0';
        const bool made = mkdir(path, mode) == 0 || errno == EEXIST;
        *p = '/';
        if (!made) return false;
    }
    return mkdir(path, mode) == 0 || errno == EEXIST;
}

bool writeAll(int descriptor, const char* text, size_t length)
{
    while (length > 0) {
        const ssize_t written = write(descriptor, text, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text += written;
        length -= size_t(written);
    }
    return true;
}
