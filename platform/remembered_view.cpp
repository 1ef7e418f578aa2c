// The settings file's "monitor", "monitorx", "monitory" and "fpscap" lines.
#include "platform/remembered_view.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/settings_lines.h"
#include "platform/settings_storage.h"

namespace {

bool readInteger(const char* text, size_t length, const char* key, long low, long high, long& value)
{
    char word[24];
    if (!settingValue(text, length, key, word, sizeof word) || word[0] == '\0') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(word, &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool printable(const char* name)
{
    for (const char* c = name; *c != '\0'; ++c)
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return false;
    return true;
}

// Far beyond any desktop, so that a position read back always fits the window calls.
constexpr long positionLimit = 1L << 24;

}  // namespace

RememberedView parseRememberedView(const char* text, size_t length)
{
    RememberedView view;
    RememberedMonitor monitor;
    long x = 0;
    long y = 0;
    if (settingValue(text, length, "monitor", monitor.name, sizeof monitor.name) && monitor.name[0] != '\0' &&
        printable(monitor.name) && readInteger(text, length, "monitorx", -positionLimit, positionLimit, x) &&
        readInteger(text, length, "monitory", -positionLimit, positionLimit, y)) {
        monitor.x = static_cast<int32_t>(x);
        monitor.y = static_cast<int32_t>(y);
        view.monitor = monitor;
    }
    long cap = 0;
    if (readInteger(text, length, "fpscap", 0, largestFrameRateCap, cap)) view.frameRateCap = static_cast<int>(cap);
    return view;
}

RememberedView loadRememberedView()
{
    char text[settingsFileLimit];
    size_t length = 0;
    if (!readSettingsFile(text, sizeof text, length)) return RememberedView{};
    return parseRememberedView(text, length);
}

void storeRememberedMonitor(const RememberedMonitor& monitor)
{
    if (monitor.name[0] == '\0' || !printable(monitor.name)) return;
    char text[rememberedNameCapacity + 64];
    const int written =
        std::snprintf(text, sizeof text, "monitor=%s\nmonitorx=%d\nmonitory=%d\n", monitor.name, monitor.x, monitor.y);
    static const char* const monitorKeys[] = {"monitor", "monitorx", "monitory"};
    if (written > 0 && size_t(written) < sizeof text) storeSettingLines(monitorKeys, 3, text, size_t(written));
}

void storeFrameRateCap(int frameRateCap)
{
    if (frameRateCap < 0 || frameRateCap > largestFrameRateCap) return;
    char text[32];
    const int written = std::snprintf(text, sizeof text, "fpscap=%d\n", frameRateCap);
    static const char* const capKeys[] = {"fpscap"};
    if (written > 0 && size_t(written) < sizeof text) storeSettingLines(capKeys, 1, text, size_t(written));
}
