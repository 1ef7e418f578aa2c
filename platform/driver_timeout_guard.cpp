// The driver-timeout guard: "TdrDelay" is raised to 120 s and the value found is kept in a sentinel
// so that even a run that never restored can be undone by the next one.
#include "platform/driver_timeout_guard.h"

#include "platform/registry.h"

namespace {
const char* const timeoutValue = "TdrDelay";
const char* const sentinelValue = "QORB_SENTINEL_TdrDelay";
}

void raiseDriverTimeout()
{
    RegistryKey key = nullptr;
    if (!registryOpenKey(&key)) {
        return;
    }
    uint32_t current = 0;
    if (!registryReadDword(key, timeoutValue, &current)) {
        current = 0;  // absent or unreadable: restore will delete it again
    }
    if (current < raisedDriverTimeout) {
        // A sentinel left by a run that never restored still holds the original value: keep it.
        uint32_t earlier = 0;
        if (!registryReadDword(key, sentinelValue, &earlier)) {
            registryWriteDword(key, sentinelValue, current);
        }
        registryWriteDword(key, timeoutValue, raisedDriverTimeout);
    }
    registryCloseKey(key);
}

void restoreDriverTimeout()
{
    RegistryKey key = nullptr;
    if (!registryOpenKey(&key)) {
        return;
    }
    uint32_t saved = 0;
    if (registryReadDword(key, sentinelValue, &saved)) {
        if (saved != 0) {
            registryWriteDword(key, timeoutValue, saved);
        } else {
            registryDeleteValue(key, timeoutValue);
        }
        registryDeleteValue(key, sentinelValue);
    }
    registryCloseKey(key);
}
