// In-memory registry layer linked into guard and entry tests in place of the platform's.
#include "tests/app/memory_registry.h"

#include "platform/registry.h"

MemoryRegistry& memoryRegistry()
{
    static MemoryRegistry registry;
    return registry;
}

bool registryOpenKey(RegistryKey* key)
{
    if (!memoryRegistry().keyAvailable) {
        *key = nullptr;
        return false;
    }
    memoryRegistry().openKeys += 1;
    *key = &memoryRegistry();
    return true;
}

bool registryReadDword(RegistryKey key, const char* name, uint32_t* value)
{
    auto& values = static_cast<MemoryRegistry*>(key)->values;
    auto found = values.find(name);
    if (found == values.end()) {
        return false;
    }
    *value = found->second;
    return true;
}

bool registryWriteDword(RegistryKey key, const char* name, uint32_t value)
{
    auto* registry = static_cast<MemoryRegistry*>(key);
    if (registry->writesFail) {
        return false;
    }
    registry->values[name] = value;
    registry->writes += 1;
    return true;
}

bool registryDeleteValue(RegistryKey key, const char* name)
{
    auto* registry = static_cast<MemoryRegistry*>(key);
    if (registry->writesFail || registry->values.erase(name) == 0) {
        return false;
    }
    registry->writes += 1;
    return true;
}

void registryCloseKey(RegistryKey key)
{
    static_cast<MemoryRegistry*>(key)->openKeys -= 1;
}
