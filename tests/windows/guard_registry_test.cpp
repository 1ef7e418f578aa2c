// The driver-timeout guard on a real Windows registry (run under Wine): every start state of the
// graphics-driver key, with the values read back through the registry API.
#include <windows.h>

#include <cstdio>

#include "platform/driver_timeout_guard.h"

namespace {
const char* const keyPath = "SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers";
int passed = 0;
int failed = 0;

void check(bool condition, const char* what)
{
    condition ? ++passed : ++failed;
    if (!condition) {
        std::printf("FAILED: %s\n", what);
    }
}

HKEY openKey()
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

// Sets a value, or deletes it when value is negative.
void setValue(const char* name, long long value)
{
    HKEY key = openKey();
    if (value < 0) {
        RegDeleteValueA(key, name);
    } else {
        DWORD data = static_cast<DWORD>(value);
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    }
    RegCloseKey(key);
}

// The value as read back, or -1 when absent.
long long readValue(const char* name)
{
    HKEY key = openKey();
    DWORD data = 0;
    DWORD size = sizeof(data);
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    return (result == ERROR_SUCCESS && type == REG_DWORD && size == 4) ? static_cast<long long>(data) : -1;
}

// Runs one start state through raise and restore and checks the values during and after.
void runCase(const char* name, long long delay, long long sentinel, long long delayDuring,
             long long sentinelDuring, long long delayAfter)
{
    setValue("TdrDelay", delay);
    setValue("QORB_SENTINEL_TdrDelay", sentinel);
    raiseDriverTimeout();
    char what[160];
    std::snprintf(what, sizeof(what), "%s: TdrDelay during the run", name);
    check(readValue("TdrDelay") == delayDuring, what);
    std::snprintf(what, sizeof(what), "%s: sentinel during the run", name);
    check(readValue("QORB_SENTINEL_TdrDelay") == sentinelDuring, what);
    restoreDriverTimeout();
    std::snprintf(what, sizeof(what), "%s: TdrDelay after the run", name);
    check(readValue("TdrDelay") == delayAfter, what);
    std::snprintf(what, sizeof(what), "%s: no sentinel after the run", name);
    check(readValue("QORB_SENTINEL_TdrDelay") == -1, what);
}
}  // namespace

int main()
{
    runCase("raise from 2", 2, -1, 120, 2, 2);
    runCase("absent value", -1, -1, 120, 0, -1);
    runCase("120 untouched", 120, -1, 120, -1, 120);
    runCase("300 untouched", 300, -1, 300, -1, 300);
    runCase("left-over sentinel 5 with 120", 120, 5, 120, 5, 5);
    runCase("left-over sentinel 5 with 10", 10, 5, 120, 5, 5);

    // Without the key the guard silently does nothing and creates nothing.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    raiseDriverTimeout();
    restoreDriverTimeout();
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key);
    check(opened != ERROR_SUCCESS, "no key: the guard must not create it");
    if (opened == ERROR_SUCCESS) {
        RegCloseKey(key);
    }

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
