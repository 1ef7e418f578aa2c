// Pictures on Linux: the XDG pictures folder (user-dirs.dirs) or ~/Pictures, each file created new.
#include "platform/picture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/files_linux.h"

namespace {

constexpr size_t pathCapacity = 4096;
constexpr size_t userDirsLimit = 16384;
constexpr int mostNames = 1000;

// The pictures folder user-dirs.dirs names, read from the configuration base.
bool userDirsPictures(const char* home, char* folder, size_t capacity)
{
    char path[pathCapacity];
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const int written = config != nullptr && config[0] == '/'
                            ? std::snprintf(path, sizeof path, "%s/user-dirs.dirs", config)
                            : std::snprintf(path, sizeof path, "%s/.config/user-dirs.dirs", home);
    if (written <= 0 || size_t(written) >= sizeof path) return false;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char text[userDirsLimit];
    const size_t length = std::fread(text, 1, sizeof text, file);
    std::fclose(file);
    return picturesFolderFromUserDirs(text, length, home, folder, capacity);
}

bool quasarineFolder(char* folder, size_t capacity)
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return false;
    char pictures[pathCapacity];
    if (!userDirsPictures(home, pictures, sizeof pictures)) {
        const int written = std::snprintf(pictures, sizeof pictures, "%s/Pictures", home);
        if (written <= 0 || size_t(written) >= sizeof pictures) return false;
    }
    const int written = std::snprintf(folder, capacity, "%s/Quasarine", pictures);
    return written > 0 && size_t(written) < capacity && makeFolders(folder, 0755);
}

// Creates the first free name of the stem's series; -1 when none can be made.
int createNewFile(const char* folder, const char* stem, char* path, char* name, size_t nameCapacity)
{
    for (int number = 1; number <= mostNames; ++number) {
        const int named = number == 1 ? std::snprintf(name, nameCapacity, "%s.png", stem)
                                      : std::snprintf(name, nameCapacity, "%s-%d.png", stem, number);
        const int pathed = std::snprintf(path, pathCapacity, "%s/%s", folder, name);
        if (named <= 0 || size_t(named) >= nameCapacity || pathed <= 0 || size_t(pathed) >= pathCapacity) return -1;
        const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

}  // namespace

bool savePictureFile(const char* stem, const uint8_t* data, size_t size, char* name, size_t nameCapacity)
{
    char folder[pathCapacity];
    char path[pathCapacity];
    if (!quasarineFolder(folder, sizeof folder)) return false;
    const int descriptor = createNewFile(folder, stem, path, name, nameCapacity);
    if (descriptor < 0) return false;
    const bool written = writeAll(descriptor, reinterpret_cast<const char*>(data), size);
    if (close(descriptor) == 0 && written) return true;
    unlink(path);
    return false;
}
