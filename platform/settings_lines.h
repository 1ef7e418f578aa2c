// The settings file's "key=value" lines: one key's value, and replacing some keys' lines while
// keeping every other line, so that each part of the program stores its own keys.
#pragma once
#include <cstddef>

// The value of the last line with this key, terminated; false when there is none or it does not fit.
bool settingValue(const char* text, size_t length, const char* key, char* value, size_t capacity);

// The old text without the lines of the given keys, then fresh (whole lines); returns the new length,
// or 0 when it would not fit the capacity.
size_t mergeSettingLines(const char* old, size_t oldLength, const char* const* keys, size_t keyCount,
                         const char* fresh, size_t freshLength, char* merged, size_t capacity);

// Replaces the given keys' lines of the user's settings file with fresh; failures are silent.
void storeSettingLines(const char* const* keys, size_t keyCount, const char* fresh, size_t freshLength);
