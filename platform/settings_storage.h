// Reading and atomically replacing the user's settings file, wherever the platform keeps it.
#pragma once
#include <cstddef>

// Reads the whole file into text (not terminated); false when it is missing, unreadable, not a
// regular file or longer than capacity.
bool readSettingsFile(char* text, size_t capacity, size_t& length);

// Writes a new file beside the old one and renames it over it, creating the folder when needed, so a
// reader sees either the old settings or the new ones. False when anything fails; nothing is reported.
bool writeSettingsFile(const char* text, size_t length);
