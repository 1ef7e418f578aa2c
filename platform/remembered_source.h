// The sound source the user chose last, kept between runs in a small settings file.
#pragma once
#include <cstddef>

enum class RememberedKind { none, defaultDevice, speakers, device };

constexpr size_t rememberedNameCapacity = 256;

struct RememberedSource {
    RememberedKind kind = RememberedKind::none;
    char device[rememberedNameCapacity] = {};   // a device's name, for kind device
    char hostApi[rememberedNameCapacity] = {};  // the name of the device's host API, for kind device
};

// Files larger than this are not settings files of ours and are not read.
constexpr size_t settingsFileLimit = 4096;

// Reads the text of a settings file; any fault (a missing line, an unknown source, a value too long,
// a control character) gives kind none.
RememberedSource parseRememberedSource(const char* text, size_t length);

// The text form of a choice; returns its length, or 0 when it would not fit the capacity.
size_t formatRememberedSource(const RememberedSource& source, char* text, size_t capacity);

// The choice stored in the user's settings file; kind none when there is none or it is unreadable.
RememberedSource loadRememberedSource();

// Replaces the choice in the user's settings file, keeping its other settings; failures are silent.
void storeRememberedSource(const RememberedSource& source);
