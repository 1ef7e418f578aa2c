// Reading one key of the settings text and replacing some keys' lines in the settings file.
#include "platform/settings_lines.h"

#include <cstring>

#include "platform/remembered_source.h"
#include "platform/settings_storage.h"

namespace {

// The line starting at start (without its end) and where the next one starts.
size_t lineLength(const char* text, size_t length, size_t start, size_t& next)
{
    const char* end = static_cast<const char*>(std::memchr(text + start, '\n', length - start));
    const size_t whole = end != nullptr ? size_t(end - (text + start)) : length - start;
    next = start + whole + 1;
    return whole;
}

bool lineHasKey(const char* line, size_t length, const char* key)
{
    const size_t keyLength = std::strlen(key);
    return length > keyLength && line[keyLength] == '=' && std::memcmp(line, key, keyLength) == 0;
}

bool lineHasAnyKey(const char* line, size_t length, const char* const* keys, size_t keyCount)
{
    for (size_t k = 0; k < keyCount; ++k)
        if (lineHasKey(line, length, keys[k])) return true;
    return false;
}

}  // namespace

bool settingValue(const char* text, size_t length, const char* key, char* value, size_t capacity)
{
    bool found = false;
    for (size_t start = 0, next = 0; start < length; start = next) {
        size_t usable = lineLength(text, length, start, next);
        if (usable > 0 && text[start + usable - 1] == '\r') --usable;
        if (!lineHasKey(text + start, usable, key)) continue;
        const size_t keyLength = std::strlen(key) + 1;
        const size_t valueLength = usable - keyLength;
        found = valueLength < capacity;
        if (!found) continue;
        std::memcpy(value, text + start + keyLength, valueLength);
        value[valueLength] = '\0';
    }
    return found;
}

size_t mergeSettingLines(const char* old, size_t oldLength, const char* const* keys, size_t keyCount,
                         const char* fresh, size_t freshLength, char* merged, size_t capacity)
{
    size_t used = 0;
    for (size_t start = 0, next = 0; start < oldLength; start = next) {
        const size_t whole = lineLength(old, oldLength, start, next);
        if (whole == 0 || lineHasAnyKey(old + start, whole, keys, keyCount)) continue;
        if (used + whole + 1 > capacity) return 0;
        std::memcpy(merged + used, old + start, whole);
        used += whole;
        merged[used++] = '\n';
    }
    if (used + freshLength > capacity) return 0;
    std::memcpy(merged + used, fresh, freshLength);
    return used + freshLength;
}

void storeSettingLines(const char* const* keys, size_t keyCount, const char* fresh, size_t freshLength)
{
    char old[settingsFileLimit];
    size_t oldLength = 0;
    // A file that is not ours (unreadable or too long) is replaced rather than kept.
    if (!readSettingsFile(old, sizeof old, oldLength)) oldLength = 0;
    char merged[settingsFileLimit];
    const size_t length = mergeSettingLines(old, oldLength, keys, keyCount, fresh, freshLength, merged, sizeof merged);
    if (length > 0) writeSettingsFile(merged, length);
}
