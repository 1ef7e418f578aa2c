// The settings file under $XDG_CONFIG_HOME/quasarine (or ~/.config/quasarine), read and replaced
// with POSIX calls.
#include "platform/settings_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/files_linux.h"

namespace {

constexpr size_t pathCapacity = 4096;

// The folder of the program's settings; false when neither variable gives an absolute path.
bool settingsFolder(char* folder, size_t capacity)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    int written = -1;
    if (config != nullptr && config[0] == '/') {
        written = std::snprintf(folder, capacity, "%s/quasarine", config);
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/') return false;
        written = std::snprintf(folder, capacity, "%s/.config/quasarine", home);
    }
    return written > 0 && size_t(written) < capacity;
}

bool settingsPath(char* path, size_t capacity)
{
    char folder[pathCapacity];
    if (!settingsFolder(folder, sizeof folder)) return false;
    const int written = std::snprintf(path, capacity, "%s/settings", folder);
    return written > 0 && size_t(written) < capacity;
}

}  // namespace

bool readSettingsFile(char* text, size_t capacity, size_t& length)
{
    char path[pathCapacity];
    if (!settingsPath(path, sizeof path)) return false;
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return false;
    struct stat status;
    bool usable = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                  status.st_size >= 0 && size_t(status.st_size) <= capacity;
    length = 0;
    while (usable) {
        const ssize_t got = read(descriptor, text + length, capacity - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) usable = false;
        if (got <= 0) break;
        length += size_t(got);
        // A file that grew past the capacity since the check is not ours either.
        if (length == capacity) usable = false;
    }
    close(descriptor);
    return usable;
}

bool writeSettingsFile(const char* text, size_t length)
{
    char folder[pathCapacity];
    char path[pathCapacity];
    char fresh[pathCapacity];
    if (!settingsFolder(folder, sizeof folder) || !settingsPath(path, sizeof path)) return false;
    const int written = std::snprintf(fresh, sizeof fresh, "%s/.settings.XXXXXX", folder);
    if (written <= 0 || size_t(written) >= sizeof fresh || !makeFolders(folder, 0700)) return false;
    const int descriptor = mkstemp(fresh);
    if (descriptor < 0) return false;
    const bool complete = writeAll(descriptor, text, length) && fsync(descriptor) == 0;
    const bool closed = close(descriptor) == 0;
    if (complete && closed && rename(fresh, path) == 0) return true;
    unlink(fresh);
    return false;
}
