// The settings file's text form: "key=value" lines naming the source and, for a device, its name
// and host API.
#include "platform/remembered_source.h"

#include <cstdio>
#include <cstring>

#include "platform/settings_lines.h"
#include "platform/settings_storage.h"

namespace {

struct KindName {
    RememberedKind kind;
    const char* name;
};

constexpr KindName kindNames[] = {
    {RememberedKind::defaultDevice, "default"},
    {RememberedKind::speakers, "speakers"},
    {RememberedKind::device, "device"},
};

RememberedKind kindNamed(const char* value, size_t length)
{
    for (const KindName& entry : kindNames) {
        if (std::strlen(entry.name) == length && std::memcmp(entry.name, value, length) == 0) return entry.kind;
    }
    return RememberedKind::none;
}

const char* nameOfKind(RememberedKind kind)
{
    for (const KindName& entry : kindNames) {
        if (entry.kind == kind) return entry.name;
    }
    return nullptr;
}

bool storeValue(char* target, const char* value, size_t length)
{
    if (length == 0 || length >= rememberedNameCapacity) return false;
    std::memcpy(target, value, length);
    target[length] = '\0';
    return true;
}

// One line without its end; false when it is malformed or its value does not fit.
bool readLine(const char* line, size_t length, RememberedSource& source)
{
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(line[i]) < 0x20 && line[i] != '\t') return false;
    }
    const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
    if (equals == nullptr) return length == 0;
    const size_t keyLength = size_t(equals - line);
    const char* value = equals + 1;
    const size_t valueLength = length - keyLength - 1;
    auto keyIs = [&](const char* key) { return std::strlen(key) == keyLength && std::memcmp(key, line, keyLength) == 0; };
    if (keyIs("source")) {
        source.kind = kindNamed(value, valueLength);
        return source.kind != RememberedKind::none;
    }
    if (keyIs("device")) return storeValue(source.device, value, valueLength);
    if (keyIs("hostapi")) return storeValue(source.hostApi, value, valueLength);
    return true;  // a key of a later version
}

bool complete(const RememberedSource& source)
{
    if (source.kind != RememberedKind::device) return source.kind != RememberedKind::none;
    return source.device[0] != '\0' && source.hostApi[0] != '\0';
}

}  // namespace

RememberedSource parseRememberedSource(const char* text, size_t length)
{
    RememberedSource source;
    size_t start = 0;
    while (start < length) {
        const char* end = static_cast<const char*>(std::memchr(text + start, '\n', length - start));
        const size_t lineLength = end != nullptr ? size_t(end - (text + start)) : length - start;
        size_t usable = lineLength;
        if (usable > 0 && text[start + usable - 1] == '\r') --usable;
        if (!readLine(text + start, usable, source)) return RememberedSource{};
        start += lineLength + 1;
    }
    return complete(source) ? source : RememberedSource{};
}

size_t formatRememberedSource(const RememberedSource& source, char* text, size_t capacity)
{
    const char* kind = nameOfKind(source.kind);
    if (kind == nullptr || !complete(source)) return 0;
    int written = source.kind == RememberedKind::device
                      ? std::snprintf(text, capacity, "source=%s\ndevice=%s\nhostapi=%s\n", kind, source.device,
                                      source.hostApi)
                      : std::snprintf(text, capacity, "source=%s\n", kind);
    return written > 0 && size_t(written) < capacity ? size_t(written) : 0;
}

RememberedSource loadRememberedSource()
{
    char text[settingsFileLimit];
    size_t length = 0;
    if (!readSettingsFile(text, sizeof text, length)) return RememberedSource{};
    return parseRememberedSource(text, length);
}

void storeRememberedSource(const RememberedSource& source)
{
    char text[settingsFileLimit];
    const size_t length = formatRememberedSource(source, text, sizeof text);
    static const char* const sourceKeys[] = {"source", "device", "hostapi"};
    if (length > 0) storeSettingLines(sourceKeys, 3, text, length);
}
