// Registry layer on Linux, which has no Windows registry: the key can never be opened.
#include "platform/registry.h"

bool registryOpenKey(RegistryKey* key)
{
    *key = nullptr;
    return false;
}

bool registryReadDword(RegistryKey, const char*, uint32_t*)
{
    return false;
}

bool registryWriteDword(RegistryKey, const char*, uint32_t)
{
    return false;
}

bool registryDeleteValue(RegistryKey, const char*)
{
    return false;
}

void registryCloseKey(RegistryKey)
{
}
