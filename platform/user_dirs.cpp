// Reading the pictures folder out of an XDG user-dirs.dirs file's text.
#include <cstdio>
#include <cstring>

#include "platform/picture_file.h"

namespace {

constexpr char picturesKey[] = "XDG_PICTURES_DIR=\"";
constexpr char homePrefix[] = "$HOME";

// The quoted value that starts at value and ends before the line's closing quote.
bool folderFromValue(const char* value, size_t length, const char* home, char* folder, size_t capacity)
{
    const size_t prefixLength = sizeof homePrefix - 1;
    int written = -1;
    if (length >= prefixLength && std::memcmp(value, homePrefix, prefixLength) == 0 &&
        (length == prefixLength || value[prefixLength] == '/')) {
        if (home == nullptr || home[0] != '/') return false;
        written = std::snprintf(folder, capacity, "%s%.*s", home, int(length - prefixLength), value + prefixLength);
    } else if (length > 0 && value[0] == '/') {
        written = std::snprintf(folder, capacity, "%.*s", int(length), value);
    }
    return written > 0 && size_t(written) < capacity;
}

}  // namespace

bool picturesFolderFromUserDirs(const char* text, size_t length, const char* home, char* folder, size_t capacity)
{
    const size_t keyLength = sizeof picturesKey - 1;
    // The last such line counts, as a shell reading the file would have it.
    const char* lastValue = nullptr;
    size_t lastLength = 0;
    for (size_t start = 0; start < length;) {
        const char* end = static_cast<const char*>(std::memchr(text + start, '\n', length - start));
        const size_t line = end != nullptr ? size_t(end - (text + start)) : length - start;
        const char* value = text + start + keyLength;
        const char* quote = line > keyLength && std::memcmp(text + start, picturesKey, keyLength) == 0
                                ? static_cast<const char*>(std::memchr(value, '"', line - keyLength))
                                : nullptr;
        if (quote != nullptr) {
            lastValue = value;
            lastLength = size_t(quote - value);
        }
        start += line + 1;
    }
    return lastValue != nullptr && folderFromValue(lastValue, lastLength, home, folder, capacity);
}
